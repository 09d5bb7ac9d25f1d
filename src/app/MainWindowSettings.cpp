#include "CollectionModel.h"
#include "CollectionView.h"
#include "GaugeBar.h"
#include "MainWindow.h"
#include "QtMessageBox.h"
#include "dialogs/AboutBox.h"
#include "dialogs/BarSettingsDialog.h"
#include "dialogs/OtherSettingsDialog.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <algorithm>

namespace lh {

void MainWindow::ConnectSettingsCommands() {
    const auto wire = [this](const char* name, void (MainWindow::*handler)()) {
        if (QAction* item = Item(name))
            connect(item, &QAction::triggered, this, handler);
    };
    wire("SetStatusVisItem", &MainWindow::ToggleStatusBar);
    wire("SetToolItem", &MainWindow::ShowBarSettings);
    wire("SetOthersItem", &MainWindow::ShowOtherSettings);
    wire("HelpAboutItem", &MainWindow::ShowAbout);
}

void MainWindow::ToggleStatusBar() {
    // The item is checkable, so the toolkit has already flipped its tick; the wish kept in
    // m_statusWanted is what the toggle inverts, and it sets the tick again.
    lh::ToggleStatusBar(*this);
}

void MainWindow::ShowBarSettings() {
    m_grid->FinishEditing();
    BarSettingsDialog box(m_options, *this, this);
    box.SetHelpHandler([this](int topic) { ShowHelpTopic(topic); });
    box.exec();
}

void MainWindow::ShowOtherSettings() {
    m_grid->FinishEditing();
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
    m_grid->FinishEditing();
    // The program's own boxes belong to the about box, so they come up over it; a stand-in
    // service put in place of them still gets the messages.
    MessageBoxService* messages = m_messages == m_ownMessages.get() ? nullptr : m_messages;
    AboutBox box(AboutBoxContext{AboutBox::ThisRunStartText(), messages}, this);
    box.exec();
}

void MainWindow::SetStatusBarWanted(bool on) {
    m_statusWanted = on;
    if (QAction* item = Item("SetStatusVisItem")) {
        const QSignalBlocker quiet(item);
        item->setChecked(on);
    }
    // While the progress strip runs it holds the status bar's place; the strip brings the bar
    // back when it ends, if it is still wanted then.
    if (m_gaugeBar->isHidden())
        statusBar()->setVisible(on);
}

bool MainWindow::IsStatusBarVisible() const {
    return !statusBar()->isHidden();
}

int MainWindow::StatusBarHeight() const {
    return statusBar()->height();
}

int MainWindow::CaretPanelWidth() const {
    return m_positionPanel->isHidden() ? 0 : m_caretPanelWidth;
}

void MainWindow::SetCaretPanelWidth(int width) {
    // A panel 0 wide is hidden, so not even its frame shows.
    m_caretPanelWidth = std::max(width, 0);
    m_caretDigits = 0;
    m_positionPanel->setVisible(width > 0);
    FitCaretPanel();
}

int MainWindow::CaretPanelWidthFor(int rowDigits) const {
    // The widest text for such rows: every place of the row filled, the column in its field.
    const QString widest =
        QString(std::max(rowDigits, 5), QLatin1Char('0')) + QStringLiteral(":    0");
    const QFontMetrics metrics(m_positionPanel->font());
    return metrics.horizontalAdvance(widest) + 2 * m_positionPanel->frameWidth() +
           metrics.averageCharWidth();
}

void MainWindow::FitCaretPanel() {
    const int rows = m_grid && m_grid->model() ? m_grid->model()->rowCount() : 0;
    const int digits = CollectionView::NumberDigits(rows);
    if (digits == m_caretDigits)
        return;
    m_caretDigits = digits;
    if (m_caretPanelWidth > 0)
        m_positionPanel->setFixedWidth(std::max(m_caretPanelWidth, CaretPanelWidthFor(digits)));
}

void MainWindow::ProgressLookChanged() {
    m_gaugeBar->SetGaugeVisible(m_options.gaugeVisible);
    m_gaugeBar->SetInfoVisible(m_options.infoVisible);
    m_gaugeBar->SetNewGauge(m_options.newGauge);
}

} // namespace lh
