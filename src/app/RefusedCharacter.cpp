#include "RefusedCharacter.h"

#include "util/Codec.h"

#include <QChar>
#include <QList>
#include <cstdio>

namespace lh {

namespace {

constexpr const char* kNotStorable = "Shift-JIS（コードページ932）で保存できない文字です。";

bool Encodable(char32_t character) {
    const QByteArray utf8 = QString::fromUcs4(&character, 1).toUtf8();
    return Utf8ToSjis(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())))
        .has_value();
}

} // namespace

std::optional<char32_t> FirstUnencodableCharacter(const QString& text) {
    for (const char32_t character : text.toUcs4())
        if (!Encodable(character))
            return character;
    return std::nullopt;
}

std::string CharacterName(char32_t character) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    const QChar::Category category = QChar::category(character);
    const bool invisible = !QChar::isPrint(character) || QChar::isSpace(character) ||
                           category == QChar::Other_Format || category == QChar::Mark_NonSpacing ||
                           category == QChar::Mark_Enclosing;
    if (invisible)
        return code;
    return "「" + QString::fromUcs4(&character, 1).toStdString() + "」（" + code + "）";
}

std::string RefusedCellCharacterText(char32_t character) {
    return CharacterName(character) + "は入力できません。\n" + kNotStorable +
           "\nセルの内容は変更されていません。";
}

std::string RefusedTitleCharacterText(char32_t character) {
    return CharacterName(character) + "はﾀｲﾄﾙに使えません。\n" + kNotStorable +
           "\nﾀｲﾄﾙは変更されていません。";
}

std::string RefusedPasteCharacterText(char32_t character) {
    return "貼り付ける文字列の" + CharacterName(character) + "は入力できません。\n" + kNotStorable +
           "\nﾚｺｰﾄﾞは追加されていません。";
}

} // namespace lh
