#pragma once

// The program's own picture: an amber honeycomb cell holding two interlocked chain links.
// Painted from vector shapes at any size, so the window icon, the dialogs and the installed
// icon files all come from this one drawing.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace lh {

// The picture at size x size pixels on a transparent background.
QImage PaintProgramPicture(int size);
// The 32 x 32 picture the about box and the splash window show.
QPixmap ProgramPixmap();
// All icon sizes (16 to 256) for the window icon.
QIcon ProgramIcon();

inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace lh
