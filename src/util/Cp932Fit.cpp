#include "Cp932Fit.h"

#include "Codec.h"
#include "platform/Utf8Check.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace lh {

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// The code point at the start of `s` and its length; kInvalid with length 1 for a byte that
// does not begin a well-formed character (overlong forms and surrogates included).
char32_t DecodeUtf8(std::string_view s, std::size_t i, std::size_t& length) noexcept {
    const auto b0 = static_cast<unsigned char>(s[i]);
    length = 1;
    if (b0 < 0x80)
        return b0;
    std::size_t n = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
        cp = b0 & 0x1F;
        least = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        cp = b0 & 0x0F;
        least = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        cp = b0 & 0x07;
        least = 0x10000;
    } else {
        return kInvalid;
    }
    if (i + n > s.size())
        return kInvalid;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return kInvalid;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kInvalid;
    length = n;
    return cp;
}

// Code page 932 form of each character of the Basic Multilingual Plane, asked of the codec the
// first time the character is met: a file of a hundred thousand bookmarks uses a few thousand
// distinct characters, and the codec's own choice among equivalent forms is kept.
// 0: not asked yet; kNoForm: none; a value below 0x100 is one byte, others are two.
constexpr std::uint16_t kNoForm = 0xFFFF;

[[gnu::noinline]] std::uint16_t* MakeSjisForms() {
    thread_local std::vector<std::uint16_t> cache(0x10000, 0);
    return cache.data();
}

// This thread's table of the forms asked so far. Fetched once per text: each use of a
// thread-local object with a constructor costs a call, so the table is reached through a plain
// thread-local pointer, which needs none.
std::uint16_t* SjisForms() {
    thread_local std::uint16_t* forms = nullptr;
    if (!forms) [[unlikely]]
        forms = MakeSjisForms();
    return forms;
}

[[gnu::noinline]] std::uint16_t AskSjisForm(std::uint16_t* forms, char32_t cp) {
    std::string utf8;
    AppendUtf8Char(utf8, cp);
    const std::optional<std::string> sjis = Utf8ToSjis(utf8);
    std::uint16_t form = kNoForm;
    if (sjis && sjis->size() == 1 && static_cast<unsigned char>((*sjis)[0]) != 0)
        form = static_cast<unsigned char>((*sjis)[0]);
    else if (sjis && sjis->size() == 2)
        form = static_cast<std::uint16_t>((static_cast<unsigned char>((*sjis)[0]) << 8) |
                                          static_cast<unsigned char>((*sjis)[1]));
    forms[cp] = form;
    return form;
}

std::uint16_t SjisForm(std::uint16_t* forms, char32_t cp) {
    if (cp >= 0x10000)
        return kNoForm; // code page 932 has nothing beyond the BMP
    const std::uint16_t form = forms[cp];
    return form != 0 ? form : AskSjisForm(forms, cp);
}

char* PutForm(char* w, std::uint16_t form) noexcept {
    if (form >= 0x100)
        *w++ = static_cast<char>(form >> 8);
    *w++ = static_cast<char>(form & 0xFF);
    return w;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Where the first byte flagged in `high` (a word's high bits) stands in its word.
std::size_t FirstFlaggedByte(std::uint64_t high) noexcept {
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(high)
                                                               : std::countl_zero(high);
    return static_cast<std::size_t>(bit / 8);
}

// End of the run of ASCII bytes starting at `i`, 32 and then eight bytes at a time (whole
// pages are mostly ASCII markup); the word that holds the end tells where, so short runs
// between other characters cost a step or two.
std::size_t AsciiRunEnd(std::string_view s, std::size_t i) noexcept {
    while (i + 32 <= s.size()) {
        std::uint64_t w[4];
        std::memcpy(w, s.data() + i, sizeof w);
        if ((w[0] | w[1] | w[2] | w[3]) & kHighBits)
            break;
        i += 32;
    }
    while (i + 8 <= s.size()) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (const std::uint64_t high = word & kHighBits)
            return i + FirstFlaggedByte(high);
        i += 8;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

// No conversion here makes more than three bytes of one (a byte that does not decode becomes
// U+FFFD or %XX), so the output is written into room of that size made once, instead of byte by
// byte; the room is this thread's scratch, which needs no clearing as a string's would.
constexpr std::size_t kMostGrowth = 3;

char* Scratch(std::size_t size) {
    thread_local std::unique_ptr<char[]> buffer;
    thread_local std::size_t capacity = 0;
    if (capacity < size) {
        capacity = std::max(size, 2 * capacity);
        buffer = std::make_unique_for_overwrite<char[]>(capacity);
    }
    return buffer.get();
}

// Writes `s`, whose first `i` bytes are ASCII, at `w`, which has room for kMostGrowth bytes per
// byte of `s`, and returns the end of what it wrote. Runs of ASCII are copied whole; everything
// else goes one character at a time: `onOther(i, w)` writes at `w`, moves it on, and returns the
// bytes of `s` it used.
template <typename OnOther>
char* WalkInto(char* w, std::string_view s, std::size_t i, OnOther&& onOther) {
    const std::size_t n = s.size();
    if (i > 0)
        std::memcpy(w, s.data(), i);
    w += i;
    while (i < n) {
        i += onOther(i, w);
        // The ASCII between two other characters (mostly a few bytes: digits, blanks) goes
        // eight bytes a step, stored whole before looking; what follows the run is written
        // over. The room holds three bytes per input byte, so the store always fits.
        while (n - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            std::memcpy(w, &word, 8);
            const std::uint64_t high = word & kHighBits;
            if (high) {
                const std::size_t ascii = FirstFlaggedByte(high);
                i += ascii;
                w += ascii;
                break;
            }
            i += 8;
            w += 8;
        }
        while (i < n && static_cast<unsigned char>(s[i]) < 0x80 && n - i < 8)
            *w++ = s[i++];
    }
    return w;
}

// The same appended to `out`: text that is all ASCII as it is, other text through this thread's
// scratch room.
template <typename OnOther> void Walk(std::string& out, std::string_view s, OnOther&& onOther) {
    const std::size_t i = AsciiRunEnd(s, 0);
    if (i == s.size()) {
        out.append(s);
        return;
    }
    char* const start = Scratch(s.size() * kMostGrowth);
    const char* const end = WalkInto(start, s, i, onOther);
    out.append(start, static_cast<std::size_t>(end - start));
}

char* PutPercent(char* w, unsigned char b) noexcept {
    static constexpr char kHex[] = "0123456789ABCDEF";
    *w++ = '%';
    *w++ = kHex[b >> 4];
    *w++ = kHex[b & 0x0F];
    return w;
}

bool IsLead(unsigned char b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrail(unsigned char b) noexcept {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// UTF-8 of each code page 932 character (a single byte or a lead/trail pair as the key), asked
// of the codec once. 0: not asked; kNoText: does not decode; else length << 24 | bytes.
constexpr std::uint32_t kNoText = 0xFFFFFFFF;

std::uint32_t* Utf8Forms() {
    thread_local std::vector<std::uint32_t> cache(0x10000, 0);
    return cache.data();
}

[[gnu::noinline]] std::uint32_t AskUtf8Form(std::uint32_t* forms, std::uint16_t key,
                                            std::string_view bytes) {
    std::uint32_t form = kNoText;
    const std::optional<std::string> utf8 = SjisToUtf8(bytes);
    if (utf8 && !utf8->empty() && utf8->size() <= 3) {
        form = static_cast<std::uint32_t>(utf8->size()) << 24;
        for (std::size_t k = 0; k < utf8->size(); ++k)
            form |= static_cast<std::uint32_t>(static_cast<unsigned char>((*utf8)[k]))
                    << (16 - 8 * k);
    }
    forms[key] = form;
    return form;
}

std::uint32_t Utf8Form(std::uint32_t* forms, std::uint16_t key, std::string_view bytes) {
    const std::uint32_t form = forms[key];
    return form != 0 ? form : AskUtf8Form(forms, key, bytes);
}

} // namespace

void AppendUtf8Char(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Copies the ASCII at `p` to `w` until the end of the text or a byte that is not ASCII, moving
// both on. Words are stored whole before looking (what follows the run is written over): the
// room holds three bytes per byte read and eight more, which every store fits. `whole` is the
// text's start: a run to the end takes its last bytes from the text's last word. In line: a call
// would keep both positions in memory for the whole conversion.
[[gnu::always_inline]] inline void CopyAscii(const unsigned char*& p, const unsigned char* end,
                                             char*& w, const unsigned char* whole) noexcept {
    while (end - p >= 32) {
        std::uint64_t words[4];
        std::memcpy(words, p, sizeof words);
        if ((words[0] | words[1] | words[2] | words[3]) & kHighBits)
            break;
        std::memcpy(w, words, sizeof words);
        p += 32;
        w += 32;
    }
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        std::memcpy(w, &word, 8);
        if (const std::uint64_t high = word & kHighBits) {
            const std::size_t ascii = FirstFlaggedByte(high);
            p += ascii;
            w += ascii;
            return;
        }
        p += 8;
        w += 8;
    }
    const auto tail = static_cast<std::size_t>(end - p);
    if (tail == 0)
        return;
    if (end - whole >= 8) {
        // The tail is the end of the text's last word, shifted to its start.
        std::uint64_t word;
        std::memcpy(&word, end - 8, 8);
        const unsigned shift = 8 * static_cast<unsigned>(8 - tail);
        word = std::endian::native == std::endian::little ? word >> shift : word << shift;
        std::memcpy(w, &word, 8);
        const std::uint64_t high = word & kHighBits;
        const std::size_t ascii = high ? FirstFlaggedByte(high) : tail;
        p += ascii;
        w += ascii;
        return;
    }
    while (p < end && *p < 0x80)
        *w++ = static_cast<char>(*p++);
}

// The four bytes at `p`, the first one lowest.
[[gnu::always_inline]] inline std::uint32_t LoadFirstFour(const unsigned char* p) noexcept {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return std::endian::native == std::endian::little ? v : __builtin_bswap32(v);
}

// The form of the three-byte character in the low bytes of `bytes` (first byte lowest), or 0
// unless it is one whose form is known. Overlong forms are left to the general way, which
// refuses them; so are surrogates, which it never asks a form of.
[[gnu::always_inline]] inline std::uint16_t KnownKanaForm(const std::uint16_t* forms,
                                                          std::uint32_t bytes) noexcept {
    if ((bytes & 0xC0C0F0) != 0x8080E0)
        return 0;
    const std::uint32_t cp = (bytes & 0x0F) << 12 | (bytes >> 2 & 0xFC0) | (bytes >> 16 & 0x3F);
    if (cp < 0x800)
        return 0;
    const std::uint16_t form = forms[cp];
    return form == kNoForm ? 0 : form;
}

// Writes the UTF-8 text `s` at `w` as code page 932 and returns the end of what it wrote; `w` has
// the room Utf8AsSjisRoom gives. Kana and kanji are decoded in line. `onMissing(w, p, length)`
// writes what stands for a character code page 932 has no form for (or a byte that is no UTF-8)
// and returns the new end.
template <typename OnMissing>
[[gnu::always_inline]] inline char* Utf8AsSjisInto(char* w, std::string_view s,
                                                   OnMissing&& onMissing) {
    std::uint16_t* const forms = SjisForms();
    const auto* const whole = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* p = whole;
    const unsigned char* const end = p + s.size();
    for (;;) {
        CopyAscii(p, end, w, whole);
        if (p == end)
            return w;
        // The characters up to the next ASCII byte.
        for (;;) {
            // Kana and kanji in a row, whose forms are known: four bytes loaded at once while
            // four are left, the text's last character read byte by byte.
            while (end - p >= 4) {
                const std::uint16_t form = KnownKanaForm(forms, LoadFirstFour(p));
                if (form == 0)
                    break;
                w = PutForm(w, form);
                p += 3;
            }
            if (end - p == 3) {
                const std::uint32_t bytes =
                    std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
                if (const std::uint16_t form = KnownKanaForm(forms, bytes)) {
                    w = PutForm(w, form);
                    p += 3;
                }
            }
            if (p == end || *p < 0x80)
                break;
            std::size_t length = 1;
            const char32_t cp = DecodeUtf8(s, static_cast<std::size_t>(p - whole), length);
            const std::uint16_t form = cp == kInvalid ? kNoForm : SjisForm(forms, cp);
            if (form == kNoForm)
                w = onMissing(w, p, length);
            else
                w = PutForm(w, form);
            p += length;
        }
    }
}

char* PutGetaMark(char* w, const unsigned char*, std::size_t) noexcept {
    std::memcpy(w, kSjisGetaMark.data(), kSjisGetaMark.size());
    return w + kSjisGetaMark.size();
}

char* PutPercentEncoded(char* w, const unsigned char* p, std::size_t length) noexcept {
    for (std::size_t k = 0; k < length; ++k)
        w = PutPercent(w, p[k]);
    return w;
}

// `put(to, utf8)` appended to `out`: text that is all ASCII as it is, other text through this
// thread's scratch room.
template <typename Put> void AppendPut(std::string& out, std::string_view utf8, Put&& put) {
    if (AsciiRunEnd(utf8, 0) == utf8.size()) {
        out.append(utf8);
        return;
    }
    char* const start = Scratch(Utf8AsSjisRoom(utf8.size()));
    const char* const end = put(start, utf8);
    out.append(start, static_cast<std::size_t>(end - start));
}

} // namespace

char* PutUtf8AsSjis(char* to, std::string_view utf8, std::int64_t& replaced) {
    return Utf8AsSjisInto(to, utf8, [&](char* w, const unsigned char* p, std::size_t length) {
        ++replaced;
        return PutGetaMark(w, p, length);
    });
}

char* PutUtf8UrlAsSjis(char* to, std::string_view utf8, std::int64_t& encoded) {
    return Utf8AsSjisInto(to, utf8, [&](char* w, const unsigned char* p, std::size_t length) {
        ++encoded;
        return PutPercentEncoded(w, p, length);
    });
}

void AppendUtf8AsSjis(std::string& out, std::string_view utf8, std::int64_t& replaced) {
    AppendPut(out, utf8,
              [&](char* to, std::string_view s) { return PutUtf8AsSjis(to, s, replaced); });
}

void AppendUtf8UrlAsSjis(std::string& out, std::string_view utf8, std::int64_t& encoded) {
    AppendPut(out, utf8,
              [&](char* to, std::string_view s) { return PutUtf8UrlAsSjis(to, s, encoded); });
}

namespace {

// One character of document text as UTF-8 at `w`; returns the bytes of `sjis` it used.
std::size_t PutSjisCharAsUtf8(std::uint32_t* forms, std::string_view sjis, std::size_t i, char*& w,
                              std::int64_t& lossy) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    const bool pair =
        IsLead(b) && i + 1 < sjis.size() && IsTrail(static_cast<unsigned char>(sjis[i + 1]));
    const std::uint16_t key =
        pair ? static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(sjis[i + 1])) : b;
    const std::uint32_t form = Utf8Form(forms, key, sjis.substr(i, pair ? 2 : 1));
    if (form == kNoText) {
        // Like the codec's lossy reading: one byte is replaced and the next read afresh.
        std::memcpy(w, "\xEF\xBF\xBD", 3);
        w += 3;
        ++lossy;
        return 1;
    }
    const std::size_t n = form >> 24;
    for (std::size_t k = 0; k < n; ++k)
        *w++ = static_cast<char>((form >> (16 - 8 * k)) & 0xFF);
    return pair ? 2 : 1;
}

} // namespace

void AppendSjisAsUtf8(std::string& out, std::string_view sjis, std::int64_t& lossy) {
    std::uint32_t* const forms = Utf8Forms();
    Walk(out, sjis,
         [&](std::size_t i, char*& w) { return PutSjisCharAsUtf8(forms, sjis, i, w, lossy); });
}

char* PutSjisAsUtf8(char* to, std::string_view sjis, std::int64_t& lossy) {
    std::uint32_t* const forms = Utf8Forms();
    return WalkInto(to, sjis, AsciiRunEnd(sjis, 0), [&](std::size_t i, char*& w) {
        return PutSjisCharAsUtf8(forms, sjis, i, w, lossy);
    });
}

bool IsUtf8(std::string_view text) noexcept {
    const auto* u = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    if (!platform::CheckUtf8Blocks(text, i))
        return false;
    while (i < n) {
        i = AsciiRunEnd(text, i);
        // The characters up to the next ASCII byte; kana and kanji (three bytes) are checked
        // here, without decoding them in full.
        while (i < n && u[i] >= 0x80) {
            if (n - i >= 3 && (u[i] & 0xF0) == 0xE0 && (u[i + 1] & 0xC0) == 0x80 &&
                (u[i + 2] & 0xC0) == 0x80) {
                // The lead and the next byte decide whether the form is overlong or a surrogate.
                const unsigned high = (u[i] & 0x0Fu) << 12 | (u[i + 1] & 0x3Fu) << 6;
                if (high < 0x800 || (high >= 0xD800 && high <= 0xDFFF))
                    return false;
                i += 3;
                continue;
            }
            std::size_t length = 1;
            if (DecodeUtf8(text, i, length) == kInvalid)
                return false;
            i += length;
        }
    }
    return true;
}

} // namespace lh
