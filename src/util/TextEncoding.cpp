#include "TextEncoding.h"

#include "Codec.h"
#include "Mbcs.h"

#include <array>
#include <cstdint>

namespace lh {

namespace {

struct Names {
    EncodingChoice choice;
    std::string_view name;
};
constexpr std::array<Names, 6> kChoiceNames = {{{EncodingChoice::Auto, "auto"},
                                                {EncodingChoice::Cp932, "cp932"},
                                                {EncodingChoice::Utf8, "utf-8"},
                                                {EncodingChoice::Utf16, "utf-16"},
                                                {EncodingChoice::EucJp, "euc-jp"},
                                                {EncodingChoice::Iso2022Jp, "iso-2022-jp"}}};

inline unsigned char At(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

std::optional<EncodingGuess> ByteOrderMark(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF")
        return EncodingGuess{Charset::Utf8, 3};
    if (head.substr(0, 2) == "\xFF\xFE")
        return EncodingGuess{Charset::Utf16Le, 2};
    if (head.substr(0, 2) == "\xFE\xFF")
        return EncodingGuess{Charset::Utf16Be, 2};
    return std::nullopt;
}

struct Evidence {
    bool valid = true;
    std::size_t characters = 0; // characters of more than one byte
    std::size_t japanese = 0;   // of those: kana and ideographs (UTF-8), kana (EUC-JP)
};

// Strict UTF-8 (no overlong forms, no surrogates); a sequence cut off by the end of a head that is
// not the whole file counts as valid.
Evidence ReadAsUtf8(std::string_view s, bool cutOff) {
    Evidence e;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned lowest = 0x80, highest = 0xBF; // allowed range of the second byte
        std::uint32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
            lowest = b == 0xE0 ? 0xA0 : 0x80;
            highest = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
            lowest = b == 0xF0 ? 0x90 : 0x80;
            highest = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            e.valid = false;
            return e;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= s.size()) {
                e.valid = cutOff;
                return e;
            }
            const unsigned char c = At(s, i + k);
            const unsigned lo = k == 1 ? lowest : 0x80;
            const unsigned hi = k == 1 ? highest : 0xBF;
            if (c < lo || c > hi) {
                e.valid = false;
                return e;
            }
            cp = cp << 6 | (c & 0x3F);
        }
        ++e.characters;
        if ((cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x4E00 && cp <= 0x9FFF) ||
            (cp >= 0xFF61 && cp <= 0xFF9F))
            ++e.japanese;
        i += len;
    }
    return e;
}

// EUC-JP: two bytes of 0xA1 to 0xFE, 0x8E before a half-width kana, 0x8F before two bytes.
Evidence ReadAsEucJp(std::string_view s, bool cutOff) {
    Evidence e;
    const auto isHigh = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = b == 0x8F ? 3 : 2;
        if (b != 0x8E && b != 0x8F && !isHigh(b)) {
            e.valid = false;
            return e;
        }
        if (i + len > s.size()) {
            e.valid = cutOff;
            return e;
        }
        const unsigned char c = At(s, i + 1);
        const bool ok =
            b == 0x8E ? (c >= 0xA1 && c <= 0xDF) : isHigh(c) && (len == 2 || isHigh(At(s, i + 2)));
        if (!ok) {
            e.valid = false;
            return e;
        }
        ++e.characters;
        if (b == 0xA4 || b == 0xA5)
            ++e.japanese; // hiragana and katakana
        i += len;
    }
    return e;
}

// Whether the head decodes as code page 932, a character cut off at its end aside.
bool ReadsAsCp932(std::string_view s, bool cutOff) {
    if (cutOff) {
        std::size_t i = 0, boundary = 0;
        while (i < s.size()) {
            boundary = i;
            i += (i + 1 < s.size() && IsSjisPair(At(s, i), At(s, i + 1))) ? 2 : 1;
        }
        if (!s.empty() && IsSjisLeadByte(At(s, boundary)) && boundary + 1 == s.size())
            s = s.substr(0, boundary);
    }
    return SjisToUtf8(s).has_value();
}

bool HasIso2022Shift(std::string_view s) {
    for (std::string_view shift : {"\x1B$B", "\x1B$@", "\x1B$(D", "\x1B(I"})
        if (s.find(shift) != std::string_view::npos)
            return true;
    return false;
}

Charset Detect(std::string_view head, bool wholeFile) {
    bool high = false;
    for (const char c : head)
        if (static_cast<unsigned char>(c) >= 0x80) {
            high = true;
            break;
        }
    // Seven-bit text with the shifts of a Japanese mail; no code page 932 text holds them.
    if (!high)
        return HasIso2022Shift(head) ? Charset::Iso2022Jp : Charset::Cp932;

    const bool cutOff = !wholeFile;
    // Text that decodes both ways is code page 932 unless it is plainly Japanese in the other
    // reading: code page 932 text is valid UTF-8 or EUC-JP only by rare accident, and never with
    // kana and kanji in it.
    const Evidence utf8 = ReadAsUtf8(head, cutOff);
    if (utf8.valid && utf8.characters > 0 && (utf8.japanese >= 2 || !ReadsAsCp932(head, cutOff)))
        return Charset::Utf8;
    const Evidence euc = ReadAsEucJp(head, cutOff);
    if (euc.valid && euc.characters > 0 &&
        ((euc.japanese >= 2 && euc.japanese * 4 >= euc.characters) || !ReadsAsCp932(head, cutOff)))
        return Charset::EucJp;
    return Charset::Cp932;
}

} // namespace

EncodingGuess GuessEncoding(EncodingChoice choice, std::string_view head, bool wholeFile) {
    const std::optional<EncodingGuess> bom = ByteOrderMark(head);
    switch (choice) {
    case EncodingChoice::Auto:
        if (bom)
            return *bom;
        return {Detect(head, wholeFile), 0};
    case EncodingChoice::Cp932:
        return {Charset::Cp932, 0};
    case EncodingChoice::Utf8:
        return {Charset::Utf8, bom && bom->charset == Charset::Utf8 ? bom->bomBytes : 0};
    case EncodingChoice::Utf16:
        if (bom && bom->charset != Charset::Utf8)
            return *bom;
        return {Charset::Utf16Le, 0}; // without a mark, the order Windows writes
    case EncodingChoice::EucJp:
        return {Charset::EucJp, 0};
    case EncodingChoice::Iso2022Jp:
        return {Charset::Iso2022Jp, 0};
    }
    return {};
}

std::string_view EncodingChoiceName(EncodingChoice choice) {
    for (const Names& n : kChoiceNames)
        if (n.choice == choice)
            return n.name;
    return "auto";
}

std::optional<EncodingChoice> EncodingChoiceNamed(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    for (const Names& n : kChoiceNames)
        if (AsciiUpper(n.name) == upper)
            return n.choice;
    return std::nullopt;
}

std::string_view CharsetDisplayName(Charset charset) {
    switch (charset) {
    case Charset::Cp932:
        return "Shift_JIS";
    case Charset::Utf8:
        return "UTF-8";
    case Charset::Utf16Le:
        return "UTF-16LE";
    case Charset::Utf16Be:
        return "UTF-16BE";
    case Charset::EucJp:
        return "EUC-JP";
    case Charset::Iso2022Jp:
        return "ISO-2022-JP";
    }
    return "";
}

} // namespace lh
