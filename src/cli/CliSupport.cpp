#include "CliSupport.h"

#include "core/CollectionFormat.h"
#include "core/Document.h"
#include "core/UserInterface.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "util/FileHelpers.h"

namespace lh::cli {

namespace {

constexpr const char* kProgram = "linkhive-cli";

} // namespace

void Put(std::FILE* stream, const std::string& text) {
    platform::WriteText(stream, text);
}

void Complain(const CliStreams& s, const std::string& what) {
    Put(s.err, std::string(kProgram) + ": " + what + "\n");
}

std::string Named(const CliStreams& s, const std::string& path) {
    return s.language == Language::Japanese ? "「" + path + "」" : "\"" + path + "\"";
}

void ComplainIo(const CliStreams& s, const std::string& path, IoCode code) {
    Complain(s, Named(s, path) + ": " + IoErrorText(code, IoLanguage(s.language)));
}

void ComplainIo(const CliStreams& s, const std::string& path, const IoError& error) {
    ComplainIo(s, error.path.empty() ? path : error.path, error.code);
}

void ComplainSave(const CliStreams& s, const std::string& path, const IoError& error) {
    if (error.code == IoErrorKind::ChangedOnDisk)
        Complain(s, Say(s.language, msg::kChangedOnDisk, {Named(s, path)}));
    else
        ComplainIo(s, path, error);
}

std::string ProgressLabel(const CliStreams& s, const Text& verb, const std::string& what) {
    return std::string(Say(s.language, verb)) + " (" + what + ")";
}

bool LoadCollection(const std::string& path, Document& document, ProgressSink& progress,
                    const CliStreams& s, ForeignFile foreign) {
    CollectionContent content;
    IoError error;
    bool refused = false;
    if (!LoadIntoDocument(HtmlCollectionFormat(), path, document, progress, error, content,
                          [&](const CollectionContent& c) {
                              // Writing over it would destroy whatever the file is.
                              refused =
                                  foreign == ForeignFile::Refuse && c.summary.NotACollection();
                              return !refused;
                          })) {
        if (refused)
            Complain(s, Say(s.language, msg::kNotACollection, {Named(s, path)}));
        else
            ComplainIo(s, path, error);
        return false;
    }
    document.ResetState(path);
    return true;
}

bool LoadCollectionShowingProgress(const std::string& path, Document& document,
                                   ProgressSink& progress, const CliStreams& s,
                                   ForeignFile foreign) {
    progress.ProgressStart(FileSizeByName(path),
                           ProgressLabel(s, msg::kProgressOpen, FileInfoLine(path)));
    const bool loaded = LoadCollection(path, document, progress, s, foreign);
    progress.ProgressEnd();
    return loaded;
}

void LockForUpdate(const std::string& path, platform::FileWriteLock& lock, SaveGuard& guard,
                   const CliStreams& s) {
    lock.Acquire(path, -1,
                 [&] { Complain(s, Say(s.language, msg::kWaitingForWriter, {Named(s, path)})); });
    guard.lockHeld = lock.Held();
    guard.expected = platform::ReadFileIdentity(path);
}

bool SaveCollection(const std::string& path, const Document& document, BackupKind backup,
                    ProgressSink& progress, SaveGuard& guard, const CliStreams& s) {
    IoError error;
    if (!SaveCollectionFile(path, document.Table(), document.DocumentTitle(), backup, progress,
                            error, &guard)) {
        ComplainSave(s, path, error);
        return false;
    }
    return true;
}

bool SaveCollectionShowingProgress(const std::string& path, const Document& document, bool existed,
                                   BackupKind backup, ProgressSink& progress, SaveGuard& guard,
                                   const CliStreams& s) {
    progress.ProgressStart(CollectionLineCount(document.Table()),
                           existed ? ProgressLabel(s, msg::kProgressOverWrite, FileInfoLine(path))
                                   : ProgressLabel(s, msg::kProgressNewWrite, path));
    const bool saved = SaveCollection(path, document, backup, progress, guard, s);
    progress.ProgressEnd();
    return saved;
}

} // namespace lh::cli
