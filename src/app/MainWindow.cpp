#include "MainWindow.h"

namespace lh {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Linkhive for Windows"));
}

} // namespace lh
