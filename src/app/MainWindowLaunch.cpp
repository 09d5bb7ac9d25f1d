#include "CollectionView.h"
#include "MainWindow.h"
#include "dialogs/BarSettingsDialog.h"
#include "dialogs/OtherSettingsDialog.h"

#include <QAction>

namespace lh {

namespace {

// Sections of the help document for the dialogs' help topics.
const char* HelpAnchorFor(int topic) {
    if (topic == BarSettingsDialog::kHelpTopic || topic == OtherSettingsDialog::kHelpTopic)
        return "settings";
    return "";
}

} // namespace

void MainWindow::ConnectLaunchCommands() {
    const auto wire = [this](const char* name, auto handler) {
        if (QAction* item = Item(name))
            connect(item, &QAction::triggered, this, handler);
    };
    wire("EditHtmlItem", [this] { OpenCollectionPage(); });
    wire("EditAccessItem", [this] { AccessRecord(); });
    wire("HelpTopicItem", [this] { m_launch->ShowHelpTopics(); });
    wire("HelpUseItem", [this] { m_launch->ShowUserGuide(); });
    wire("HelpHomeItem", [this] { m_launch->OpenHomePage(); });
    wire("HelpHome2Item", [this] { m_launch->OpenHomeShortcut(); });
    // Header cells are no items: a double click there never reaches this signal.
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { AccessRecord(); });
}

void MainWindow::AccessRecord() {
    m_grid->FinishEditing();
    m_launch->AccessRecord(CurrentGridRow());
}

void MainWindow::OpenCollectionPage() {
    m_grid->FinishEditing();
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
