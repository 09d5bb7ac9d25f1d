#include "CollectionRewrite.h"

#include "LineReader.h"
#include "PageBuffer.h"
#include "RecordLineShape.h"

namespace lh {

RewriteOutcome RewriteCollectionFile(const std::string& source, const std::string& target,
                                     const std::string& title, ProgressSink& progress,
                                     IoError& error, SaveGuard* guard, std::int64_t& records) {
    error = {};
    records = 0;
    LineReader reader;
    reader.SetLineLimit(kMaxCollectionLineBytes);
    // Opened before the target is looked at: a missing source is told as such.
    if (!reader.Open(source)) {
        error = {reader.ErrorCode(), source};
        return RewriteOutcome::Failed;
    }
    bool needsFullLoad = false;
    std::int64_t written = 0;
    const auto writePage = [&](std::FILE* out, std::string_view dateLine, IoError& readError) {
        PageBuffer page(out);
        std::string pageTitle = title;
        bool headDone = false;
        std::string_view line;
        std::string_view cells[4];
        while (page.Ok() && reader.Next(line)) {
            const bool isTitle = IsTitleLine(line);
            const bool isRecord = !isTitle && IsRecordLine(line);
            if ((isTitle || isRecord) && reader.LineCut()) {
                readError = {IoErrorKind::LineTooLong, source};
                return false;
            }
            if (isTitle) {
                std::string later = pageTitle;
                TakeTitle(line, later);
                if (headDone && later != pageTitle) {
                    needsFullLoad = true;
                    return false;
                }
                pageTitle = std::move(later);
            } else if (isRecord) {
                if (!headDone) {
                    PutPageHead(page, pageTitle, dateLine, progress);
                    headDone = true;
                }
                ++written;
                const std::size_t tail = SplitWriterShape(line, cells);
                if (tail != std::string_view::npos) {
                    // The line keeps its bytes after its new number.
                    page.Put("<TR><TD>");
                    page.Number(written);
                    page.Put(line.substr(tail));
                    page.Put("\r\n");
                } else {
                    ParseRecordLineByMarkup(line, cells);
                    PutRecordLine(page, written, cells[0], cells[1], cells[2], cells[3]);
                }
            }
            progress.ProgressStep(reader.LineLength() + 2);
        }
        if (reader.ErrorCode()) {
            readError = {reader.ErrorCode(), source};
            return false;
        }
        if (!headDone)
            PutPageHead(page, pageTitle, dateLine, progress);
        PutPageTail(page, progress);
        return page.Flush();
    };
    if (!SavePageFile(target, BackupKind::None, error, guard, writePage)) {
        if (needsFullLoad) {
            error = {};
            return RewriteOutcome::NeedsFullLoad;
        }
        return RewriteOutcome::Failed;
    }
    records = written;
    return RewriteOutcome::Done;
}

} // namespace lh
