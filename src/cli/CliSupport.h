#pragma once

// What every companion command shares: its messages (each naming the file it concerns), the
// labels of its progress bar, and the one way a collection is loaded, locked and saved, so that
// scans, imports and removals of duplicates treat a collection alike.

#include "CliCommands.h"
#include "CliLanguage.h"
#include "core/CollectionFile.h"
#include "core/IoError.h"

#include <cstdio>
#include <string>

namespace lh {
class Document;
class ProgressSink;
} // namespace lh

namespace lh::platform {
class FileWriteLock;
} // namespace lh::platform

namespace lh::cli {

// Everything goes out as UTF-8 (as Unicode to a Windows console): messages, paths and cells
// alike, so the output never mixes encodings.
void Put(std::FILE* stream, const std::string& text);

// One line on standard error, after the program's name.
void Complain(const CliStreams& s, const std::string& what);

// The file a message is about, set off the way the run's language quotes a name.
std::string Named(const CliStreams& s, const std::string& path);

// Every file error of the companion is told through these, with the file it concerns: `path`,
// or the file `error` names when it names one (a collection's backup, a link's target).
void ComplainIo(const CliStreams& s, const std::string& path, IoCode code);
void ComplainIo(const CliStreams& s, const std::string& path, const IoError& error);

// A failed save of `path`, or a failed read of the file `error` names on the way.
void ComplainSave(const CliStreams& s, const std::string& path, const IoError& error);

// "Verb (what)", the label of the progress bar.
std::string ProgressLabel(const CliStreams& s, const Text& verb, const std::string& what);

// What a load does with a file that holds something but is no collection: a command that is
// about to write over it refuses it, one that only reads it takes whatever it holds.
enum class ForeignFile { Accept, Refuse };

// Reads a collection into a fresh store and takes it over only when the whole file was read;
// on failure the document is as it was and the reason has been told.
bool LoadCollection(const std::string& path, Document& document, ProgressSink& progress,
                    const CliStreams& s, ForeignFile foreign);

// LoadCollection with its own progress bar, which opening the collection shows.
bool LoadCollectionShowingProgress(const std::string& path, Document& document,
                                   ProgressSink& progress, const CliStreams& s,
                                   ForeignFile foreign);

// Takes the write lock of a collection the command will replace and notes the version on disk.
// Another companion holding the lock is waited for (said once on standard error), so that two of
// them updating one collection take turns and neither loses the other's additions.
void LockForUpdate(const std::string& path, platform::FileWriteLock& lock, SaveGuard& guard,
                   const CliStreams& s);

// The safe save of the document to `path`, unless another program changed the file since it was
// read; a failure is told. ProgressStart and ProgressEnd are the caller's.
bool SaveCollection(const std::string& path, const Document& document, BackupKind backup,
                    ProgressSink& progress, SaveGuard& guard, const CliStreams& s);

// SaveCollection with its own progress bar: writing over the collection when it `existed`,
// writing a new one otherwise.
bool SaveCollectionShowingProgress(const std::string& path, const Document& document, bool existed,
                                   BackupKind backup, ProgressSink& progress, SaveGuard& guard,
                                   const CliStreams& s);

} // namespace lh::cli
