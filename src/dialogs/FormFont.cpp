#include "FormFont.h"

#include <QStringList>

namespace lh {

QFont FormFont(int pixelSize) {
    QFont font;
    // The design face first; a Windows without it (the optional Japanese fonts left out) still
    // has a Japanese interface face, and Linux desktops have their own.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
                      QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace lh
