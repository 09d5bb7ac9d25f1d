#pragma once

// The collection page: an ordinary HTML page written line by line in code page 932, and the
// line-oriented reader that takes back exactly what the writer produced (title and record lines)
// from it or from any foreign page.

#include "IoError.h"
#include "TableStore.h"
#include "UserInterface.h"
#include "platform/AtomicFile.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

class PageBuffer;

// A line of the page longer than this cannot be a record the program wrote; holding it whole
// would only exhaust memory.
constexpr std::size_t kMaxCollectionLineBytes = std::size_t{256} << 20;

// What a read met, to tell a collection from any other file.
struct ReadSummary {
    std::int64_t fileBytes = 0;
    bool titleLine = false;
    std::int64_t recordLines = 0;

    // Something is in the file, but neither a title line nor a record line: a text, a program, a
    // foreign page. Saving the empty collection it reads as over it would destroy it.
    bool NotACollection() const noexcept { return fileBytes > 0 && !titleLine && recordLines == 0; }
};

// Reads a collection into `into` (cleared first). `title` changes only when the file has a title
// line. Steps `progress` by each line's byte length + 2; ProgressStart and ProgressEnd are the
// caller's. On failure `into` may hold part of the file: read into a fresh store. Only a regular
// file is read: a folder, device or pipe fails at once.
bool ReadCollection(const std::string& path, TableStore& into, std::string& title,
                    ProgressSink& progress, IoError& error, ReadSummary* summary = nullptr);

// Columns 1..4 of a record line (one starting "<TR><TD>"), as views into `line`. False when the
// line is not a record line.
bool ParseRecordLine(std::string_view line, std::string_view (&cells)[4]);
// The same by the general reader alone, which walks the markup of any line; ParseRecordLine
// takes a shortcut for lines in the writer's own shape.
bool ParseRecordLineByMarkup(std::string_view line, std::string_view (&cells)[4]);

// The line kinds the reader takes: a title line, and a record line ("<TR><TD>" not followed by
// "N").
bool IsTitleLine(std::string_view line) noexcept;
bool IsRecordLine(std::string_view line) noexcept;
// The title a title line holds; `title` stays as it is when the line is too short to hold one.
void TakeTitle(std::string_view line, std::string& title);

enum class BackupKind { None = 0, Bak = 1, Tilde = 2 };

// The backup option's stored value: 1 ".bak", 2 ".~ext", anything else none.
BackupKind BackupKindFromSetting(int backFile) noexcept;
// Name the previous version of `target` is kept under; empty for BackupKind::None.
std::string BackupPath(const std::string& target, BackupKind kind);

// "yyyy/mm/dd(ddd) hh:nn:ss" in the user's local time and formats, then " 作成" for a new file or
// " 更新" for a replaced one; code page 932.
std::string DateLine(std::time_t when, bool created);

// Number of lines WriteCollection writes for this table.
std::int64_t CollectionLineCount(const TableStore& table) noexcept;

// Writes the page, stepping `progress` by 1 per line. False when the stream failed (errno tells).
bool WriteCollection(std::FILE* out, const TableStore& table, const std::string& title,
                     std::string_view dateLine, ProgressSink& progress);

// The page's pieces as WriteCollection puts them: the lines before the records (stepping
// `progress` by 1 per line), one record line with its number, and the lines after the records.
void PutPageHead(PageBuffer& page, const std::string& title, std::string_view dateLine,
                 ProgressSink& progress);
void PutRecordLine(PageBuffer& page, std::int64_t number, std::string_view name,
                   std::string_view address, std::string_view access, std::string_view remark);
void PutPageTail(PageBuffer& page, ProgressSink& progress);

// What a save checks so that it never replaces another writer's version unseen, and what it
// tells about the version it wrote.
struct SaveGuard {
    // The target as it was read (`exists` false: there was none). A target that differs on disk
    // is left alone with IoErrorKind::ChangedOnDisk. Unset: no comparison.
    std::optional<platform::FileIdentity> expected;
    // The caller holds the target's write lock already (from its load on).
    bool lockHeld = false;
    // How long to wait for another writer's lock otherwise; < 0 without end.
    int lockWaitMilliseconds = 5000;
    // Set on success: the version now on disk, to compare with at the next save.
    platform::FileIdentity written;
};

// The safe save: writes the page to a new file beside `target` (beside the real file when
// `target` is a symbolic link, which stays one), flushes it to the disk, keeps the previous
// version under its backup name when asked (the target's name always holding a whole file), and
// only then moves the new file into place. On failure `target` is as it was and no stray file is
// left; a target that cannot be replaced (read-only, a folder) gives IoErrorKind::CannotReplace, a
// link that leads nowhere IoErrorKind::DanglingLink.
bool SaveCollectionFile(const std::string& target, const TableStore& table,
                        const std::string& title, BackupKind backup, ProgressSink& progress,
                        IoError& error, SaveGuard* guard = nullptr);

// Writes the whole page to the stream, given the date line for it; false when it failed. When
// it leaves `error` set, that is what the save reports; otherwise errno tells.
using PageWriter = std::function<bool(std::FILE* out, std::string_view dateLine, IoError& error)>;

// SaveCollectionFile with the page written by `write`.
bool SavePageFile(const std::string& target, BackupKind backup, IoError& error, SaveGuard* guard,
                  const PageWriter& write);

} // namespace lh
