#include "CollectionFormat.h"

#include "BookmarkFile.h"
#include "CsvFile.h"
#include "FileInPieces.h"
#include "InputOpen.h"
#include "JsonFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cerrno>

namespace lh {

namespace {

// The collection page through the program's own line reader and writer.
class HtmlFormat final : public CollectionFormat {
public:
    std::string_view Name() const noexcept override { return "html"; }

    bool Read(const std::string& path, CollectionContent& into, ProgressSink& progress,
              IoError& error) const override {
        std::string title = into.title;
        if (!ReadCollection(path, into.records, title, progress, error, &into.summary))
            return false;
        into.hasTitle = into.summary.titleLine;
        into.title = std::move(title);
        return true;
    }

    bool Write(std::FILE* out, const TableStore& records, const std::string& title,
               ProgressSink& progress, ExchangeTally&) const override {
        return WriteCollection(out, records, title, DateLine(std::time(nullptr), true), progress);
    }
};

} // namespace

const CollectionFormat& HtmlCollectionFormat() {
    static const HtmlFormat format;
    return format;
}

const std::vector<const CollectionFormat*>& AllCollectionFormats() {
    static const std::vector<const CollectionFormat*> formats = {
        &HtmlCollectionFormat(), &BookmarkCollectionFormat(), &CsvCollectionFormat(),
        &JsonCollectionFormat()};
    return formats;
}

const CollectionFormat* FindCollectionFormat(std::string_view name) {
    for (const CollectionFormat* format : AllCollectionFormats())
        if (format->Name() == name)
            return format;
    return nullptr;
}

bool LoadIntoDocument(const CollectionFormat& format, const std::string& path, Document& document,
                      ProgressSink& progress, IoError& error, CollectionContent& content,
                      const std::function<bool(const CollectionContent&)>& accept) {
    content = CollectionContent{};
    content.title = document.DocumentTitle();
    if (!format.Read(path, content, progress, error))
        return false;
    if (accept && !accept(content))
        return false;
    document.Table().Swap(content.records);
    if (content.hasTitle)
        document.SetDocumentTitle(content.title);
    return true;
}

bool ExportToFile(const CollectionFormat& format, const std::string& target,
                  const TableStore& records, const std::string& title, ProgressSink& progress,
                  IoError& error, ExchangeTally& tally) {
    error = {};
    std::string real;
    bool dangling = false;
    IoCode code;
    if (!platform::ResolveSaveTarget(target, real, dangling, code)) {
        error = {dangling ? IoCode(IoErrorKind::DanglingLink) : code, target};
        return false;
    }
    platform::FileStat st;
    if (platform::StatFile(real, st) && (st.attributes.directory || st.attributes.readOnly)) {
        error = {IoErrorKind::CannotReplace, target};
        return false;
    }
    platform::AtomicFile file;
    if (!file.Create(real, code)) {
        error = {code, target};
        return false;
    }
    errno = 0;
    const bool ok = format.Write(file.Stream(), records, title, progress, tally);
    if (!ok)
        code = platform::MapErrnoToIoCode(errno ? errno : EIO);
    if (!ok || !file.Finish(code) || !file.Commit(code)) {
        error = {code, target};
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, FileBytes& bytes, ProgressSink& progress,
                   IoError& error) {
    bytes.Clear();
    FileInPieces file;
    if (!file.Open(path, error))
        return false;
    if (file.ReadRest(progress) != FileInPieces::Step::End) {
        error = file.Error();
        return false;
    }
    bytes = file.TakeBytes();
    return true;
}

bool BlockWriter::Flush() {
    const bool ok = m_buffer.empty() ||
                    std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out) == m_buffer.size();
    m_buffer.clear();
    return ok;
}

} // namespace lh
