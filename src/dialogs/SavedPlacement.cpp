#include "SavedPlacement.h"

#include "dialogs/ProgramSettings.h"
#include "util/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lh {

void PlaceBySavedPosition(QWidget& window, const PlacementKeys& keys) {
    const QSize outer = window.frameGeometry().size();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : outer;
    const WindowPosition at =
        RestorePlacement(ProgramSettings(), keys, Extent{area.width(), area.height()},
                         Extent{outer.width(), outer.height()});
    window.move(at.left, at.top);
}

void StorePosition(const QWidget& window, const PlacementKeys& keys) {
    const QPoint at = window.pos();
    StorePlacement(ProgramSettings(), keys, WindowPosition{at.y(), at.x()});
}

} // namespace lh
