#include "Gauge.h"

#include <QPainter>
#include <algorithm>

namespace lh {

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int Gauge::PercentDone(std::int64_t min, std::int64_t max, std::int64_t progress) {
    if (max <= min)
        return 0;
    return static_cast<int>(100 * (progress - min) / (max - min));
}

int Gauge::PercentDone() const {
    return PercentDone(m_min, m_max, m_progress);
}

void Gauge::SetValues(int min, int max, int progress) {
    const int before = PercentDone();
    m_min = min;
    m_max = std::max(min, max);
    m_progress = std::clamp(progress, m_min, m_max);
    // Progress steps come by the thousand during a scan; only a new percentage is worth a paint.
    if (PercentDone() != before)
        repaint();
}

void Gauge::SetMinValue(int value) {
    SetValues(value, m_max, m_progress);
}
void Gauge::SetMaxValue(int value) {
    SetValues(m_min, value, m_progress);
}
void Gauge::SetProgress(int value) {
    SetValues(m_min, m_max, value);
}

void Gauge::SetForeColor(const QColor& color) {
    m_foreColor = color;
    update();
}

void Gauge::SetBackColor(const QColor& color) {
    m_backColor = color;
    update();
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const int percent = PercentDone();
    const int done = inner.width() * percent / 100;
    painter.fillRect(inner, m_backColor);
    painter.fillRect(QRect(inner.left(), inner.top(), done, inner.height()), m_foreColor);
    const QString text = QString::asprintf("%d%%", percent);
    // The text takes the contrasting colour over the filled part, as a gauge is usually read.
    painter.setClipRect(QRect(inner.left(), inner.top(), done, inner.height()));
    painter.setPen(m_backColor);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(
        QRect(inner.left() + done, inner.top(), inner.width() - done, inner.height()));
    painter.setPen(m_foreColor);
    painter.drawText(inner, Qt::AlignCenter, text);
}

} // namespace lh
