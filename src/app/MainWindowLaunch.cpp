#include "CollectionView.h"
#include "MainWindow.h"
#include "dialogs/SetBarBox.h"
#include "dialogs/SetOtherBox.h"

#include <QAction>

namespace lh {

namespace {

// Sections of the help document for the dialogs' help topics.
const char* HelpAnchorFor(int topic) {
    if (topic == TSetBarBox::kHelpTopic || topic == TSetOtherBox::kHelpTopic)
        return "settings";
    return "";
}

} // namespace

void MainWindow::ConnectLaunchCommands() {
    const auto wire = [this](const char* name, auto handler) {
        if (QAction* item = Item(name))
            connect(item, &QAction::triggered, this, handler);
    };
    wire("EditHtmlItem", [this] { EditHtmlItemClick(); });
    wire("EditAccessItem", [this] { EditAccessItemClick(); });
    wire("HelpTopicItem", [this] { m_launch->HelpTopicItemClick(); });
    wire("HelpUseItem", [this] { m_launch->HelpUseItemClick(); });
    wire("HelpHomeItem", [this] { m_launch->HelpHomeItemClick(); });
    wire("HelpHome2Item", [this] { m_launch->HelpHome2ItemClick(); });
    // Header cells are no items: a double click there never reaches this signal.
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { EditAccessItemClick(); });
}

void MainWindow::EditAccessItemClick() {
    m_grid->FinishEditing();
    m_launch->EditAccessItemClick(CurrentGridRow());
}

void MainWindow::EditHtmlItemClick() {
    m_grid->FinishEditing();
    m_launch->EditHtmlItemClick(
        [this] { return m_files->OpenDocument(std::string(), OpenMode::QueryOnly); });
}

void MainWindow::ShowHelpTopic(int topic) {
    m_launch->ShowHelpSection(HelpAnchorFor(topic));
}

void MainWindow::SetOpener(LaunchCommands::Opener opener) {
    m_launch = std::make_unique<LaunchCommands>(m_doc, std::move(opener),
                                                LaunchCommands::TimeText{}, &m_forwardingMessages);
}

} // namespace lh
