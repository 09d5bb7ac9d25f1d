#pragma once

// Message boxes with the platform's style codes (buttons, icon, default button).

#include "core/UserInterface.h"

#include <QMessageBox>
#include <memory>

namespace lh {

class QtMessageBox final : public MessageBoxService {
public:
    explicit QtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}

    int ShowMessageBox(const std::string& text, const std::string& caption, int style) override;

    // The box for a style, not yet shown; ResultOf maps the button pressed to its result code.
    static std::unique_ptr<QMessageBox> Build(const std::string& text, const std::string& caption,
                                              int style, QWidget* owner);
    static int ResultOf(const QMessageBox& box);

private:
    QWidget* m_owner;
};

} // namespace lh
