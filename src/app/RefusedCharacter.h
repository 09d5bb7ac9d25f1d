#pragma once

// Naming the character that code page 932 cannot hold, for the messages that refuse typed text.

#include <QString>
#include <optional>
#include <string>

namespace lh {

// The first character of `text` (a whole code point, never half a surrogate pair) that has no
// code page 932 form; none when the whole text can be stored.
std::optional<char32_t> FirstUnencodableCharacter(const QString& text);

// "「X」（U+XXXX）" for a visible character, "U+XXXX" alone for one that would not show
// (controls, blanks, joiners), in UTF-8.
std::string CharacterName(char32_t character);

// The refusal messages, one clause a line, so the message box never has to break a line.
std::string RefusedCellCharacterText(char32_t character);
std::string RefusedTitleCharacterText(char32_t character);
std::string RefusedPasteCharacterText(char32_t character);

} // namespace lh
