#include "Utf8MixedBlocks.h"
#include "VectorIntrinsics.h"
#include "platform/Utf8Check.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)

namespace lh::platform {

namespace {

// Each pair of neighbouring bytes is classified by three table lookups (the first byte's high
// and low half, the second byte's high half); a pair is wrong when the three share a flag. The
// flag for two continuation bytes is right only where a lead of three or four bytes stands two
// or three places back, which a second test settles.
constexpr std::uint8_t kTooShort = 1 << 0; // lead, then no continuation
constexpr std::uint8_t kTooLong = 1 << 1;  // ASCII, then a continuation
constexpr std::uint8_t kOverlong3 = 1 << 2;
constexpr std::uint8_t kTooLarge = 1 << 3;
constexpr std::uint8_t kSurrogate = 1 << 4;
constexpr std::uint8_t kOverlong2 = 1 << 5;
constexpr std::uint8_t kTooLarge1000 = 1 << 6;
constexpr std::uint8_t kOverlong4 = 1 << 6;
constexpr std::uint8_t kTwoConts = 1 << 7;
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

[[gnu::target("avx2")]] inline __m256i Table(const std::uint8_t (&t)[16]) noexcept {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
}

// `input` shifted by `n` bytes towards its end, the bytes before it coming from `previous`.
template <int n>
[[gnu::target("avx2")]] inline __m256i Preceding(__m256i input, __m256i previous) noexcept {
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - n);
}

[[gnu::target("avx2")]] inline __m256i HighHalves(__m256i v) noexcept {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

struct Checker {
    __m256i byte1High;
    __m256i byte1Low;
    __m256i byte2High;
    __m256i previous;
    __m256i incomplete; // a character the last block began and did not end
    __m256i error;

    [[gnu::target("avx2")]] Checker() noexcept {
        static constexpr std::uint8_t k1High[16] = {kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTooLong,
                                                    kTwoConts,
                                                    kTwoConts,
                                                    kTwoConts,
                                                    kTwoConts,
                                                    kTooShort | kOverlong2,
                                                    kTooShort,
                                                    kTooShort | kOverlong3 | kSurrogate,
                                                    kTooShort | kTooLarge | kTooLarge1000 |
                                                        kOverlong4};
        static constexpr std::uint8_t k1Low[16] = {kCarry | kOverlong3 | kOverlong2 | kOverlong4,
                                                   kCarry | kOverlong2,
                                                   kCarry,
                                                   kCarry,
                                                   kCarry | kTooLarge,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
                                                   kCarry | kTooLarge | kTooLarge1000,
                                                   kCarry | kTooLarge | kTooLarge1000};
        static constexpr std::uint8_t k2High[16] = {
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
            kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
            kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
            kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
            kTooShort,
            kTooShort,
            kTooShort,
            kTooShort};
        byte1High = Table(k1High);
        byte1Low = Table(k1Low);
        byte2High = Table(k2High);
        previous = _mm256_setzero_si256();
        incomplete = _mm256_setzero_si256();
        error = _mm256_setzero_si256();
    }

    [[gnu::target("avx2")]] void Block(__m256i input) noexcept {
        if (_mm256_movemask_epi8(input) == 0) {
            // ASCII: whatever the last block began stays unended.
            error = _mm256_or_si256(error, incomplete);
        } else {
            const __m256i prev1 = Preceding<1>(input, previous);
            const __m256i special = _mm256_and_si256(
                _mm256_and_si256(
                    _mm256_shuffle_epi8(byte1High, HighHalves(prev1)),
                    _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)))),
                _mm256_shuffle_epi8(byte2High, HighHalves(input)));
            // Bit 7 where a lead of three bytes stands two back or one of four three back.
            const __m256i third = _mm256_subs_epu8(
                Preceding<2>(input, previous), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
            const __m256i fourth = _mm256_subs_epu8(
                Preceding<3>(input, previous), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
            const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth),
                                                  _mm256_set1_epi8(static_cast<char>(0x80)));
            error = _mm256_or_si256(error, _mm256_xor_si256(must, special));
            // Leads in the last three places that the block cannot hold whole.
            const __m256i ends = _mm256_setr_epi8(
                -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1));
            incomplete = _mm256_subs_epu8(input, ends);
        }
        previous = input;
    }

    [[gnu::target("avx2")]] bool Failed() const noexcept {
        return !_mm256_testz_si256(error, error);
    }
};

[[gnu::target("avx2")]] bool CheckAvx2(const unsigned char* text, std::size_t size,
                                       std::size_t& checked) noexcept {
    constexpr std::size_t kBlock = 32;
    // Blocks between two tests of the error flags: few enough that a fault is met soon.
    constexpr std::size_t kBlocksPerTest = 4;
    Checker checker;
    std::size_t i = 0;
    while (i + kBlock * kBlocksPerTest <= size) {
        for (std::size_t k = 0; k < kBlocksPerTest; ++k, i += kBlock)
            checker.Block(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i)));
        if (checker.Failed())
            return false;
    }
    while (i + kBlock <= size) {
        checker.Block(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i)));
        i += kBlock;
    }
    if (checker.Failed())
        return false;
    // The blocks can end inside a character, which the caller's check then takes whole.
    checked = i;
    for (std::size_t back = 0; back < 4 && back < i; ++back) {
        const unsigned char b = text[i - 1 - back];
        if (b < 0x80)
            break;
        if (b >= 0xC0) {
            checked = i - 1 - back;
            break;
        }
    }
    return true;
}

} // namespace

bool CheckUtf8Blocks(std::string_view text, std::size_t& checked) noexcept {
    checked = 0;
    if (BestVectorLevel() == VectorLevel::None)
        return true;
    return CheckAvx2(reinterpret_cast<const unsigned char*>(text.data()), text.size(), checked);
}

} // namespace lh::platform

#else

namespace lh::platform {

bool CheckUtf8Blocks(std::string_view, std::size_t& checked) noexcept {
    checked = 0;
    return true;
}

} // namespace lh::platform

#endif
