#include "QtBusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace lh {

void QtBusyCursor::Begin() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtBusyCursor::End() {
    QApplication::restoreOverrideCursor();
}

} // namespace lh
