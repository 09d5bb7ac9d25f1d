#pragma once

// Which encoding a scanned file is read in: chosen by the user, or found from the start of the
// file. The detection is conservative: text that reads as code page 932 is taken as code page
// 932, so the files people kept so far give the results they always gave.

#include "platform/TextConverter.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

using platform::Charset;

enum class EncodingChoice { Auto, Cp932, Utf8, Utf16, EucJp, Iso2022Jp };

struct EncodingGuess {
    Charset charset = Charset::Cp932;
    std::size_t bomBytes = 0; // byte order mark at the start, not part of the text
};

// How many bytes from the start of a file the detection looks at.
inline constexpr std::size_t kEncodingHeadBytes = std::size_t{64} << 10;

// `head` is the start of the file (all of it when the file is shorter than kEncodingHeadBytes);
// `wholeFile` says whether it is all of it. A fixed choice only learns the byte order of UTF-16
// and skips a byte order mark that matches it.
EncodingGuess GuessEncoding(EncodingChoice choice, std::string_view head, bool wholeFile);

// The settings file and command-line names: "auto", "cp932", "utf-8", "utf-16", "euc-jp",
// "iso-2022-jp".
std::string_view EncodingChoiceName(EncodingChoice choice);
std::optional<EncodingChoice> EncodingChoiceNamed(std::string_view name);

// The name shown to the user for what a file was read as ("UTF-8", "EUC-JP", ...).
std::string_view CharsetDisplayName(Charset charset);

} // namespace lh
