#include "GaugeWidget.h"

#include <QPainter>
#include <algorithm>

namespace lh {

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Gauge1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GaugeWidget::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == m_percent)
        return;
    m_percent = percent;
    // The long pass that drives the gauge does not return to the event loop: draw now.
    if (isVisible())
        repaint();
}

void GaugeWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    const QRect outer = rect();
    p.setPen(QColor(Qt::black));
    p.setBrush(Qt::NoBrush);
    p.drawRect(outer.adjusted(0, 0, -1, -1));

    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const int filled = inner.width() * m_percent / 100;
    const QRect done(inner.left(), inner.top(), filled, inner.height());
    const QRect rest(inner.left() + filled, inner.top(), inner.width() - filled, inner.height());
    p.fillRect(rest, QColor(Qt::white));
    p.fillRect(done, QColor(0, 0, 128));

    // The text reads in navy over white and in white over navy.
    const QString text = QString::asprintf("%d%%", m_percent);
    p.setPen(QColor(0, 0, 128));
    p.setClipRect(rest);
    p.drawText(inner, Qt::AlignCenter, text);
    p.setPen(QColor(Qt::white));
    p.setClipRect(done);
    p.drawText(inner, Qt::AlignCenter, text);
}

} // namespace lh
