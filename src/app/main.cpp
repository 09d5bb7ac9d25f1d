#include "MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    lh::MainWindow w;
    w.show();
    return app.exec();
}
