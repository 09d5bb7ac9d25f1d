// Writes the program's picture as <dir>/<N>x<N>/apps/linkhive.png for every icon size, the
// layout of an icon theme, so the installed icons come from the same drawing as the window's.

#include "controls/ProgramPicture.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: linkhive-icons <icon theme folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : lh::kProgramIconSizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(dir) ||
            !lh::PaintProgramPicture(size).save(dir + QStringLiteral("/linkhive.png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
