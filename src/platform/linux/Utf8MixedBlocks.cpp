#include "Utf8MixedBlocks.h"

#include "VectorIntrinsics.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)

namespace lh::platform {

namespace {

// For each choice of bytes to keep among eight, the shuffle that packs them to the front.
struct PackShuffles {
    std::uint8_t byMask[256][8];
};

constexpr PackShuffles MakePackShuffles() {
    PackShuffles t{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned k = 0;
        for (unsigned b = 0; b < 8; ++b)
            if (mask >> b & 1)
                t.byMask[mask][k++] = static_cast<std::uint8_t>(b);
        for (; k < 8; ++k)
            t.byMask[mask][k] = 0x80; // a zero byte, written over by the next piece
    }
    return t;
}

constexpr PackShuffles kPack = MakePackShuffles();

// Writes the bytes of `bytes` that `keep` (16 bits) names at out + o, packed; may write 16 bytes.
[[gnu::target("avx2,bmi,popcnt")]] inline void Pack16(__m128i bytes, std::uint32_t keep, char* out,
                                                      std::size_t& o) noexcept {
    const unsigned low = keep & 0xFF;
    const unsigned high = keep >> 8 & 0xFF;
    std::uint64_t lowShuffle;
    std::uint64_t highShuffle;
    std::memcpy(&lowShuffle, kPack.byMask[low], 8);
    std::memcpy(&highShuffle, kPack.byMask[high], 8);
    // The second half's indices count from byte 8; the unused ones stay above 0x7F.
    highShuffle += 0x0808080808080808ull;
    const __m128i packed =
        _mm_shuffle_epi8(bytes, _mm_set_epi64x(static_cast<long long>(highShuffle),
                                               static_cast<long long>(lowShuffle)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + o), packed);
    o += static_cast<std::size_t>(std::popcount(low));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + o), _mm_unpackhi_epi64(packed, packed));
    o += static_cast<std::size_t>(std::popcount(high));
}

[[gnu::target("avx2,bmi,popcnt")]] MixedBlocksStep
DecodeBlocksAvx2(const unsigned char* in, std::size_t inSize, char* out, std::size_t outSize,
                 const std::uint16_t* forms) noexcept {
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    const __m256i lowSix = _mm256_set1_epi8(0x3F);
    const __m256i lowTwo = _mm256_set1_epi8(0x03);
    const __m256i highFour = _mm256_set1_epi8(static_cast<char>(0xF0));
    const __m256i highTwo = _mm256_set1_epi8(static_cast<char>(0xC0));
    const __m256i threeByteLead = _mm256_set1_epi8(static_cast<char>(0xE0));
    const __m256i continuation = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i surrogateLead = _mm256_set1_epi8(static_cast<char>(0xED));
    alignas(32) std::uint16_t codePoints[32];
    std::size_t i = 0;
    std::size_t o = 0;
    while (inSize - i >= kMixedBlockMargin && outSize - o >= kMixedBlockMargin) {
        const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const auto high = static_cast<std::uint32_t>(_mm256_movemask_epi8(b0));
        if (high == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), b0);
            i += 32;
            o += 32;
            continue;
        }
        const auto leads = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(b0, highFour), threeByteLead)));
        const auto conts = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(b0, highTwo), continuation)));
        // E0 starts overlong forms and U+0800..U+0FFF, ED surrogates and U+D000..U+D7FF: rare
        // enough in Japanese text to leave to the careful loops.
        const auto odd = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(
            _mm256_cmpeq_epi8(b0, threeByteLead), _mm256_cmpeq_epi8(b0, surrogateLead))));
        // Every high byte a lead or a continuation, each lead followed by exactly two.
        if ((leads | conts) != high || conts != (leads << 1 | leads << 2) || odd != 0)
            break;
        // A character whose lead is among the last two bytes continues past the block: it
        // starts the next one instead.
        const auto size =
            static_cast<unsigned>(std::countr_zero((leads & 0xC0000000u) | std::uint64_t{1} << 32));
        const auto inBlock = static_cast<std::uint32_t>((std::uint64_t{1} << size) - 1);

        // The code point at every position, as if a character started there.
        const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 1));
        const __m256i b2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 2));
        const __m256i hi = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b0, lowNibble), 4),
                                           _mm256_and_si256(_mm256_srli_epi16(b1, 2), lowNibble));
        const __m256i lo = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b1, lowTwo), 6),
                                           _mm256_and_si256(b2, lowSix));
        const __m256i first = _mm256_unpacklo_epi8(lo, hi);  // positions 0-7 and 16-23
        const __m256i second = _mm256_unpackhi_epi8(lo, hi); // positions 8-15 and 24-31
        _mm256_store_si256(reinterpret_cast<__m256i*>(codePoints),
                           _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_store_si256(reinterpret_cast<__m256i*>(codePoints + 16),
                           _mm256_permute2x128_si256(first, second, 0x31));

        // The block without each character's third byte; its first two then take the form.
        const std::uint32_t keep = ~(leads << 2) & inBlock;
        const std::size_t blockStart = o;
        std::size_t blockEnd = o;
        Pack16(_mm256_castsi256_si128(b0), keep & 0xFFFF, out, blockEnd);
        Pack16(_mm256_extracti128_si256(b0, 1), keep >> 16, out, blockEnd);
        std::uint16_t allForms = 0xFFFF;
        std::size_t dropped = 0; // each character before this one gave up a byte
        for (std::uint32_t rest = leads & inBlock; rest != 0; rest &= rest - 1) {
            const std::uint16_t form = forms[codePoints[std::countr_zero(rest)]];
            allForms &= form;
            const std::uint16_t leadFirst = __builtin_bswap16(form);
            std::memcpy(out + blockStart + std::countr_zero(rest) - dropped, &leadFirst, 2);
            ++dropped;
        }
        if (!IsTwoByteForm(allForms))
            break; // one byte, none, or not yet asked: the careful loops know what to do
        o = blockEnd;
        i += size;
    }
    return {i, o};
}

// The same in blocks of 64 bytes at a fixed stride, so that the next block's loads never wait for
// this one's masks. A character whose lead is among the last two bytes is taken whole with its
// block; the next block passes over its remaining bytes. The characters' code points are packed
// together, their forms gathered, and spread back to where the characters stood.
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vbmi2,bmi,bmi2,popcnt")]] MixedBlocksStep
DecodeBlocksAvx512(const unsigned char* in, std::size_t inSize, char* out, std::size_t outSize,
                   const std::uint16_t* forms) noexcept {
    const __m512i lowNibble = _mm512_set1_epi8(0x0F);
    const __m512i lowSix = _mm512_set1_epi8(0x3F);
    const __m512i lowTwo = _mm512_set1_epi8(0x03);
    const __m512i highFour = _mm512_set1_epi8(static_cast<char>(0xF0));
    const __m512i highTwo = _mm512_set1_epi8(static_cast<char>(0xC0));
    const __m512i threeByteLead = _mm512_set1_epi8(static_cast<char>(0xE0));
    const __m512i continuation = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i surrogateLead = _mm512_set1_epi8(static_cast<char>(0xED));
    const __m512i twoByteForm = _mm512_set1_epi16(static_cast<short>(0x8000));
    const __m512i zero = _mm512_setzero_si512();
    std::size_t i = 0;
    std::size_t o = 0;
    // What the last block's final character leaves to this one: its continuation bytes here
    // (bits 0 and 1), the one of them that is dropped, and a trail byte still to be written.
    std::uint64_t carriedConts = 0;
    std::uint64_t carriedDrop = 0;
    std::uint64_t trailPending = 0;
    char pendingTrail = 0;
    while (inSize - i >= kMixedBlockMargin && outSize - o >= kMixedBlockMargin) {
        const __m512i b0 = _mm512_loadu_si512(in + i);
        const __mmask64 high = _mm512_movepi8_mask(b0);
        if (high == 0) {
            _mm512_storeu_si512(out + o, b0);
            i += 64;
            o += 64;
            continue;
        }
        const __mmask64 leads =
            _mm512_cmpeq_epi8_mask(_mm512_and_si512(b0, highFour), threeByteLead);
        const __mmask64 conts = _mm512_cmpeq_epi8_mask(_mm512_and_si512(b0, highTwo), continuation);
        const __mmask64 odd =
            _mm512_cmpeq_epi8_mask(b0, threeByteLead) | _mm512_cmpeq_epi8_mask(b0, surrogateLead);
        // A character starting at 62 or 63 needs its continuation bytes in the next block.
        const std::uint64_t spill = leads >> 62; // bit 0: a lead at 62; bit 1: at 63
        const std::uint64_t spillConts = (spill & 1) | (spill >> 1) * 3;
        const std::uint64_t nextConts = static_cast<std::uint64_t>((in[i + 64] & 0xC0) == 0x80) |
                                        static_cast<std::uint64_t>((in[i + 65] & 0xC0) == 0x80)
                                            << 1;
        if ((leads | conts) != high || conts != (leads << 1 | leads << 2 | carriedConts) ||
            odd != 0 || (nextConts & spillConts) != spillConts)
            break;
        const auto count = static_cast<unsigned>(std::popcount(leads));

        // The characters' code points, packed together in their order.
        const __m512i b1 = _mm512_loadu_si512(in + i + 1);
        const __m512i b2 = _mm512_loadu_si512(in + i + 2);
        const __m512i hi = _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b0, lowNibble), 4),
                                           _mm512_and_si512(_mm512_srli_epi16(b1, 2), lowNibble));
        const __m512i lo = _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b1, lowTwo), 6),
                                           _mm512_and_si512(b2, lowSix));
        const __m512i packedHi = _mm512_maskz_compress_epi8(leads, hi);
        const __m512i packedLo = _mm512_maskz_compress_epi8(leads, lo);
        const __mmask32 used = _bzhi_u32(~0u, count);
        const __m512i firstPoints = _mm512_or_si512(
            _mm512_slli_epi32(_mm512_cvtepu8_epi32(_mm512_castsi512_si128(packedHi)), 8),
            _mm512_cvtepu8_epi32(_mm512_castsi512_si128(packedLo)));
        const __m512i secondPoints = _mm512_or_si512(
            _mm512_slli_epi32(_mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(packedHi, 1)), 8),
            _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(packedLo, 1)));
        const __m512i firstForms =
            _mm512_mask_i32gather_epi32(zero, static_cast<__mmask16>(used), firstPoints, forms, 2);
        const __m512i secondForms =
            count > 16 ? _mm512_mask_i32gather_epi32(zero, static_cast<__mmask16>(used >> 16),
                                                     secondPoints, forms, 2)
                       : zero;
        const __m512i formsFound =
            _mm512_inserti64x4(_mm512_zextsi256_si512(_mm512_cvtepi32_epi16(firstForms)),
                               _mm512_cvtepi32_epi16(secondForms), 1);
        if (_mm512_mask_testn_epi16_mask(used, formsFound, twoByteForm) != 0)
            break; // one byte, none, or not yet asked: the careful loops know what to do

        // Each character's form in place of its first two bytes; the third is dropped. The
        // trail byte of a character starting at 63 belongs at the next block's first byte.
        const __m512i leadBytes =
            _mm512_zextsi256_si512(_mm512_cvtepi16_epi8(_mm512_srli_epi16(formsFound, 8)));
        const __m512i trailBytes = _mm512_zextsi256_si512(_mm512_cvtepi16_epi8(formsFound));
        __m512i text = _mm512_mask_set1_epi8(b0, trailPending, pendingTrail);
        text = _mm512_mask_expand_epi8(text, leads, leadBytes);
        text = _mm512_mask_expand_epi8(text, leads << 1, trailBytes);
        const std::uint64_t keep = ~(leads << 2 | carriedDrop);
        _mm512_storeu_si512(out + o, _mm512_maskz_compress_epi8(keep, text));
        o += static_cast<std::size_t>(std::popcount(keep));
        i += 64;
        carriedConts = spillConts;
        carriedDrop = spill; // the third byte of a character at 62 or 63: the next block's 0 or 1
        trailPending = spill >> 1;
        const std::uint32_t lastPoint =
            (in[i - 1] & 0x0Fu) << 12 | (in[i] & 0x3Fu) << 6 | (in[i + 1] & 0x3Fu);
        pendingTrail = static_cast<char>(forms[lastPoint] & 0xFF);
    }
    // The character the last block took whole ends here.
    if (trailPending)
        out[o++] = pendingTrail;
    i += static_cast<std::size_t>(std::popcount(carriedConts));
    return {i, o};
}

} // namespace

namespace {

VectorLevel DetectVectorLevel() noexcept {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("bmi") ||
        !__builtin_cpu_supports("popcnt"))
        return VectorLevel::None;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi2") &&
        __builtin_cpu_supports("bmi2"))
        return VectorLevel::Avx512;
    return VectorLevel::Avx2;
}

} // namespace

VectorLevel BestVectorLevel() noexcept {
    static const VectorLevel best = DetectVectorLevel();
    return best;
}

MixedBlocksStep DecodeMixedUtf8Blocks(VectorLevel level, const unsigned char* in,
                                      std::size_t inSize, char* out, std::size_t outSize,
                                      const std::uint16_t* forms) noexcept {
    switch (level) {
    case VectorLevel::Avx512:
        return DecodeBlocksAvx512(in, inSize, out, outSize, forms);
    case VectorLevel::Avx2:
        return DecodeBlocksAvx2(in, inSize, out, outSize, forms);
    case VectorLevel::None:
        break;
    }
    return {};
}

} // namespace lh::platform

#else

namespace lh::platform {

VectorLevel BestVectorLevel() noexcept {
    return VectorLevel::None;
}

MixedBlocksStep DecodeMixedUtf8Blocks(VectorLevel, const unsigned char*, std::size_t, char*,
                                      std::size_t, const std::uint16_t*) noexcept {
    return {};
}

} // namespace lh::platform

#endif
