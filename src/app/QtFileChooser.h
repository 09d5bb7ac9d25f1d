#pragma once

// Open and save dialogs. The toolkit's own dialog (not the desktop's) is used, so it looks the
// same everywhere and tests can drive it.

#include "core/UserInterface.h"

#include <QStringList>

class QWidget;

namespace lh {

class QtFileChooser final : public FileChooser {
public:
    explicit QtFileChooser(QWidget* owner = nullptr) : m_owner(owner) {}

    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request,
                                                   int* lastIndex = nullptr) override;
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override;

    // "Label|*.a;*.b|Label2|*.*" as the program writes filters, in the toolkit's form: one entry
    // per pair, "Label (*.a *.b)". A label without patterns is dropped.
    static QStringList ToNameFilters(const std::string& filter);

private:
    QWidget* m_owner;
};

} // namespace lh
