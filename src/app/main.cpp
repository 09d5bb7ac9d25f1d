#include "MainWindow.h"
#include "controls/ProgramPicture.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setWindowIcon(lh::ProgramIcon());
    // Lets the desktop match the windows to the installed menu entry (linkhive.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("linkhive"));
    lh::MainWindow w;
    w.show();
    return app.exec();
}
