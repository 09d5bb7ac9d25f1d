#include "CollectionGrid.h"
#include "MainWindow.h"
#include "dialogs/BarSettingsDialog.h"
#include "dialogs/OtherSettingsDialog.h"

namespace lh {

namespace {

// Sections of the help document for the dialogs' help topics.
const char* HelpAnchorFor(int topic) {
    if (topic == BarSettingsDialog::kHelpTopic || topic == OtherSettingsDialog::kHelpTopic)
        return "settings";
    return "";
}

} // namespace

void MainWindow::AccessRecord() {
    m_launch->AccessRecord(m_collectionGrid->CurrentRecord());
}

void MainWindow::OpenCollectionPage() {
    m_launch->OpenCollectionPage([this] { return m_files->OfferToSaveChanges(); });
}

void MainWindow::ShowHelpTopic(int topic) {
    m_launch->ShowHelpSection(HelpAnchorFor(topic));
}

void MainWindow::SetOpener(LaunchCommands::Opener opener) {
    m_launch = std::make_unique<LaunchCommands>(m_doc, std::move(opener),
                                                LaunchCommands::TimeText{}, &m_forwardingMessages);
}

} // namespace lh
