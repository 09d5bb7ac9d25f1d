#include "CollectionFile.h"

#include "ColumnHeadings.h"
#include "EightBytes.h"
#include "LineReader.h"
#include "PageBuffer.h"
#include "PathText.h"
#include "RecordLineShape.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "platform/Locale.h"
#include "util/Codec.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace lh {

namespace {

constexpr std::size_t npos = std::string_view::npos;

constexpr std::int64_t kTypicalRecordBytes = 200;
constexpr std::int64_t kMaxReserve = 4'000'000;

constexpr std::string_view kTitleOpen = "<TITLE>";
constexpr std::string_view kRecordStart = "<TR><TD>";
constexpr std::string_view kCellOpen = "<TD>";
constexpr std::string_view kCellClose = "</TD>";
constexpr std::string_view kCharsetDeclaration =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
constexpr std::string_view kLinkOpen = "<A HREF=\"";
constexpr std::string_view kLinkClose = "\">";

// Byte length of the code page 932 character at t[i]. A lead byte pairs only with a byte of
// the second-byte ranges, so a text ending in a stray lead byte reads back exactly as written.
inline std::size_t CharLen(std::string_view t, std::size_t i) noexcept {
    return (i + 1 < t.size() &&
            IsSjisPair(static_cast<unsigned char>(t[i]), static_cast<unsigned char>(t[i + 1])))
               ? 2
               : 1;
}

// The patterns are a few bytes long: a plain loop beats a library call.
inline bool SameBytes(const char* a, const char* b, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// First place at or after `from` where the pattern starts; npos when none. Every pattern opens
// with '<' or '"', which are never the second byte of a two-byte character, so every such byte
// begins a character and the search jumps from one candidate to the next without walking the
// characters in between. A stray lead byte before a quote therefore never hides the quote.
static_assert(!IsSjisTrailByte('<') && !IsSjisTrailByte('"'));
std::size_t FindAt(std::string_view t, std::string_view pat, std::size_t from) noexcept {
    const std::size_t n = t.size();
    if (n < pat.size() || from > n - pat.size())
        return npos;
    const std::size_t last = n - pat.size(); // the last place a match fits
    const char* const d = t.data();
    for (std::size_t q = from; q <= last; ++q) {
        const void* hit = std::memchr(d + q, pat.front(), last + 1 - q);
        if (!hit)
            return npos;
        q = static_cast<std::size_t>(static_cast<const char*>(hit) - d);
        if (SameBytes(d + q + 1, pat.data() + 1, pat.size() - 1))
            return q;
    }
    return npos;
}

// Boundary `count` characters after `from`; npos when the text ends first or right there (a
// search from the end of the line finds nothing).
std::size_t StepChars(std::string_view t, std::size_t from, std::int64_t count) noexcept {
    std::size_t p = from;
    for (std::int64_t k = 0; k < count; ++k) {
        if (p >= t.size())
            return npos;
        p += CharLen(t, p);
    }
    return p;
}

using eight::BytesEqual;

// Where a record line's text ends (its first NUL, as MbcsText cuts it) and where its '<' and
// '"' bytes stand. Every pattern the reader looks for begins with one of these two bytes, so
// its searches visit those places only, instead of calling a byte search for every tag: one
// pass of eight bytes at a time over the line replaces a dozen searches. A line with more of
// them than are kept here is searched the plain way.
class MarkupPlaces {
public:
    explicit MarkupPlaces(std::string_view line) noexcept {
        const char* d = line.data();
        const std::size_t n = line.size();
        std::size_t i = 0;
        if constexpr (std::endian::native == std::endian::little) {
            for (; i + 8 <= n; i += 8) {
                std::uint64_t w;
                std::memcpy(&w, d + i, sizeof w);
                const std::uint64_t nul = BytesEqual(w, 0);
                std::uint64_t lt = BytesEqual(w, '<');
                std::uint64_t quote = BytesEqual(w, '"');
                if (nul) {
                    const std::uint64_t before = (nul & (~nul + 1)) - 1; // bits below the NUL
                    lt &= before;
                    quote &= before;
                }
                for (; lt; lt &= lt - 1)
                    Add(m_lt, m_ltCount, i + static_cast<std::size_t>(std::countr_zero(lt)) / 8);
                for (; quote; quote &= quote - 1)
                    Add(m_quote, m_quoteCount,
                        i + static_cast<std::size_t>(std::countr_zero(quote)) / 8);
                if (nul) {
                    m_size = i + static_cast<std::size_t>(std::countr_zero(nul)) / 8;
                    return;
                }
            }
        }
        for (; i < n; ++i) {
            if (d[i] == '\0') {
                m_size = i;
                return;
            }
            if (d[i] == '<')
                Add(m_lt, m_ltCount, i);
            else if (d[i] == '"')
                Add(m_quote, m_quoteCount, i);
        }
        m_size = n;
    }

    // The line's text, up to its first NUL.
    std::size_t Size() const noexcept { return m_size; }

    // As FindAt on the text.
    std::size_t Find(std::string_view t, std::string_view pat, std::size_t from) const noexcept {
        if (!m_complete)
            return FindAt(t, pat, from);
        const bool lt = pat.front() == '<';
        const std::uint32_t* places = lt ? m_lt : m_quote;
        const std::size_t count = lt ? m_ltCount : m_quoteCount;
        const std::size_t n = t.size();
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t q = places[k];
            if (q < from)
                continue;
            if (q + pat.size() > n)
                return npos;
            if (SameBytes(t.data() + q + 1, pat.data() + 1, pat.size() - 1))
                return q;
        }
        return npos;
    }

private:
    static constexpr std::size_t kKept = 48;

    void Add(std::uint32_t* places, std::size_t& count, std::size_t at) noexcept {
        if (count == kKept) {
            m_complete = false;
            return;
        }
        places[count++] = static_cast<std::uint32_t>(at);
    }

    std::uint32_t m_lt[kKept];
    std::uint32_t m_quote[kKept];
    std::size_t m_ltCount = 0;
    std::size_t m_quoteCount = 0;
    std::size_t m_size = 0;
    bool m_complete = true;
};

std::int64_t CountChars(std::string_view t) noexcept {
    std::int64_t n = 0;
    for (std::size_t p = 0; p < t.size(); p += CharLen(t, p))
        ++n;
    return n;
}

std::string ToSjisOr(std::string_view utf8, std::string_view fallback) {
    auto s = Utf8ToSjis(utf8);
    return s ? *s : std::string(fallback);
}

} // namespace

bool IsTitleLine(std::string_view line) noexcept {
    return line.substr(0, kTitleOpen.size()) == kTitleOpen;
}

bool IsRecordLine(std::string_view line) noexcept {
    return line.substr(0, kRecordStart.size()) == kRecordStart &&
           (line.size() == kRecordStart.size() || line[kRecordStart.size()] != 'N');
}

void TakeTitle(std::string_view line, std::string& title) {
    const std::string_view t = MbcsText(line);
    const std::int64_t n = CountChars(t);
    // The last eight characters are taken to be "</TITLE>" only when there is room for them.
    const std::size_t start = kTitleOpen.size();
    if (n > 15)
        title = t.substr(start, StepChars(t, start, n - 15) - start);
    else if (n > 7)
        title = t.substr(start);
}

bool ParseRecordLineByMarkup(std::string_view line, std::string_view (&cells)[4]) {
    for (auto& c : cells)
        c = {};
    // The tags of the test hold no NUL, so the raw line answers it as its text would.
    if (!IsRecordLine(line))
        return false;
    const MarkupPlaces markup(line);
    const std::string_view t = line.substr(0, markup.Size());
    // Byte offsets stand for character positions: every position compared or copied here is a
    // character boundary, and the character order equals the byte order.
    constexpr std::size_t kFirstCell = 4; // "<TD>" after "<TR>"
    std::size_t c = kFirstCell;
    for (int j = 0; c != npos; ++j) {
        std::size_t start;
        std::size_t end;
        std::size_t next;
        if (j == 2) {
            // The address is the link target, searched from the start of the line.
            const std::size_t open = markup.Find(t, kLinkOpen, 0);
            start = open == npos ? kFirstCell + kCellOpen.size() : open + kLinkOpen.size();
            end = markup.Find(t, kLinkClose, 0);
            next = end == npos ? kFirstCell : StepChars(t, end + kLinkClose.size(), 3);
        } else {
            start = c + kCellOpen.size();
            end = markup.Find(t, kCellClose, start);
            next = end == npos ? kFirstCell : end + kCellClose.size();
        }
        if (j >= 1)
            cells[j - 1] =
                (end != npos && end > start) ? t.substr(start, end - start) : std::string_view();
        if (j == 4)
            break;
        c = next == npos ? npos : markup.Find(t, kCellOpen, next);
    }
    return true;
}

bool ParseRecordLine(std::string_view line, std::string_view (&cells)[4]) {
    // Nearly every line of a page is one the writer made: those need no walk over the markup.
    if (SplitWriterShape(line, cells) != std::string_view::npos)
        return true;
    return ParseRecordLineByMarkup(line, cells);
}

bool ReadCollection(const std::string& path, TableStore& into, std::string& title,
                    ProgressSink& progress, IoError& error, ReadSummary* summary) {
    error = {};
    ReadSummary seen;
    into.Clear();
    LineReader reader;
    reader.SetLineLimit(kMaxCollectionLineBytes);
    if (!reader.Open(path)) {
        error = {reader.ErrorCode(), path};
        return false;
    }
    // Room for the records a page of this size typically holds (about 200 bytes each), within
    // reason for foreign files that hold few or none.
    platform::FileStat st;
    if (platform::StatFile(path, st)) {
        seen.fileBytes = st.size;
        into.Reserve(std::min<std::int64_t>(st.size / kTypicalRecordBytes, kMaxReserve));
    }
    std::string_view line;
    std::string_view cells[4];
    while (reader.Next(line)) {
        const bool isTitle = IsTitleLine(line);
        const bool record = !isTitle && ParseRecordLine(line, cells);
        if ((isTitle || record) && reader.LineCut()) {
            error = {IoErrorKind::LineTooLong, path};
            return false;
        }
        if (isTitle) {
            TakeTitle(line, title);
            seen.titleLine = true;
        } else if (record) {
            into.AppendRecord(cells[0], cells[1], cells[2], cells[3]);
            ++seen.recordLines;
        }
        progress.ProgressStep(reader.LineLength() + 2);
    }
    if (reader.ErrorCode()) {
        error = {reader.ErrorCode(), path};
        return false;
    }
    if (summary)
        *summary = seen;
    return true;
}

BackupKind BackupKindFromSetting(int backFile) noexcept {
    switch (backFile) {
    case 1:
        return BackupKind::Bak;
    case 2:
        return BackupKind::Tilde;
    default:
        return BackupKind::None;
    }
}

std::string BackupPath(const std::string& target, BackupKind kind) {
    if (kind == BackupKind::None)
        return {};
    const std::string ext = platform::ExtensionPart(target);
    const std::string stem = target.substr(0, target.size() - ext.size());
    if (kind == BackupKind::Bak)
        return stem + ".bak";
    // ".~" and as much of the old extension as fits in four bytes, whole characters only.
    const std::string_view old = ext.empty() ? std::string_view() : std::string_view(ext).substr(1);
    return stem + ".~" + std::string(PathCutToBytes(old, 2));
}

std::string DateLine(std::time_t when, bool created) {
    const std::tm tm = platform::LocalTime(when);
    const platform::LocaleFormats f = platform::CurrentLocaleFormats();
    static const char* kEnglishDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const int wday = (tm.tm_wday >= 0 && tm.tm_wday < 7) ? tm.tm_wday : 0;
    const std::string dateSep = ToSjisOr(f.dateSeparator, "/");
    const std::string timeSep = ToSjisOr(f.timeSeparator, ":");
    const std::string day = ToSjisOr(platform::WeekdayAbbreviation(wday), kEnglishDays[wday]);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04d%s%02d%s%02d(%s) %02d%s%02d%s%02d", tm.tm_year + 1900,
                  dateSep.c_str(), tm.tm_mon + 1, dateSep.c_str(), tm.tm_mday, day.c_str(),
                  tm.tm_hour, timeSep.c_str(), tm.tm_min, timeSep.c_str(), tm.tm_sec);
    // " 作成" / " 更新" in code page 932.
    return std::string(buf) + (created ? "\x20\x8D\xEC\x90\xAC" : "\x20\x8D\x58\x90\x56");
}

std::int64_t CollectionLineCount(const TableStore& table) noexcept {
    return 18 + table.RecordCount();
}

void PutPageHead(PageBuffer& page, const std::string& title, std::string_view dateLine,
                 ProgressSink& progress) {
    const auto line = [&](std::initializer_list<std::string_view> pieces) {
        for (const auto piece : pieces)
            page.Put(piece);
        page.Put("\r\n");
        progress.ProgressStep(1);
    };
    line({"<HTML>"});
    line({"<HEAD>"});
    line({"<TITLE>", title, "</TITLE>"});
    line({"</HEAD>"});
    line({"<BODY BGCOLOR=\"#DDFFFF\">"});
    line({"<P align=\"right\">"});
    line({dateLine});
    line({"<P align=\"center\">"});
    line({"<B><I><FONT SIZE=7>", title, "</FONT></I></B>"});
    line({"<P align=\"right\">"});
    line({"by Linkhive for Windows <BR>"});
    // The page declares its character set where browsers look for it (the first 1,024 bytes),
    // so one with little Japanese is not guessed wrong. The reader passes over this line.
    line({kCharsetDeclaration, "Copyright (C) Tessella, all rights reserved.<BR>"});
    line({"<P>"});
    line({"<TABLE BORDER=\"1\">"});
    line({"<TR><TH>", kNumberHeading, "</TH><TH>", kFieldHeadings[TableStore::kName], "</TH><TH>",
          kFieldHeadings[TableStore::kAddress], "</TH><TH>", kFieldHeadings[TableStore::kAccess],
          "</TH><TH>", kFieldHeadings[TableStore::kRemark], "</TH>"});
}

void PutRecordLine(PageBuffer& page, std::int64_t number, std::string_view name,
                   std::string_view address, std::string_view access, std::string_view remark) {
    page.Put("<TR><TD>");
    page.Number(number);
    for (const std::string_view piece :
         {std::string_view("</TD><TD>"), name, std::string_view("</TD><TD><A HREF=\""), address,
          std::string_view("\">"), address, std::string_view("</A></TD><TD>"), access,
          std::string_view("</TD><TD>"), remark, std::string_view("</TD>\r\n")})
        page.Put(piece);
}

void PutPageTail(PageBuffer& page, ProgressSink& progress) {
    for (const std::string_view line :
         {"</TABLE><BR CLEAR=\"all\">\r\n", "</BODY>\r\n", "</HTML>\r\n"}) {
        page.Put(line);
        progress.ProgressStep(1);
    }
}

bool WriteCollection(std::FILE* out, const TableStore& table, const std::string& title,
                     std::string_view dateLine, ProgressSink& progress) {
    PageBuffer page(out);
    PutPageHead(page, title, dateLine, progress);
    const TableStore::Row records = table.RecordCount();
    for (TableStore::Row r = 0; r < records && page.Ok(); ++r) {
        // The number of the row's position, counted from 1.
        PutRecordLine(page, r + 1, table.Text(r, TableStore::kName),
                      table.Text(r, TableStore::kAddress), table.Text(r, TableStore::kAccess),
                      table.Text(r, TableStore::kRemark));
        progress.ProgressStep(1);
    }
    PutPageTail(page, progress);
    return page.Flush();
}

bool SaveCollectionFile(const std::string& target, const TableStore& table,
                        const std::string& title, BackupKind backup, ProgressSink& progress,
                        IoError& error, SaveGuard* guard) {
    return SavePageFile(target, backup, error, guard,
                        [&](std::FILE* out, std::string_view dateLine, IoError&) {
                            return WriteCollection(out, table, title, dateLine, progress);
                        });
}

bool SavePageFile(const std::string& target, BackupKind backup, IoError& error, SaveGuard* guard,
                  const PageWriter& write) {
    error = {};
    std::string real;
    bool dangling = false;
    IoCode code;
    if (!platform::ResolveSaveTarget(target, real, dangling, code)) {
        error = {dangling ? IoCode(IoErrorKind::DanglingLink) : code, target};
        return false;
    }
    const SaveGuard unguarded;
    const SaveGuard& check = guard ? *guard : unguarded;
    const auto changedOnDisk = [&] {
        return check.expected && platform::ReadFileIdentity(real) != *check.expected;
    };
    // Asked before writing a byte, so that a refused save costs nothing.
    if (changedOnDisk()) {
        error = {IoErrorKind::ChangedOnDisk, target};
        return false;
    }
    const bool existed = platform::FileExists(real);
    const std::string dateLine = DateLine(std::time(nullptr), !existed);

    platform::AtomicFile file;
    if (!file.Create(real, code)) {
        // A folder that refuses new files cannot have its existing file replaced either: say so
        // the way every other unreplaceable target is reported.
        error = {(existed && code == IoErrorKind::AccessDenied) ? IoCode(IoErrorKind::CannotReplace)
                                                                : code,
                 target};
        return false;
    }
    errno = 0;
    IoError writeError;
    if (!write(file.Stream(), dateLine, writeError)) {
        error = writeError.code ? writeError
                                : IoError{platform::MapErrnoToIoCode(errno ? errno : EIO), target};
        return false;
    }
    if (!file.Finish(code)) {
        error = {code, target};
        return false;
    }

    // From the last comparison to the replace no other writer may step in.
    platform::FileWriteLock lock;
    if (!check.lockHeld &&
        lock.Acquire(real, check.lockWaitMilliseconds) == platform::FileWriteLock::Result::Busy) {
        error = {IoErrorKind::WriterBusy, target};
        return false;
    }
    if (changedOnDisk()) {
        error = {IoErrorKind::ChangedOnDisk, target};
        return false;
    }
    platform::FileStat st;
    if (platform::StatFile(real, st) && st.attributes.directory) {
        error = {IoErrorKind::CannotReplace, target};
        return false;
    }
    // A target that already bears its backup name ("list.bak" under ".bak" backups, in any
    // letter case where the file system ignores it) cannot be kept beside itself: removing the
    // "old backup" would remove the only previous copy.
    std::string backupName;
    if (existed && backup != BackupKind::None) {
        const std::string name = BackupPath(real, backup);
        if (name != real && !platform::IsSameFile(name, real))
            backupName = name;
    }
    // A read-only file is never replaced, except that with a backup it lives on as that.
    if (existed && st.attributes.readOnly && backupName.empty()) {
        error = {IoErrorKind::CannotReplace, target};
        return false;
    }
    // Refused access at this step means the target is held or protected: it cannot be replaced.
    if (!file.Commit(code, backupName)) {
        error = {code == IoErrorKind::AccessDenied ? IoCode(IoErrorKind::CannotReplace) : code,
                 target};
        return false;
    }
    if (guard)
        guard->written = file.Identity();
    return true;
}

} // namespace lh
