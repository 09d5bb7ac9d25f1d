#pragma once

// Message boxes of a given style (buttons, icon, default button).

#include "core/UserInterface.h"

#include <QMessageBox>
#include <memory>

namespace lh {

class QtMessageBox final : public MessageBoxService {
public:
    explicit QtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}

    Answer ShowMessageBox(const std::string& text, const std::string& caption,
                          MessageStyle style) override;

    // The box for a style, not yet shown; ResultOf maps the button pressed to its answer.
    static std::unique_ptr<QMessageBox> Build(const std::string& text, const std::string& caption,
                                              MessageStyle style, QWidget* owner);
    static Answer ResultOf(const QMessageBox& box);

private:
    QWidget* m_owner;
};

} // namespace lh
