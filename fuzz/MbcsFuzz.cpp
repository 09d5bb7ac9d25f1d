// Character functions on any bytes: positions stay in range, lengths agree with the pieces cut,
// and every result lies inside the text (ASan checks each access).

#include "FuzzCheck.h"
#include "util/Mbcs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace lh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first byte picks how much of the rest is the pattern, the second a position.
    const std::size_t patternBytes = data[0] % 8;
    const auto number = static_cast<MbcsIndex>(data[1]);
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string_view pattern = rest.substr(0, std::min(patternBytes, rest.size()));
    const std::string_view s = rest.substr(pattern.size());
    const std::string_view text = MbcsText(s);

    const MbcsIndex length = MbcsLength(s);
    LH_FUZZ_CHECK(length >= 0 && length <= static_cast<MbcsIndex>(text.size()));
    LH_FUZZ_CHECK(length * 2 >= static_cast<MbcsIndex>(text.size()));

    // Walking character by character covers the text exactly, each step a whole character.
    std::size_t at = 0;
    MbcsIndex chars = 0;
    while (std::size_t step = MbcsCharSize(text, at)) {
        LH_FUZZ_CHECK(step == 1 || step == 2);
        if (step == 2)
            LH_FUZZ_CHECK(IsSjisPair(static_cast<unsigned char>(text[at]),
                                     static_cast<unsigned char>(text[at + 1])));
        at += step;
        ++chars;
        LH_FUZZ_CHECK(at <= text.size());
    }
    LH_FUZZ_CHECK(at == text.size() && chars == length);

    // Head and tail cut at a character put the text back together.
    const std::string head = MbcsCopy(s, 1, number);
    const std::string tail = MbcsTail(s, number + 1);
    LH_FUZZ_CHECK(head + tail == text || (number == 0 && tail == text));
    LH_FUZZ_CHECK(MbcsLength(head) == std::min(number, length));
    LH_FUZZ_CHECK(MbcsLength(MbcsRight(s, number)) == std::min(number, length));
    LH_FUZZ_CHECK(MbcsCopyView(s, number, 3) == MbcsCopy(s, number, 3));

    const MbcsIndex pos = MbcsPos(pattern, s);
    LH_FUZZ_CHECK(pos >= 0 && pos <= length);
    if (pos > 0) {
        const std::string_view p = MbcsText(pattern);
        LH_FUZZ_CHECK(MbcsTailView(s, pos).substr(0, p.size()) == p);
        LH_FUZZ_CHECK(MbcsPosFrom(pattern, s, pos) == pos);
        const MbcsIndex last = MbcsLastPos(pattern, s);
        LH_FUZZ_CHECK(last >= pos && last <= length);
        const std::size_t byte = MbcsFind(pattern, s, 0);
        LH_FUZZ_CHECK(byte != std::string_view::npos &&
                      MbcsLength(text.substr(0, byte)) + 1 == pos);
    } else {
        LH_FUZZ_CHECK(MbcsLastPos(pattern, s) == 0);
    }
    const MbcsIndex from = MbcsPosFrom(pattern, s, number);
    LH_FUZZ_CHECK(from == 0 || (from >= number && from <= length));

    const std::string trimmed = MbcsTrim(s);
    LH_FUZZ_CHECK(MbcsTrim(trimmed) == trimmed);
    LH_FUZZ_CHECK(text.find(trimmed) != std::string_view::npos);

    const std::string upper = AsciiUpper(s);
    LH_FUZZ_CHECK(upper.size() == s.size() && MbcsLength(upper) == length);
    LH_FUZZ_CHECK(AsciiUpper(upper) == upper);
    return 0;
}
