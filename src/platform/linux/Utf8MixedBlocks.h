#pragma once

// The UTF-8 reader's fast path for text that mixes ASCII with kana and kanji: 32 bytes a step
// with vector instructions, where the processor has them.

#include <cstddef>
#include <cstdint>

namespace lh::platform {

struct MixedBlocksStep {
    std::size_t consumed = 0;
    std::size_t produced = 0;
};

// Code page 932 forms are kept as 16-bit numbers: a byte below 0x100, or two bytes with the lead
// byte in the high half. Every lead byte is 0x81 or more, so the top bit marks a two-byte form;
// 0x100..0x7FFF are left for marks of the table's own.
constexpr bool IsTwoByteForm(std::uint16_t form) noexcept {
    return form >= 0x8000;
}

// The vector instructions the fast path uses: 32-byte blocks with AVX2, 64-byte ones with AVX-512.
enum class VectorLevel { None, Avx2, Avx512 };

// The best level this processor runs.
VectorLevel BestVectorLevel() noexcept;

// Bytes a block covers at most.
inline constexpr std::size_t kMixedBlockBytes = 64;

// Room DecodeMixedUtf8Blocks keeps clear of the ends of its input and output: its loads and
// stores reach past the block.
inline constexpr std::size_t kMixedBlockMargin = 80;

// Converts whole blocks of ASCII and three-byte characters from U+1000 up (U+D000..U+DFFF aside)
// whose code page 932 form in `forms` (indexed by code point, readable up to index 0x10001) is
// two bytes. Stops at the first block holding anything else and kMixedBlockMargin before either
// end, always after a whole character. Output bytes past `produced` may have been written. At
// VectorLevel::None it takes nothing.
MixedBlocksStep DecodeMixedUtf8Blocks(VectorLevel level, const unsigned char* in,
                                      std::size_t inSize, char* out, std::size_t outSize,
                                      const std::uint16_t* forms) noexcept;

} // namespace lh::platform
