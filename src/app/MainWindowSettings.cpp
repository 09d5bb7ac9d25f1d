#include "CollectionModel.h"
#include "CollectionView.h"
#include "GaugeBar.h"
#include "MainWindow.h"
#include "QtMessageBox.h"
#include "dialogs/AboutBox.h"
#include "dialogs/SetBarBox.h"
#include "dialogs/SetOtherBox.h"

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
    wire("SetStatusVisItem", &MainWindow::SetStatusVisItemClick);
    wire("SetToolItem", &MainWindow::SetToolItemClick);
    wire("SetOthersItem", &MainWindow::SetOthersItemClick);
    wire("HelpAboutItem", &MainWindow::HelpAboutItemClick);
}

void MainWindow::SetStatusVisItemClick() {
    // The item is checkable, so the toolkit has already flipped its tick; the wish kept in
    // m_statusWanted is what the toggle inverts, and it sets the tick again.
    lh::SetStatusVisItemClick(*this);
}

void MainWindow::SetToolItemClick() {
    m_grid->FinishEditing();
    TSetBarBox box(m_options, *this, this);
    box.SetHelpHandler([this](int topic) { ShowHelpTopic(topic); });
    box.exec();
}

void MainWindow::SetOthersItemClick() {
    m_grid->FinishEditing();
    TSetOtherBox box(
        m_options, m_history.Slot(0).empty(),
        [this] {
            m_history.Clear(m_files->OpenDialog().dir);
            HistoryChanged();
        },
        this);
    box.SetHelpHandler([this](int topic) { ShowHelpTopic(topic); });
    box.exec();
}

void MainWindow::HelpAboutItemClick() {
    m_grid->FinishEditing();
    // The program's own boxes belong to the about box, so they come up over it; a stand-in
    // service put in place of them still gets the messages.
    MessageBoxService* messages = m_messages == m_ownMessages.get() ? nullptr : m_messages;
    TAboutBox box(AboutBoxContext{TAboutBox::ThisRunStartText(), messages}, this);
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
    return m_panel0->isHidden() ? 0 : m_caretPanelWidth;
}

void MainWindow::SetCaretPanelWidth(int width) {
    // A panel 0 wide is hidden, so not even its frame shows.
    m_caretPanelWidth = std::max(width, 0);
    m_caretDigits = 0;
    m_panel0->setVisible(width > 0);
    FitCaretPanel();
}

int MainWindow::CaretPanelWidthFor(int rowDigits) const {
    // The widest text for such rows: every place of the row filled, the column in its field.
    const QString widest =
        QString(std::max(rowDigits, 5), QLatin1Char('0')) + QStringLiteral(":    0");
    const QFontMetrics metrics(m_panel0->font());
    return metrics.horizontalAdvance(widest) + 2 * m_panel0->frameWidth() +
           metrics.averageCharWidth();
}

void MainWindow::FitCaretPanel() {
    const int rows = m_model ? m_model->rowCount() : 0;
    const int digits = CollectionView::NumberDigits(rows);
    if (digits == m_caretDigits)
        return;
    m_caretDigits = digits;
    if (m_caretPanelWidth > 0)
        m_panel0->setFixedWidth(std::max(m_caretPanelWidth, CaretPanelWidthFor(digits)));
}

void MainWindow::ProgressLookChanged() {
    m_gaugeBar->SetGaugeVisible(m_options.gaugeVisible);
    m_gaugeBar->SetInfoVisible(m_options.infoVisible);
    m_gaugeBar->SetNewGauge(m_options.newGauge);
}

} // namespace lh
