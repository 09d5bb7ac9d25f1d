#include "BlinkLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace lh {

BlinkLabel::BlinkLabel(QWidget* parent) : QWidget(parent), m_shadow(new TextShadow(this)) {
    connect(m_shadow, &TextShadow::OnChange, this, [this] {
        FitToText();
        update();
    });
    connect(&m_timer, &QTimer::timeout, this, &BlinkLabel::TimerTick);
    m_timer.start(static_cast<int>(kDefaultBlinkRate));
}

BlinkLabel::BlinkLabel(const QString& caption, QWidget* parent) : BlinkLabel(parent) {
    SetCaption(caption);
}

void BlinkLabel::SetAlignment(Qt::Alignment alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void BlinkLabel::SetAutoSize(bool on) {
    m_autoSize = on;
    FitToText();
}

void BlinkLabel::SetBlinkRate(unsigned rate) {
    if (rate == 0 && !m_textShown) {
        m_textShown = true;
        update();
    }
    if (rate > 0 && rate < kMinimumBlinkRate)
        rate = kMinimumBlinkRate;
    m_blinkRate = rate;
    if (rate == 0) {
        m_timer.stop();
    } else {
        // The interval is an int; rates beyond it would never fire anyway.
        const unsigned capped =
            std::min<unsigned>(rate, static_cast<unsigned>(std::numeric_limits<int>::max()));
        m_timer.start(static_cast<int>(capped));
    }
}

void BlinkLabel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    FitToText();
    update();
}

QColor BlinkLabel::Color() const {
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void BlinkLabel::SetColor(const QColor& color) {
    m_color = color;
    update();
}

QColor BlinkLabel::FontColor() const {
    return m_fontColor.isValid() ? m_fontColor : palette().color(QPalette::WindowText);
}

void BlinkLabel::SetFontColor(const QColor& color) {
    m_fontColor = color;
    update();
}

void BlinkLabel::SetTransparent(bool on) {
    m_transparent = on;
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    update();
}

void BlinkLabel::TimerTick() {
    m_textShown = !m_textShown;
    update();
}

int BlinkLabel::TextLeft(Qt::Alignment alignment, int labelWidth, int textWidth,
                         const TextShadow& shadow) {
    const int offset = shadow.EffectiveOffsetLeft();
    if (alignment & Qt::AlignRight)
        return labelWidth - textWidth - (offset > 0 ? offset : 0);
    if (alignment & Qt::AlignHCenter)
        return (labelWidth - textWidth) / 2;
    return offset < 0 ? -offset : 0;
}

int BlinkLabel::TextTop(const TextShadow& shadow) {
    const int offset = shadow.EffectiveOffsetTop();
    return offset < 0 ? -offset : 0;
}

QSize BlinkLabel::sizeHint() const {
    // The shadow's offsets are part of the extent, so an auto-sized label never clips it.
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(m_caption) + std::abs(m_shadow->EffectiveOffsetLeft()),
            fm.height() + std::abs(m_shadow->EffectiveOffsetTop())};
}

void BlinkLabel::FitToText() {
    if (m_autoSize)
        resize(sizeHint());
    updateGeometry();
}

void BlinkLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(event->rect(), Color());
    if (!m_textShown)
        return;
    painter.setFont(font());
    const int x = TextLeft(m_alignment, width(), painter.fontMetrics().horizontalAdvance(m_caption),
                           *m_shadow);
    m_shadow->DrawCaption(painter, x, TextTop(*m_shadow), m_caption, FontColor());
}

void BlinkLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        FitToText();
    QWidget::changeEvent(event);
}

void BlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
    QWidget::mouseReleaseEvent(event);
}

void BlinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace lh
