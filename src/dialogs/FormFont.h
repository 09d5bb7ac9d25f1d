#pragma once

// The proportional Japanese UI face the forms are designed with, at a pixel size; the system
// substitutes its own Japanese face where that one is missing.

#include <QFont>

namespace lh {

QFont FormFont(int pixelSize = 12);

} // namespace lh
