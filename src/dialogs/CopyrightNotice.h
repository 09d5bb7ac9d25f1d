#pragma once

// The maker's notice as a label, in the same colour wherever it appears.

class QLabel;
class QWidget;

namespace lh {

QLabel* AddCopyrightNotice(QWidget* parent, const char* text, int x, int y);

} // namespace lh
