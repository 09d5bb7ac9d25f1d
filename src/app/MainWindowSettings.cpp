#include "MainWindow.h"
#include "QtMessageBox.h"
#include "StatusBarPanels.h"
#include "dialogs/AboutBox.h"
#include "dialogs/BarSettingsDialog.h"
#include "dialogs/OtherSettingsDialog.h"

namespace lh {

void MainWindow::ShowBarSettings() {
    BarSettingsDialog box(m_options, *m_statusBar, this);
    box.SetHelpHandler([this](int topic) { ShowHelpTopic(topic); });
    box.exec();
}

void MainWindow::ShowOtherSettings() {
    OtherSettingsDialog box(
        m_options, m_history.Slot(0).empty(),
        [this] {
            m_history.Clear(m_files->OpenDialog().dir);
            HistoryChanged();
        },
        this);
    box.SetHelpHandler([this](int topic) { ShowHelpTopic(topic); });
    box.exec();
}

void MainWindow::ShowAbout() {
    // The program's own boxes belong to the about box, so they come up over it; a stand-in
    // service put in place of them still gets the messages.
    MessageBoxService* messages = m_messages == m_ownMessages.get() ? nullptr : m_messages;
    AboutBox box(AboutBoxContext{AboutBox::ThisRunStartText(), messages}, this);
    box.exec();
}

} // namespace lh
