#pragma once

// A file-dialog service that forwards to whichever chooser a pointer names now; the file and
// scan commands share it, and tests swap in scripted dialogs.

#include "core/UserInterface.h"

namespace lh {

class ForwardingFileChooser final : public FileChooser {
public:
    explicit ForwardingFileChooser(FileChooser** target) : m_target(target) {}
    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request,
                                                   int* lastIndex) override {
        return (*m_target)->ChooseOpenFile(request, lastIndex);
    }
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override {
        return (*m_target)->ChooseSaveFile(request);
    }

private:
    FileChooser** m_target;
};

} // namespace lh
