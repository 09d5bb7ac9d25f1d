#pragma once

// A message-box service that forwards to whichever service a pointer names now, so core routines
// can keep the reference they were given while tests swap in scripted boxes.

#include "core/UserInterface.h"

namespace lh {

class ForwardingMessageBox final : public MessageBoxService {
public:
    explicit ForwardingMessageBox(MessageBoxService** target) : m_target(target) {}
    Answer ShowMessageBox(const std::string& text, const std::string& caption,
                          MessageStyle style) override {
        return (*m_target)->ShowMessageBox(text, caption, style);
    }

private:
    MessageBoxService** m_target;
};

} // namespace lh
