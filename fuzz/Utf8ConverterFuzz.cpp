// UTF-8 into code page 932 on any bytes: the vector blocks give exactly the bytes of the
// character-at-a-time loops, whatever the pieces the input arrives in, and every byte is used up.

#include "FuzzCheck.h"
#include "platform/linux/TextConverterLinux.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace lh::platform;

namespace {

std::string Convert(VectorLevel level, const char* in, std::size_t size, std::size_t pieceSize,
                    std::size_t outSize) {
    const auto converter = OpenUnicodeToCp932(Charset::Utf8, '?', level);
    LH_FUZZ_CHECK(converter != nullptr);
    std::string result;
    std::vector<char> out(outSize);
    std::size_t begin = 0;
    std::size_t arrived = 0;
    bool stalled = false; // the start of a character waits for the rest
    for (;;) {
        if ((arrived - begin < pieceSize || stalled) && arrived < size)
            arrived = std::min(size, arrived + pieceSize);
        const bool last = arrived == size;
        const auto step =
            converter->Convert(in + begin, arrived - begin, out.data(), out.size(), last);
        LH_FUZZ_CHECK(step.consumed <= arrived - begin && step.produced <= out.size());
        LH_FUZZ_CHECK(step.produced <= step.consumed);
        begin += step.consumed;
        result.append(out.data(), step.produced);
        if (last && begin == arrived)
            return result;
        stalled = step.consumed == 0 && step.produced == 0;
        LH_FUZZ_CHECK(!(stalled && last));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first byte picks the piece size, the second the output buffer's.
    const std::size_t pieceSize = 1 + data[0] % 97;
    const std::size_t outSize = ToCp932Converter::kMinOutput + data[1] % 160;
    const char* text = reinterpret_cast<const char*>(data + 2);
    const std::size_t textSize = size - 2;
    const std::string careful = Convert(VectorLevel::None, text, textSize, textSize + 1, 4096);
    LH_FUZZ_CHECK(careful.size() <= textSize);
    for (const VectorLevel level : {VectorLevel::Avx2, VectorLevel::Avx512}) {
        if (level > BestVectorLevel())
            break;
        LH_FUZZ_CHECK(Convert(level, text, textSize, textSize + 1, 4096) == careful);
        LH_FUZZ_CHECK(Convert(level, text, textSize, pieceSize, outSize) == careful);
    }
    return 0;
}
