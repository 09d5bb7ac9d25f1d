#include "MarqueeLabel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lh {

namespace {
// Nearest integer, halves to the even neighbour (the default floating-point rounding mode).
int RoundHalfToEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}
} // namespace

MarqueeLabel::MarqueeLabel(QWidget* parent) : QWidget(parent), m_shadow(new TextShadow(this)) {
    // Every pixel is painted from the off-screen frame; erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_shadow, &TextShadow::OnChange, this, qOverload<>(&QWidget::update));
    m_timer.setInterval(kDefaultSpeed);
    connect(&m_timer, &QTimer::timeout, this, &MarqueeLabel::TimerTick);
}

void MarqueeLabel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

QColor MarqueeLabel::Color() const {
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void MarqueeLabel::SetColor(const QColor& color) {
    m_color = color;
    update();
}

QColor MarqueeLabel::FontColor() const {
    return m_fontColor.isValid() ? m_fontColor : palette().color(QPalette::WindowText);
}

void MarqueeLabel::SetFontColor(const QColor& color) {
    m_fontColor = color;
    update();
}

void MarqueeLabel::SetDirection(ScrollDirection direction) {
    m_direction = direction;
    update();
}

void MarqueeLabel::SetSpeed(int speed) {
    if (speed == m_speed)
        return;
    m_speed = std::clamp(speed, kMinimumSpeed, kMaximumSpeed);
    m_timer.setInterval(m_speed);
}

void MarqueeLabel::SetSteps(int steps) {
    if (steps == m_steps)
        return;
    m_steps = std::max(steps, 1);
}

void MarqueeLabel::Start(int firstStep) {
    if (m_timer.isActive())
        return;
    m_step = (firstStep >= 0 && firstStep <= m_steps) ? firstStep : 0;
    m_timer.start();
}

void MarqueeLabel::TimerTick() {
    // A tick queued before the pass ended is stale.
    if (!m_timer.isActive())
        return;
    if (m_step == 0)
        emit OnBegin();
    ++m_step;
    emit OnStep();
    update();
    if (m_step < m_steps)
        return;
    m_timer.stop();
    emit OnEnd();
    // No repaint here: the last frame stays on the screen.
    m_step = 0;
}

int MarqueeLabel::TextLeft(ScrollDirection direction, int step, int steps, int labelWidth,
                           int textWidth, const TextShadow& shadow) {
    const double f = static_cast<double>(step) / static_cast<double>(std::max(steps, 1));
    const double travel = static_cast<double>(labelWidth) + static_cast<double>(textWidth);
    int x = direction == LeftToRight ? RoundHalfToEven(f * travel) - textWidth
                                     : RoundHalfToEven((1.0 - f) * travel) - textWidth;
    const int offset = shadow.EffectiveOffsetLeft();
    if (offset < 0)
        x -= offset;
    return x;
}

int MarqueeLabel::TextTop(int labelHeight, int textHeight, const TextShadow& shadow) {
    if (labelHeight <= textHeight)
        return 0;
    return (labelHeight - textHeight - shadow.EffectiveOffsetTop()) / 2;
}

void MarqueeLabel::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    QPixmap frame(size() * dpr);
    frame.setDevicePixelRatio(dpr);
    frame.fill(Color());
    {
        QPainter painter(&frame);
        painter.setFont(font());
        const QFontMetrics fm = painter.fontMetrics();
        // The whole offset counts in the width, shown or not, so the pass length stays put.
        const int w = fm.horizontalAdvance(m_caption) + std::abs(m_shadow->OffsetLeft());
        const int x = TextLeft(m_direction, m_step, m_steps, width(), w, *m_shadow);
        const int y = TextTop(height(), fm.height(), *m_shadow);
        m_shadow->DrawCaption(painter, x, y, m_caption, FontColor());
    }
    QPainter(this).drawPixmap(0, 0, frame);
}

void MarqueeLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
    QWidget::mouseReleaseEvent(event);
}

void MarqueeLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace lh
