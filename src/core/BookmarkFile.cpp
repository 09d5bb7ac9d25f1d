#include "BookmarkFile.h"

#include "AccessStampLayout.h"
#include "AccessStamps.h"
#include "BatchRing.h"
#include "EightBytes.h"
#include "FileInPieces.h"
#include "MarkupTokenizer.h"
#include "platform/Locale.h"
#include "platform/Processors.h"
#include "util/Codec.h"
#include "util/Cp932Fit.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace lh {

namespace {

// Longest folder path kept as a remark, in bytes: folders nested thousands deep must not make
// every record beneath them carry a path of megabytes.
constexpr std::size_t kLongestFolderPath = 256;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Pages from this size up are read on two threads when a processor is idle: some thousand
// bookmarks, whose reading takes far longer than starting a thread.
constexpr std::size_t kTwoThreadBytes = std::size_t{256} << 10;

// The first piece of a page file read on the tokenizing thread, smaller than the others: the
// thread making records waits for that one only.
constexpr std::size_t kFirstPiece = std::size_t{64} << 10;

bool IsSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Blanks around a title come from the page's layout; blanks that belong to it are written as
// character references, which this leaves alone.
std::string_view TrimLayout(std::string_view s) noexcept {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// `raw` trimmed and decoded: the trimmed text itself when it holds no reference, else decoded
// into `scratch`.
std::string_view Decoded(std::string& scratch, std::string_view raw) {
    raw = TrimLayout(raw);
    if (raw.find('&') == std::string_view::npos)
        return raw;
    scratch.clear();
    AppendDecodedMarkup(scratch, raw);
    return scratch;
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view lower) noexcept {
    return s.size() >= lower.size() && EqualsIgnoringCase(s.substr(0, lower.size()), lower);
}

// A number of seconds since the epoch; some writers give milli- or microseconds.
// The value of eight ASCII digits in memory order; empty when any of them is no digit. Each step
// joins neighbour lanes into lanes twice as wide, so the digits take three multiplications.
[[gnu::always_inline]] inline std::optional<std::uint64_t> EightDigits(const char* p) noexcept {
    const std::uint64_t w = eight::Load8(p);
    // A digit's high half is 3, and adding 6 to its low half carries into nothing.
    constexpr std::uint64_t kHighHalves = 0xF0F0F0F0F0F0F0F0ull;
    if ((w & kHighHalves) != 0x30 * eight::kOnes ||
        ((w + 6 * eight::kOnes) & kHighHalves) != 0x30 * eight::kOnes)
        return std::nullopt;
    std::uint64_t v = w - 0x30 * eight::kOnes;
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
    return (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
}

std::optional<std::time_t> EpochSeconds(const std::string_view* raw) {
    if (!raw)
        return std::nullopt;
    // Ten digits, the seconds of every date since 2001: read at once. Ten digits stay below the
    // finer units' bound and need no blanks trimmed.
    if (raw->size() == 10 && std::endian::native == std::endian::little) {
        const char* const p = raw->data();
        const unsigned tens = static_cast<unsigned char>(p[8]) - '0';
        const unsigned ones = static_cast<unsigned char>(p[9]) - '0';
        if (tens <= 9 && ones <= 9) {
            if (const std::optional<std::uint64_t> high = EightDigits(p)) {
                const std::uint64_t value = *high * 100 + tens * 10 + ones;
                return value == 0 ? std::nullopt : std::optional<std::time_t>(value);
            }
        }
    }
    const std::string_view digits = TrimLayout(*raw);
    if (digits.empty() || digits.size() > 19)
        return std::nullopt;
    // Unsigned: nineteen digits may pass the largest signed value.
    std::uint64_t value = 0;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= digits.size(); i += 8) {
            const std::optional<std::uint64_t> chunk = EightDigits(digits.data() + i);
            if (!chunk)
                return std::nullopt;
            value = value * 100000000 + *chunk;
        }
    }
    for (; i < digits.size(); ++i) {
        const char c = digits[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    while (value > 100000000000ULL) // past the year 5000 in seconds: a finer unit
        value /= 1000;
    if (value == 0)
        return std::nullopt;
    return static_cast<std::time_t>(value);
}

// The first "&" in [from, end), or null. A title is short: eight bytes a step in line cost less
// than a library call takes to set up.
char* FindAmpersand(char* from, char* end) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - from >= 8; from += 8)
            if (const std::uint64_t hits = eight::BytesEqual(eight::Load8(from), '&'))
                return from + std::countr_zero(hits) / 8;
    }
    for (; from != end; ++from)
        if (*from == '&')
            return from;
    return nullptr;
}

// Cuts UTF-8 text to at most `bytes` without splitting a character.
void CutUtf8(std::string& s, std::size_t bytes) {
    if (s.size() <= bytes)
        return;
    while (bytes > 0 && (static_cast<unsigned char>(s[bytes]) & 0xC0) == 0x80)
        --bytes;
    s.resize(bytes);
}

// The elements a bookmark page is built of; every other tag is inline markup.
enum class Tag { Other, A, DD, DL, DT, H1, H3, HR };

// In line where tokens are batched: a call per tag cost as much as the test.
[[gnu::always_inline]] inline Tag TagOf(std::string_view name) noexcept {
    if (name.size() == 1)
        return (name[0] == 'a' || name[0] == 'A') ? Tag::A : Tag::Other;
    if (name.size() != 2)
        return Tag::Other;
    const char a = static_cast<char>(name[0] | 0x20);
    const char b = static_cast<char>(name[1] | 0x20);
    if (a == 'd')
        return b == 'd' ? Tag::DD : b == 'l' ? Tag::DL : b == 't' ? Tag::DT : Tag::Other;
    if (a == 'h')
        return name[1] == '1'   ? Tag::H1
               : name[1] == '3' ? Tag::H3
               : b == 'r'       ? Tag::HR
                                : Tag::Other;
    return Tag::Other;
}

// What a link's tag says from its attributes alone: the part of a bookmark that can be read
// apart from the page's structure, and so on the thread that tokenizes.
struct LinkTag {
    enum class Kind { Record, NoAddress, Script };
    Kind kind = Kind::NoAddress;
    bool feed = false;
    std::optional<std::time_t> when;
};

// A name of `n` bytes (at most 16) to compare in words: a name read is the same in any ASCII
// letter case when its bytes, with bit 0x20 set where `lower` has letters, equal `lower`'s.
// Setting that bit is exact on letters alone ("_" would meet DEL), so other places keep it.
template <std::size_t n> struct FoldedName {
    std::uint64_t words[2] = {};
    std::uint64_t letterBits[2] = {};

    consteval explicit FoldedName(const char (&lower)[n + 1]) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t c = static_cast<unsigned char>(lower[i]);
            words[i / 8] |= c << (i % 8 * 8);
            if (c >= 'a' && c <= 'z')
                letterBits[i / 8] |= std::uint64_t{0x20} << (i % 8 * 8);
        }
    }

    // `name` holds n bytes.
    bool Matches(std::string_view name) const noexcept {
        std::uint64_t w[2] = {};
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(w, name.data(), n);
        } else {
            for (std::size_t i = 0; i < n; ++i)
                w[i / 8] |= std::uint64_t{static_cast<unsigned char>(name[i])} << (i % 8 * 8);
        }
        return ((w[0] | letterBits[0]) == words[0]) & ((w[1] | letterBits[1]) == words[1]);
    }
};

// Reads a link's attributes; hands its address's raw value (unless NoAddress) to `decode`,
// which returns it decoded.
template <typename Decode>
LinkTag ReadLinkTagWith(std::span<const MarkupAttribute> attributes, const Decode& decode) {
    static constexpr FoldedName<4> kHref("href");
    static constexpr FoldedName<7> kFeedUrl("feedurl");
    static constexpr FoldedName<10> kLastVisit("last_visit");
    static constexpr FoldedName<8> kAddDate("add_date");
    LinkTag tag;
    // One pass over the attributes; the first of each name counts.
    const std::string_view* href = nullptr;
    const std::string_view* feed = nullptr;
    const std::string_view* lastVisit = nullptr;
    const std::string_view* added = nullptr;
    for (const MarkupAttribute& a : attributes) {
        const auto take = [&a](const std::string_view*& slot, const auto& name) {
            if (!slot && name.Matches(a.name))
                slot = &a.rawValue;
        };
        // The names differ in length, which picks the one to compare with.
        switch (a.name.size()) {
        case 4:
            take(href, kHref);
            break;
        case 7:
            take(feed, kFeedUrl);
            break;
        case 10:
            take(lastVisit, kLastVisit);
            break;
        case 8:
            take(added, kAddDate);
            break;
        default:
            break;
        }
    }
    if (feed) {
        tag.feed = true;
        // The site's address opens in a browser; the feed's only in a reader.
        if (!href || TrimLayout(*href).empty())
            href = feed;
    }
    if (!href)
        return tag;
    // Addresses seldom have blanks around them, which their two ends tell without the call.
    const std::string_view raw = *href;
    const bool bare = !raw.empty() && static_cast<unsigned char>(raw.front()) > ' ' &&
                      static_cast<unsigned char>(raw.back()) > ' ';
    const std::string_view decoded = decode(bare ? raw : TrimLayout(raw));
    // Most addresses start with neither letter, which one test tells.
    const char first = decoded.empty() ? '\0' : static_cast<char>(decoded[0] | 0x20);
    if ((first == 'j' && StartsWithIgnoringCase(decoded, "javascript:")) ||
        (first == 'p' && StartsWithIgnoringCase(decoded, "place:"))) {
        tag.kind = LinkTag::Kind::Script;
        return tag;
    }
    tag.kind = LinkTag::Kind::Record;
    // Most pages give no last visit: that is told here rather than in a call.
    if (lastVisit)
        tag.when = EpochSeconds(lastVisit);
    if (!tag.when)
        tag.when = EpochSeconds(added);
    return tag;
}

// Reads a link's attributes; appends its address, decoded, to `address` (unless NoAddress).
LinkTag ReadLinkTag(std::span<const MarkupAttribute> attributes, std::string& address) {
    return ReadLinkTagWith(attributes, [&address](std::string_view raw) {
        const std::size_t from = address.size();
        AppendDecodedMarkup(address, raw);
        return std::string_view(address).substr(from);
    });
}

class BookmarkReader {
public:
    BookmarkReader(TableStore& into, ExchangeTally& tally) : m_into(into), m_tally(tally) {}

    // Takes the page's tokens one by one, in order; `tag` is TagOf the token's name.
    // `link` and `linkAddress`: a link tag's reading done ahead, if it was; the address of a
    // record's link then comes decoded, and when `linkConverted` in code page 932 already,
    // `linkEncoded` characters of it percent-encoded.
    void Take(MarkupToken::Kind kind, Tag tag, std::string_view text,
              std::span<const MarkupAttribute> attributes, const LinkTag* link = nullptr,
              std::string_view linkAddress = {}, std::int64_t linkEncoded = 0,
              bool linkConverted = false) {
        // Texts outside titles (the layout between tags) are most of the tokens: they are
        // passed over here, and only tags go on.
        if (kind == MarkupToken::Kind::Text) {
            if (m_collecting != Collecting::Nothing)
                CollectText(text);
            return;
        }
        TakeTag(kind, tag, attributes, link, linkAddress, linkEncoded, linkConverted);
    }

    // The end of the page: a text still open ends there.
    void Finish() { FinishText(); }

    // The link's address read ahead is a view into the batch it came with, which the link may
    // outlast: a copy is kept before that batch goes back to be refilled.
    void KeepReadAhead() {
        if (m_link.address.data() != m_link.ownAddress.data()) {
            m_link.ownAddress.assign(m_link.address);
            m_link.address = m_link.ownAddress;
        }
    }

private:
    enum class Collecting { Nothing, Link, Folder, Description };

    [[gnu::noinline]] void TakeTag(MarkupToken::Kind kind, Tag tag,
                                   std::span<const MarkupAttribute> attributes, const LinkTag* link,
                                   std::string_view linkAddress, std::int64_t linkEncoded,
                                   bool linkConverted) {
        using Kind = MarkupToken::Kind;
        if (kind == Kind::EndTag) {
            if ((tag == Tag::A && m_collecting == Collecting::Link) ||
                (tag == Tag::H3 && m_collecting == Collecting::Folder) ||
                (tag == Tag::DD && m_collecting == Collecting::Description)) {
                FinishText();
            } else if (tag == Tag::DL) {
                FinishText();
                LeaveFolder();
            }
            return;
        }
        if (tag == Tag::Other)
            return; // inline markup inside a title: its text still counts
        // A missing closing tag ends the text at the next entry.
        FinishText();
        switch (tag) {
        case Tag::DL:
            EnterFolder();
            break;
        case Tag::A:
            BeginLink(attributes, link, linkAddress, linkEncoded, linkConverted);
            break;
        case Tag::H3:
            m_collecting = Collecting::Folder;
            m_describable = false;
            break;
        case Tag::DD:
            m_collecting = Collecting::Description;
            break;
        case Tag::HR:
            ++m_tally.separators;
            m_describable = false;
            break;
        case Tag::DT:
        case Tag::H1:
        case Tag::Other:
            break;
        }
    }

    void EnterFolder() {
        m_pathLengths.push_back(m_path.size());
        if (m_pendingFolder) {
            if (!m_path.empty())
                m_path += '/';
            m_path += *m_pendingFolder;
            if (m_path.size() > kLongestFolderPath && m_cutLevels == 0)
                m_cutLevels = 1; // counted up below
            CutUtf8(m_path, kLongestFolderPath);
            m_pendingFolder.reset();
            m_remarkStale = true;
        }
        // Every level from the first cut one down holds a cut path.
        if (m_cutLevels > 0)
            ++m_cutLevels;
        m_describable = false;
    }

    void LeaveFolder() {
        m_pendingFolder.reset();
        m_describable = false;
        if (m_pathLengths.empty())
            return;
        if (m_cutLevels > 0 && --m_cutLevels == 1)
            m_cutLevels = 0;
        m_path.resize(m_pathLengths.back());
        m_pathLengths.pop_back();
        m_remarkStale = true;
    }

    // `read` is the tag read ahead with its address, or null to read it here.
    void BeginLink(std::span<const MarkupAttribute> attributes, const LinkTag* read,
                   std::string_view readAddress, std::int64_t readEncoded, bool readConverted) {
        m_describable = false;
        m_collecting = Collecting::Link;
        m_rawText = {};
        m_rawPieces = 0;
        LinkTag tag;
        if (read) {
            tag = *read;
            m_link.address = readAddress;
            m_link.inSjis = readConverted;
            m_link.encoded = readConverted ? readEncoded : 0;
        } else {
            m_link.ownAddress.clear();
            tag = ReadLinkTag(attributes, m_link.ownAddress);
            m_link.address = m_link.ownAddress;
            m_link.inSjis = false;
            m_link.encoded = 0;
        }
        m_link.when = tag.when;
        m_link.skip = tag.kind != LinkTag::Kind::Record;
        if (tag.feed)
            ++m_tally.feeds;
        if (tag.kind == LinkTag::Kind::NoAddress)
            ++m_tally.emptySkipped;
        else if (tag.kind == LinkTag::Kind::Script)
            ++m_tally.scriptsSkipped;
    }

    // The text of an element mostly comes as one piece, which stays a view into the page; only
    // text broken up by inline markup is gathered in a copy.
    void CollectText(std::string_view text) {
        if (m_rawPieces++ == 0) {
            m_rawText = text;
            return;
        }
        if (m_rawPieces == 2)
            m_raw.assign(m_rawText);
        m_raw.append(text);
        m_rawText = m_raw;
    }

    // Most tags come with no text open: that test is made in line.
    void FinishText() {
        if (m_collecting != Collecting::Nothing)
            FinishCollected();
    }

    void FinishCollected() {
        const Collecting what = m_collecting;
        m_collecting = Collecting::Nothing;
        switch (what) {
        case Collecting::Nothing:
            return;
        case Collecting::Folder:
            m_pendingFolder = std::string(Decoded(m_text, m_rawText));
            break;
        case Collecting::Link:
            if (!m_link.skip)
                AddRecord(TrimLayout(m_rawText));
            break;
        case Collecting::Description:
            if (m_describable) {
                m_description.clear();
                AppendUtf8AsSjis(m_description, Decoded(m_text, m_rawText),
                                 m_tally.replacedCharacters);
                m_into.SetText(m_into.RecordCount() - 1, TableStore::kRemark, m_description);
            }
            m_describable = false;
            break;
        }
        m_rawText = {};
        m_rawPieces = 0;
    }

    // Room for `bytes` in m_record, what it holds kept.
    void MakeRoom(std::size_t bytes) {
        if (m_record.size() < bytes)
            m_record.resize(std::max(bytes, 2 * m_record.size()));
    }

    // Writes the title `raw` (its references not yet decoded) as code page 932 at the start of
    // m_record and returns its length. Titles hold few references, most of them "&amp;": the
    // title is converted whole and each "&amp;" squeezed to "&" in place; a title with any
    // other reference is decoded whole first. Code page 932 writes a "&" only for a "&" (no
    // byte of a two-byte character is below 0x40), and "amp;" after it only for "amp;".
    std::size_t PutTitle(std::string_view raw) {
        MakeRoom(Utf8AsSjisRoom(raw.size()));
        char* const start = m_record.data();
        std::int64_t replaced = 0;
        char* const end = PutUtf8AsSjis(start, raw, replaced);
        char* amp = FindAmpersand(start, end);
        char* w = amp ? amp : end;
        while (amp) {
            constexpr std::string_view kAmp = "&amp;";
            if (static_cast<std::size_t>(end - amp) < kAmp.size() ||
                std::string_view(amp, kAmp.size()) != kAmp)
                return PutDecodedTitle(raw);
            *w++ = '&';
            char* const from = amp + kAmp.size();
            amp = FindAmpersand(from, end);
            const std::size_t run = static_cast<std::size_t>((amp ? amp : end) - from);
            std::memmove(w, from, run);
            w += run;
        }
        m_tally.replacedCharacters += replaced;
        return static_cast<std::size_t>(w - start);
    }

    // PutTitle's way for a title with references other than "&amp;".
    std::size_t PutDecodedTitle(std::string_view raw) {
        m_text.clear();
        AppendDecodedMarkup(m_text, raw);
        MakeRoom(Utf8AsSjisRoom(m_text.size()));
        std::int64_t replaced = 0;
        char* const end = PutUtf8AsSjis(m_record.data(), m_text, replaced);
        m_tally.replacedCharacters += replaced;
        return static_cast<std::size_t>(end - m_record.data());
    }

    // `rawTitle`: trimmed, its references not yet decoded.
    void AddRecord(std::string_view rawTitle) {
        if (m_remarkStale) {
            m_remark.clear();
            AppendUtf8AsSjis(m_remark, m_path, m_tally.replacedCharacters);
            m_remarkStale = false;
        }
        if (m_cutLevels > 0)
            ++m_tally.cutFolderPaths;
        const std::string_view access =
            m_link.when ? m_stamps.Text(*m_link.when) : std::string_view();
        // The four texts are written back to back into one reused room, which the store copies
        // in one piece.
        const std::size_t nameLength = PutTitle(rawTitle);
        const std::string_view linkAddress = m_link.address;
        MakeRoom(nameLength +
                 (m_link.inSjis ? linkAddress.size() : Utf8AsSjisRoom(linkAddress.size())) +
                 access.size() + m_remark.size());
        char* const name = m_record.data();
        char* const address = name + nameLength;
        char* stamp = nullptr;
        if (m_link.inSjis) {
            stamp = std::copy(linkAddress.begin(), linkAddress.end(), address);
            m_tally.encodedCharacters += m_link.encoded;
        } else {
            stamp = PutUtf8UrlAsSjis(address, linkAddress, m_tally.encodedCharacters);
        }
        char* const remark = std::copy(access.begin(), access.end(), stamp);
        char* const end = std::copy(m_remark.begin(), m_remark.end(), remark);
        const auto part = [](const char* from, const char* to) {
            return std::string_view(from, static_cast<std::size_t>(to - from));
        };
        m_into.AppendRecord(part(name, address), part(address, stamp), part(stamp, remark),
                            part(remark, end));
        m_describable = true;
    }

    struct Link {
        // Read ahead (in code page 932 for a record's), or in ownAddress (UTF-8).
        std::string_view address;
        std::string ownAddress;
        bool inSjis = false;      // whether `address` is converted already
        std::int64_t encoded = 0; // the characters percent-encoded in converting it
        std::optional<std::time_t> when;
        bool skip = false;
    };

    TableStore& m_into;
    ExchangeTally& m_tally;
    Collecting m_collecting = Collecting::Nothing;
    std::string_view m_rawText; // the text collected so far, references not yet decoded
    std::size_t m_rawPieces = 0;
    std::string m_raw;  // m_rawText when it came in more than one piece
    std::string m_text; // m_rawText decoded, where decoding changed it
    Link m_link;
    std::optional<std::string> m_pendingFolder;
    std::string m_path; // UTF-8, folders joined by "/"
    std::vector<std::size_t> m_pathLengths;
    // Folder levels whose path was cut to kLongestFolderPath, plus one; 0 while none is.
    std::size_t m_cutLevels = 0;
    std::string m_description;  // in cp932
    std::vector<char> m_record; // room for a record's texts
    std::string m_remark;       // m_path in cp932
    bool m_remarkStale = true;
    // The last record may still get a description (<DD> right after it).
    bool m_describable = false;
    AccessStamps m_stamps;
};

class BookmarkFormat final : public CollectionFormat {
public:
    std::string_view Name() const noexcept override { return "bookmarks"; }

    bool Read(const std::string& path, CollectionContent& into, ProgressSink& progress,
              IoError& error) const override {
        FileInPieces file;
        return file.Open(path, error) && ReadBookmarkFile(file, into, progress, error);
    }

    bool Write(std::FILE* out, const TableStore& records, const std::string& title,
               ProgressSink& progress, ExchangeTally& tally) const override;
};

// Text as a bookmark page holds it: markup characters as references, and control characters and
// blanks at either end too, so that they survive readers that go by lines or trim.
void AppendEscaped(std::string& out, std::string_view utf8) {
    std::size_t first = 0;
    while (first < utf8.size() && utf8[first] == ' ')
        ++first;
    std::size_t last = utf8.size();
    while (last > first && utf8[last - 1] == ' ')
        --last;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case ' ':
            out += (i < first || i >= last) ? "&#32;" : " ";
            break;
        default:
            // Control characters as references (NUL stays, as no reference names it).
            if (c != '\0' && static_cast<unsigned char>(c) < 0x20)
                out += "&#" + std::to_string(static_cast<int>(c)) + ";";
            else
                out += c;
        }
    }
}

bool BookmarkFormat::Write(std::FILE* out, const TableStore& records, const std::string& title,
                           ProgressSink& progress, ExchangeTally& tally) const {
    BlockWriter writer(out);
    std::string& b = writer.Buffer();
    std::string utf8;
    const std::string now = std::to_string(static_cast<long long>(std::time(nullptr)));
    b += "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
         "<!-- This is an automatically generated file.\n"
         "     It will be read and overwritten.\n"
         "     DO NOT EDIT! -->\n"
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
         "<TITLE>Bookmarks</TITLE>\n"
         "<H1>Bookmarks</H1>\n"
         "<DL><p>\n"
         "    <DT><H3 ADD_DATE=\"" +
         now + "\" LAST_MODIFIED=\"" + now + "\">";
    AppendSjisAsUtf8(utf8, title, tally.lossyCharacters);
    AppendEscaped(b, utf8);
    b += "</H3>\n    <DL><p>\n";
    for (TableStore::Row r = 0; r < records.RecordCount(); ++r) {
        b += "        <DT><A HREF=\"";
        utf8.clear();
        AppendSjisAsUtf8(utf8, records.Text(r, TableStore::kAddress), tally.lossyCharacters);
        AppendEscaped(b, utf8);
        b += '"';
        if (const std::optional<std::time_t> when =
                TimeFromAccessText(records.Text(r, TableStore::kAccess))) {
            const std::string t = std::to_string(static_cast<long long>(*when));
            b += " ADD_DATE=\"" + t + "\" LAST_VISIT=\"" + t + "\"";
        }
        b += '>';
        utf8.clear();
        AppendSjisAsUtf8(utf8, records.Text(r, TableStore::kName), tally.lossyCharacters);
        AppendEscaped(b, utf8);
        // Every record gets its description, even an empty one, so that reading the file back
        // gives the remark and not the folder's name.
        b += "</A>\n        <DD>";
        utf8.clear();
        AppendSjisAsUtf8(utf8, records.Text(r, TableStore::kRemark), tally.lossyCharacters);
        AppendEscaped(b, utf8);
        b += '\n';
        if (((r + 1) & 4095) == 0)
            progress.ProgressStep(4096);
        if (!writer.Pump())
            return false;
    }
    progress.ProgressStep(records.RecordCount() & 4095);
    b += "    </DL><p>\n</DL><p>\n";
    return writer.Flush() && std::fflush(out) == 0;
}

// Old browsers wrote the page in the system's code page: such a page in UTF-8, kept in
// `converted`; the page itself when it is no code page 932 text either.
std::string_view Utf8Page(std::string_view page, std::string& converted) {
    if (std::optional<std::string> utf8 = SjisToUtf8(page)) {
        converted = std::move(*utf8);
        return converted;
    }
    return page;
}

// Which element's text the reader has open, followed from the tags alone on the thread that
// tokenizes, to leave out of its batches the tokens the reader would pass over unchanged: texts
// while no text is open (the layout between entries), inline tags, end tags that close nothing
// and entry tags with no text open to end. It follows BookmarkReader::TakeTag.
class OpenTextAhead {
public:
    // Takes the next token; false when the reader would do nothing with it. `tag` is set to
    // TagOf the token's name (Other for a text).
    [[gnu::always_inline]] bool Matters(const MarkupToken& t, Tag& tag) noexcept {
        tag = Tag::Other;
        if (t.kind == MarkupToken::Kind::Text)
            return m_open != Tag::Other;
        tag = TagOf(t.name);
        if (t.kind == MarkupToken::Kind::EndTag) {
            if (tag == Tag::DL || (tag == m_open && tag != Tag::Other)) {
                m_open = Tag::Other;
                return true;
            }
            return false;
        }
        switch (tag) {
        case Tag::Other:
            return false;
        case Tag::A:
        case Tag::H3:
        case Tag::DD:
            m_open = tag;
            return true;
        case Tag::DL:
        case Tag::HR:
            m_open = Tag::Other;
            return true;
        case Tag::DT:
        case Tag::H1:
            break;
        }
        const bool ends = m_open != Tag::Other;
        m_open = Tag::Other;
        return ends;
    }

private:
    Tag m_open = Tag::Other; // A, H3 or DD whose text is open; Other for none
};

// Tokens handed to the thread that makes records, in file order, with the link tags among them
// read ahead. The texts stay views into the page, which outlives both threads. Attributes are
// not kept: the reader needs only a link's, and those come read.
struct ReadAheadBatch {
    // Past either size a batch is handed on: small enough to stay in the cache between the two
    // cores, large enough that the hand-over costs little per token.
    static constexpr std::size_t kMaxTokens = 2048;
    static constexpr std::size_t kMaxAddressBytes = std::size_t{128} << 10;

    struct Token {
        MarkupToken::Kind kind = MarkupToken::Kind::Text;
        Tag tag = Tag::Other; // TagOf its name: the reader needs no more of it
        std::string_view text;
    };
    struct Link {
        std::size_t token; // its index in the batch
        LinkTag tag;
        std::size_t from; // its address in `addresses` (empty unless a record's)
        std::size_t length;
        std::int64_t encoded; // the address's characters percent-encoded
        bool converted;       // to code page 932; else it is left in UTF-8
    };
    std::vector<Token> tokens;
    std::vector<Link> links;
    // The records' addresses decoded, and converted to code page 932 where `convert` says so,
    // back to back in its first `addressBytes` bytes. Its size is the room kept from batch to
    // batch.
    std::string addresses;
    // Whether this thread converts the addresses too: the conversion goes to whichever thread
    // has the time, as the thread that makes records leaves more or fewer batches waiting.
    bool convert = true;
    std::size_t addressBytes = 0;
    std::string decoded; // room for one address decoded, kept likewise
    // Bytes of the file read by the time the batch was handed on, for the progress display,
    // which belongs to the thread that makes records.
    std::size_t bytesRead = 0;
    // The stretch of the page, up to the batch's last token, whose UTF-8 check falls to the
    // thread that makes records: the tokenizing thread, which reads the file too, has the more
    // to do.
    std::string_view unchecked;

    // `element`: TagOf the token's name (Other for a text), as OpenTextAhead found it.
    void Add(const MarkupToken& t, Tag element) {
        if (element == Tag::A && t.kind == MarkupToken::Kind::StartTag) {
            std::string_view utf8;
            const LinkTag tag = ReadLinkTagWith(t.attributes, [this, &utf8](std::string_view raw) {
                if (decoded.size() < raw.size())
                    decoded.resize(std::max(2 * decoded.size(), raw.size()));
                char* const end = PutDecodedMarkup(decoded.data(), raw);
                utf8 = std::string_view(decoded.data(),
                                        static_cast<std::size_t>(end - decoded.data()));
                return utf8;
            });
            Link link{tokens.size(), tag, addressBytes, 0, 0, convert};
            if (tag.kind == LinkTag::Kind::Record) {
                const std::size_t room = convert ? Utf8AsSjisRoom(utf8.size()) : utf8.size();
                if (addresses.size() - addressBytes < room)
                    addresses.resize(std::max(2 * addresses.size(), addressBytes + room));
                char* const begin = addresses.data() + addressBytes;
                char* const end = convert ? PutUtf8UrlAsSjis(begin, utf8, link.encoded)
                                          : std::copy(utf8.begin(), utf8.end(), begin);
                link.length = static_cast<std::size_t>(end - begin);
                addressBytes += link.length;
            }
            links.push_back(link);
        }
        tokens.push_back({t.kind, element, t.text});
    }
    bool Full() const noexcept {
        return tokens.size() >= kMaxTokens || addressBytes >= kMaxAddressBytes;
    }
    void Clear() noexcept {
        tokens.clear();
        links.clear();
        addressBytes = 0;
        bytesRead = 0;
        unchecked = {};
    }
};

// The page the tokenizing thread works through: whole in memory, or a file still being read in
// pieces. The tokenizing thread reads a piece when it has tokenized all there is; the thread
// making records reads one when it has no batch to work on. Reading there lets the records
// begin with the file's first piece instead of after its last.
class PageFeed {
public:
    struct Now {
        std::string_view page; // past a byte-order mark; its bytes never move
        bool whole;
    };

    explicit PageFeed(std::string_view page) noexcept : m_page(page), m_whole(true) {}
    // `file` is open and holds nothing yet.
    PageFeed(FileInPieces& file, std::size_t firstPiece, std::size_t piece) noexcept
        : m_file(&file), m_nextPiece(firstPiece), m_piece(piece) {}

    // What is there so far.
    Now Page() {
        std::lock_guard lock(m_mutex);
        return {m_page, m_whole};
    }
    // Makes the page longer than the `seen` bytes, by `pending` bytes at least: those of a token
    // still open at its end, which is read again from its start. Each time, that token then has
    // twice the bytes at least, so that a token of any length is read again a few times only.
    // False when the rest cannot come in place: a read error, or a file that has grown since it
    // was opened (its FileInPieces tells which).
    bool ReadMore(std::size_t seen, std::size_t pending) {
        std::lock_guard lock(m_mutex);
        const std::size_t wanted = seen + std::max<std::size_t>(pending, 1);
        while (!m_whole && m_page.size() < wanted)
            if (!ReadPiece(wanted - m_page.size()))
                return false;
        return true;
    }
    // Reads the next piece, unless the page is whole or the reading stopped.
    void ReadAhead() {
        std::lock_guard lock(m_mutex);
        if (!m_whole)
            (void)ReadPiece(0);
    }
    // The bytes of the file read so far.
    std::size_t BytesRead() {
        std::lock_guard lock(m_mutex);
        return m_file ? m_file->Bytes().Size() : 0;
    }

private:
    bool ReadPiece(std::size_t least) {
        if (m_stopped)
            return false;
        const FileInPieces::Step step = m_file->Read(std::max(m_nextPiece, least), true);
        m_nextPiece = m_piece;
        m_whole = step == FileInPieces::Step::End;
        m_stopped = step != FileInPieces::Step::More && !m_whole;
        std::string_view bytes = m_file->Bytes().View();
        // The mark is known once three bytes are there, or the file ended before.
        if (bytes.size() >= kUtf8Bom.size() || m_whole) {
            if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
                bytes.remove_prefix(kUtf8Bom.size());
            m_page = bytes;
        }
        return !m_stopped;
    }

    std::mutex m_mutex;
    FileInPieces* m_file = nullptr;
    std::string_view m_page;
    bool m_whole = false;
    bool m_stopped = false;
    std::size_t m_nextPiece = 0;
    std::size_t m_piece = 0;
};

// Unfinished: the feed stopped before the page's end (see PageFeed::ReadMore), and the records
// made meanwhile were taken out again.
enum class TwoThreadParse { NotStarted, NotUtf8, Unfinished, Done };

// Batches waiting for the thread that makes records from which the tokenizing thread, ahead
// enough, converts the addresses itself. Reading the file too, it is mostly the slower one: at
// half the ring, the conversion stays with the record thread unless that one falls well behind.
constexpr std::size_t kConvertAheadBatches = 4;

// A second thread tokenizes the page while this one makes records of the tokens, in file order,
// so the outcome is that of one thread. With `checkUtf8` the tokenizing thread also makes sure
// the page is UTF-8, a stretch before each batch it hands on; when it is not, the records made
// meanwhile are taken out again and the counts restored (NotUtf8).
TwoThreadParse ParseOnTwoThreads(PageFeed& feed, TableStore& into, ExchangeTally& tally,
                                 bool checkUtf8, ProgressSink& progress) {
    BatchRing<ReadAheadBatch> ring(8);
    std::exception_ptr tokenizerError;
    bool unfinished = false; // read here only after the tokenizing thread has ended
    const auto tokenizerBody = [&] {
        try {
            // The page is checked in stretches that end before an ASCII byte, which no UTF-8
            // character spans: the stretches are UTF-8 exactly when the page is.
            std::size_t checked = 0;
            const auto stretchUpTo = [&](std::string_view page, bool whole, std::size_t to) {
                if (!checkUtf8)
                    return std::string_view();
                if (whole) {
                    while (to < page.size() && static_cast<unsigned char>(page[to]) >= 0x80)
                        ++to;
                } else {
                    // The bytes after `to` may not be there yet.
                    while (to > checked && static_cast<unsigned char>(page[to]) >= 0x80)
                        --to;
                }
                const std::string_view stretch = page.substr(checked, to - checked);
                checked = std::max(checked, to);
                return stretch;
            };
            MarkupToken t;
            OpenTextAhead open;
            Tag element = Tag::Other;
            // The addresses are converted here while the thread making records is behind.
            const auto takeNext = [&ring] {
                ReadAheadBatch* next = ring.TakeFree();
                if (next)
                    next->convert = ring.Waiting() >= kConvertAheadBatches;
                return next;
            };
            ReadAheadBatch* batch = takeNext();
            std::size_t from = 0; // where the first token not yet taken begins
            PageFeed::Now now = feed.Page();
            while (batch) {
                const std::string_view page = now.page;
                const bool whole = now.whole;
                MarkupTokenizer tokenizer(page, from);
                for (;;) {
                    // Next may pass over comments before its token, or to the end of the page in
                    // one: those are read again too, with the token.
                    from = tokenizer.Position();
                    if (!tokenizer.Next(t))
                        break;
                    // A token that reaches the end of the bytes read so far waits for the next
                    // piece, and is read again from its start then.
                    if (!whole && !tokenizer.EndedBeforePageEnd())
                        break;
                    if (!open.Matters(t, element))
                        continue;
                    batch->Add(t, element);
                    if (batch->Full()) {
                        batch->unchecked = stretchUpTo(page, whole, tokenizer.Position());
                        batch->bytesRead = feed.BytesRead();
                        batch = ring.Send(batch) ? takeNext() : nullptr;
                        if (!batch)
                            break;
                    }
                }
                if (!batch || whole)
                    break;
                if (!feed.ReadMore(page.size(), page.size() - from)) {
                    unfinished = true;
                    batch = nullptr;
                }
                now = feed.Page();
            }
            if (batch) {
                batch->unchecked = stretchUpTo(now.page, true, now.page.size());
                batch->bytesRead = feed.BytesRead();
                if (!batch->tokens.empty() || !batch->unchecked.empty())
                    ring.Send(batch);
            }
        } catch (...) {
            tokenizerError = std::current_exception();
        }
        ring.Close();
    };
    const TableStore::Row firstNew = into.RecordCount();
    const ExchangeTally tallyBefore = tally;
    std::thread tokenizer;
    try {
        tokenizer = std::thread(tokenizerBody);
    } catch (const std::system_error&) {
        return TwoThreadParse::NotStarted;
    }
    try {
        BookmarkReader reader(into, tally);
        // Once a stretch is not UTF-8, the page is not, whatever the rest holds.
        bool utf8 = true;
        std::size_t stepped = 0; // file bytes the progress was stepped by
        const auto stepTo = [&progress, &stepped](std::size_t read) {
            if (read > stepped) {
                progress.ProgressStep(static_cast<std::int64_t>(read - stepped));
                stepped = read;
            }
        };
        for (;;) {
            // With no batch to work on, this thread reads the file's next piece meanwhile.
            ReadAheadBatch* batch = ring.TryReceive();
            if (!batch) {
                feed.ReadAhead();
                batch = ring.Receive();
                if (!batch)
                    break;
            }
            if (!IsUtf8(batch->unchecked)) {
                utf8 = false;
                ring.Stop();
                break;
            }
            // The batch's ends held in locals: the reader's stores could otherwise change them
            // as far as the compiler knows, and every token would load them again.
            const ReadAheadBatch::Token* const tokens = batch->tokens.data();
            const std::size_t count = batch->tokens.size();
            const ReadAheadBatch::Link* link = batch->links.data();
            const ReadAheadBatch::Link* const linksEnd = link + batch->links.size();
            const std::string_view addresses = batch->addresses;
            std::size_t linkAt = link != linksEnd ? link->token : count;
            for (std::size_t i = 0; i < count; ++i) {
                const ReadAheadBatch::Token& t = tokens[i];
                if (i == linkAt) {
                    reader.Take(t.kind, t.tag, t.text, {}, &link->tag,
                                addresses.substr(link->from, link->length), link->encoded,
                                link->converted);
                    ++link;
                    linkAt = link != linksEnd ? link->token : count;
                } else {
                    reader.Take(t.kind, t.tag, t.text, {});
                }
            }
            reader.KeepReadAhead();
            const std::size_t bytesRead = batch->bytesRead;
            ring.Release(batch);
            stepTo(bytesRead);
        }
        tokenizer.join();
        if (tokenizerError)
            std::rethrow_exception(tokenizerError);
        stepTo(feed.BytesRead());
        if (!utf8 || unfinished) {
            if (into.RecordCount() > firstNew)
                (void)into.TakeRecords(firstNew, into.RecordCount() - firstNew);
            tally = tallyBefore;
            return unfinished ? TwoThreadParse::Unfinished : TwoThreadParse::NotUtf8;
        }
        reader.Finish();
    } catch (...) {
        ring.Stop();
        if (tokenizer.joinable())
            tokenizer.join();
        throw;
    }
    return TwoThreadParse::Done;
}

// `page` without its byte-order mark; `notUtf8` when that is known already.
void ParseWholePage(std::string_view page, TableStore& into, ExchangeTally& tally,
                    BookmarkThreads threads, bool notUtf8) {
    std::string converted;
    if (notUtf8)
        page = Utf8Page(page, converted);
    bool known = notUtf8; // whether `page` is known to be as the reader takes it
    // The second thread only pays with a processor of its own, and on a page long enough to
    // outweigh starting it.
    if (threads == BookmarkThreads::Two ||
        (threads == BookmarkThreads::Auto && page.size() >= kTwoThreadBytes &&
         platform::SpareProcessors() > 0)) {
        NullProgress noProgress;
        PageFeed feed(page);
        TwoThreadParse run = ParseOnTwoThreads(feed, into, tally, !known, noProgress);
        if (run == TwoThreadParse::NotUtf8) {
            page = Utf8Page(page, converted);
            known = true;
            PageFeed convertedFeed(page);
            run = ParseOnTwoThreads(convertedFeed, into, tally, false, noProgress);
        }
        if (run == TwoThreadParse::Done)
            return;
    }
    if (!known && !IsUtf8(page))
        page = Utf8Page(page, converted);
    BookmarkReader reader(into, tally);
    MarkupTokenizer tokenizer(page);
    MarkupToken t;
    while (tokenizer.Next(t))
        reader.Take(t.kind, t.kind == MarkupToken::Kind::Text ? Tag::Other : TagOf(t.name), t.text,
                    t.attributes);
    reader.Finish();
}

} // namespace

const CollectionFormat& BookmarkCollectionFormat() {
    static const BookmarkFormat format;
    return format;
}

void ParseBookmarkPage(std::string_view page, TableStore& into, ExchangeTally& tally,
                       BookmarkThreads threads) {
    if (page.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        page.remove_prefix(kUtf8Bom.size());
    ParseWholePage(page, into, tally, threads, false);
}

bool ReadBookmarkFile(FileInPieces& file, CollectionContent& into, ProgressSink& progress,
                      IoError& error, BookmarkThreads threads, std::size_t piece) {
    bool notUtf8 = false;
    if (threads == BookmarkThreads::Two ||
        (threads == BookmarkThreads::Auto && file.SizeWhenOpened() >= kTwoThreadBytes &&
         platform::SpareProcessors() > 0)) {
        // A small first piece, so that the records begin soon.
        PageFeed feed(file, std::min(piece, kFirstPiece), piece);
        switch (ParseOnTwoThreads(feed, into.records, into.tally, true, progress)) {
        case TwoThreadParse::Done:
            into.summary.fileBytes = static_cast<std::int64_t>(file.Bytes().Size());
            return true;
        case TwoThreadParse::NotUtf8:
            notUtf8 = true;
            break;
        case TwoThreadParse::NotStarted:
        case TwoThreadParse::Unfinished:
            break;
        }
    }
    // The rest of a file that grew while it was read, or all of it on one thread.
    if (file.ReadRest(progress) != FileInPieces::Step::End) {
        error = file.Error();
        return false;
    }
    std::string_view page = file.Bytes().View();
    into.summary.fileBytes = static_cast<std::int64_t>(page.size());
    if (page.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        page.remove_prefix(kUtf8Bom.size());
    ParseWholePage(page, into.records, into.tally, threads, notUtf8);
    return true;
}

std::string AccessTextFromTime(std::time_t t) {
    if (std::optional<std::string> stamp = Utf8ToSjis(platform::ShortDateLongTime(t)))
        return std::move(*stamp);
    const std::tm tm = platform::LocalTime(t);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
    return buf;
}

namespace {

// Digits in the order year, month, day, hour, minute, second with ASCII separators: the stamp
// of a year-first locale and the program's own fallback form.
std::optional<AccessStampLayout::Fields> YearFirstFields(std::string_view text) {
    AccessStampLayout::Fields parts{};
    int count = 0;
    std::size_t i = 0;
    while (i < text.size() && count <= 6) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            // Separators are ASCII; a double-byte character (a weekday, say) makes no date.
            if (static_cast<unsigned char>(c) >= 0x80)
                return std::nullopt;
            ++i;
            continue;
        }
        if (count == 6)
            return std::nullopt;
        long value = 0;
        std::size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 5) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (i < text.size() && text[i] >= '0' && text[i] <= '9')
            return std::nullopt;
        parts[static_cast<std::size_t>(count++)] = static_cast<int>(value);
    }
    if (count != 6)
        return std::nullopt;
    return parts;
}

// The layout of this user's stamps, learnt once: the locale does not change while we run.
const std::optional<AccessStampLayout>& LocaleStampLayout() {
    static const std::optional<AccessStampLayout> layout = [] {
        const auto stamp = [](int hour) {
            std::tm tm{};
            tm.tm_year = AccessStampLayout::kLearnYear - 1900;
            tm.tm_mon = AccessStampLayout::kLearnMonth - 1;
            tm.tm_mday = AccessStampLayout::kLearnDay;
            tm.tm_hour = hour;
            tm.tm_min = AccessStampLayout::kLearnMinute;
            tm.tm_sec = AccessStampLayout::kLearnSecond;
            tm.tm_isdst = -1;
            return AccessTextFromTime(std::mktime(&tm));
        };
        return AccessStampLayout::Learn(stamp(1), stamp(13));
    }();
    return layout;
}

} // namespace

std::optional<AccessStampLayout::Fields> AccessFieldsFromText(std::string_view text) {
    // The locale's own layout first: a year-first stamp may still count the hours to twelve.
    std::optional<AccessStampLayout::Fields> parts;
    if (const std::optional<AccessStampLayout>& layout = LocaleStampLayout())
        parts = layout->Read(text);
    if (!parts)
        parts = YearFirstFields(text);
    if (!parts || (*parts)[0] < 1970 || (*parts)[1] < 1 || (*parts)[1] > 12 || (*parts)[2] < 1 ||
        (*parts)[2] > 31 || (*parts)[3] > 23 || (*parts)[4] > 59 || (*parts)[5] > 60)
        return std::nullopt;
    return parts;
}

std::optional<std::time_t> TimeFromAccessText(std::string_view text) {
    const std::optional<AccessStampLayout::Fields> parts = AccessFieldsFromText(text);
    if (!parts)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = (*parts)[0] - 1900;
    tm.tm_mon = (*parts)[1] - 1;
    tm.tm_mday = (*parts)[2];
    tm.tm_hour = (*parts)[3];
    tm.tm_min = (*parts)[4];
    tm.tm_sec = (*parts)[5];
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return t;
}

} // namespace lh
