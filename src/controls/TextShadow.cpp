#include "TextShadow.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace lh {

TextShadow::TextShadow(QObject* parent) : QObject(parent) {}

void TextShadow::SetColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    emit OnChange();
}

void TextShadow::SetOffsetLeft(int offset) {
    if (offset == m_offsetLeft)
        return;
    m_offsetLeft = offset;
    emit OnChange();
}

void TextShadow::SetOffsetTop(int offset) {
    if (offset == m_offsetTop)
        return;
    m_offsetTop = offset;
    emit OnChange();
}

void TextShadow::SetVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    emit OnChange();
}

void TextShadow::DrawCaption(QPainter& painter, int x, int y, const QString& caption,
                             const QColor& textColor) const {
    const int baseline = painter.fontMetrics().ascent();
    if (m_visible) {
        painter.setPen(m_color);
        painter.drawText(x + m_offsetLeft, y + m_offsetTop + baseline, caption);
    }
    painter.setPen(textColor);
    painter.drawText(x, y + baseline, caption);
}

} // namespace lh
