#include "ProgramPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace lh {

namespace {

// Drawing space: 32 x 32 units, scaled to the requested size.
constexpr double kUnits = 32.0;

QPolygonF Hexagon(QPointF centre, double radius) {
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = (-90.0 + 60.0 * k) * std::numbers::pi / 180.0;
        hex << QPointF(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    }
    return hex;
}

// One chain link: a capsule along the diagonal from lower left to upper right.
QPainterPath Link(QPointF centre) {
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(-7.0, -3.6, 14.0, 7.2), 3.6, 3.6);
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(-45.0);
    return t.map(capsule);
}

void StrokeLink(QPainter& p, const QPainterPath& link) {
    // A light halo keeps the link readable on the amber cell at the smallest sizes.
    p.strokePath(link, QPen(QColor(0xFF, 0xF6, 0xD8), 4.4, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(link, QPen(QColor(0x1B, 0x2F, 0x5E), 2.2, Qt::SolidLine, Qt::RoundCap));
}

} // namespace

QImage PaintProgramPicture(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);

    const QPointF centre(16.0, 16.0);
    const QPolygonF cell = Hexagon(centre, 15.2);
    QLinearGradient honey(0.0, 1.0, 0.0, 31.0);
    honey.setColorAt(0.0, QColor(0xFF, 0xD9, 0x5C));
    honey.setColorAt(1.0, QColor(0xE3, 0x8E, 0x0B));
    p.setBrush(honey);
    p.setPen(QPen(QColor(0x7A, 0x45, 0x00), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(cell);
    // Inner rim: the wax wall of the cell.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xEB, 0xA6, 0xB0), 1.0));
    p.drawPolygon(Hexagon(centre, 12.6));

    const QPainterPath lower = Link(QPointF(12.3, 19.7));
    const QPainterPath upper = Link(QPointF(19.7, 12.3));
    StrokeLink(p, lower);
    StrokeLink(p, upper);
    // Interlock: the lower link passes over the upper one at their upper-left crossing (the two
    // end arcs meet on the perpendicular through the centre, about 3.1 units off the axis).
    QPainterPath crossing;
    crossing.addEllipse(QPointF(13.8, 13.8), 2.7, 2.7);
    p.save();
    p.setClipPath(crossing);
    StrokeLink(p, lower);
    p.restore();
    return image;
}

QPixmap ProgramPixmap() {
    return QPixmap::fromImage(PaintProgramPicture(32));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(PaintProgramPicture(size)));
    return icon;
}

} // namespace lh
