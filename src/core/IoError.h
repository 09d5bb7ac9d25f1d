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

enum class MessageLanguage { Japanese, English };

// Text shown for an I/O code (UTF-8): the program's Japanese text, or its English counterpart
// for the command-line companion run under another locale.
std::string IoErrorText(int code, MessageLanguage language = MessageLanguage::Japanese);

} // namespace lh
