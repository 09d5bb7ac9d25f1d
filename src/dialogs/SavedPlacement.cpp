#include "SavedPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lh {

int PlacedCoordinate(int stored, int screenExtent, int windowExtent) {
    if (stored >= 0 && stored < screenExtent)
        return stored;
    return (screenExtent - windowExtent) / 2;
}

void PlaceBySavedPosition(QWidget& window, const IntSetting& top, const IntSetting& left) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : QSize(window.width(), window.height());
    const QSize size = window.frameGeometry().size();
    const int y = PlacedCoordinate(top.Read(), area.height(), size.height());
    const int x = PlacedCoordinate(left.Read(), area.width(), size.width());
    window.move(x, y);
}

void StorePosition(const QWidget& window, const IntSetting& top, const IntSetting& left) {
    const QPoint at = window.pos();
    top.Write(at.y());
    left.Write(at.x());
}

} // namespace lh
