#pragma once

// A failed file operation: the program's I/O code and the file it concerned. Codes follow the
// operating system's classic numbers (2 not found, 5 access denied, 101 disk full, ...); the
// negative codes are the program's own.

#include <string>

namespace lh {

struct IoError {
    int code = 0;
    std::string path;
};

// The target exists and cannot be replaced (read-only, a folder, in use).
inline constexpr int kIoCannotReplace = -1;
// A line that matters to the reader is too long to hold in memory.
inline constexpr int kIoLineTooLong = -2;
// The name stands for a folder, where a file was wanted.
inline constexpr int kIoIsFolder = -3;
// The name stands for a device, a pipe or a socket: nothing the program reads as a file.
inline constexpr int kIoNotRegularFile = -4;
// The file on disk is no longer the version that was read: another program wrote it since.
inline constexpr int kIoChangedOnDisk = -10;
// The name is a symbolic link that leads nowhere.
inline constexpr int kIoDanglingLink = -11;
// Another program held the file's write lock for the whole wait.
inline constexpr int kIoWriterBusy = -12;
// A file to import is larger than any export of another program would be.
inline constexpr int kIoFileTooLarge = -13;
// A file to import is not written in the format it was read as.
inline constexpr int kIoNotThisFormat = -14;

enum class MessageLanguage { Japanese, English };

// Text shown for an I/O code (UTF-8): the program's Japanese text, or its English counterpart
// for the command-line companion run under another locale.
std::string IoErrorText(int code, MessageLanguage language = MessageLanguage::Japanese);

// The message for a failed file operation, the file in corner brackets on the first line and
// the text for its code on the second (UTF-8). Every file error the user sees goes through here.
std::string IoErrorMessage(const IoError& error);

} // namespace lh
