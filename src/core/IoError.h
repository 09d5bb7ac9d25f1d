#pragma once

// A failed file operation: what went wrong (see platform/IoCode.h) and the file it concerned.

#include "platform/IoCode.h"

#include <string>

namespace lh {

struct IoError {
    IoCode code;
    std::string path;
};

enum class MessageLanguage { Japanese, English };

// Text shown for an I/O code (UTF-8): the program's Japanese text, or its English counterpart
// for the command-line companion run under another locale. Other shows its system number.
std::string IoErrorText(IoCode code, MessageLanguage language = MessageLanguage::Japanese);

// The message for a failed file operation, the file in corner brackets on the first line and
// the text for its code on the second (UTF-8). Every file error the user sees goes through here.
std::string IoErrorMessage(const IoError& error);

} // namespace lh
