#pragma once

// The borderless, always-on-top window that stands in the middle of the screen while a first
// instance starts. It has no controls of its own; the start-up releases it.

#include <QWidget>

namespace lh {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);

protected:
    // The user cannot close it; only the start-up releases it.
    void closeEvent(QCloseEvent* event) override;
};

} // namespace lh
