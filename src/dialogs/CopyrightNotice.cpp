#include "CopyrightNotice.h"

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>

namespace lh {

QLabel* AddCopyrightNotice(QWidget* parent, const char* text, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0xFF));
    label->setPalette(pal);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace lh
