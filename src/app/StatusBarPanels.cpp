#include "StatusBarPanels.h"

#include "CollectionView.h"
#include "GaugeBar.h"
#include "core/MainOptions.h"
#include "core/StartupRules.h"
#include "dialogs/ProgramSettings.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <algorithm>

namespace lh {

StatusBarPanels::StatusBarPanels(QStatusBar* bar, MainOptions& options)
    : m_bar(bar), m_options(options) {
    m_bar->setObjectName(QStringLiteral("StatusBar"));
    m_bar->setFixedHeight(kHeight);
    m_bar->setStatusTip(QStringLiteral("ここに（行:列）（説明）が表示されます"));

    m_positionPanel = new QLabel(QStringLiteral("    0:    0"), m_bar);
    m_positionPanel->setObjectName(QStringLiteral("PositionPanel"));
    m_positionPanel->setAlignment(Qt::AlignCenter);
    m_positionPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_bar->addWidget(m_positionPanel);

    m_hintPanel = new QLabel(m_bar);
    m_hintPanel->setObjectName(QStringLiteral("HintPanel"));
    m_hintPanel->setMinimumWidth(50);
    m_hintPanel->setFrameStyle(QFrame::NoFrame);
    m_bar->addWidget(m_hintPanel, 1);

    SetCaretPanelWidth(m_caretPanelWidth);
}

void StatusBarPanels::Attach(GaugeBar* progress, QAction* toggle) {
    m_progress = progress;
    m_toggle = toggle;
}

void StatusBarPanels::RestoreCaretPanelWidth() {
    const int width = lh::CaretPanelWidth(ProgramSettings(), m_bar->height());
    if (width >= 0)
        SetCaretPanelWidth(width);
}

void StatusBarPanels::ShowHint(const QString& longHint, const QString& idleHint) {
    // The idle hints (none, or the document's own) bring the report back.
    if (!m_report.isEmpty() && (longHint.isEmpty() || longHint == idleHint)) {
        m_hintPanel->setText(m_report);
        return;
    }
    m_hintPanel->setText(longHint);
}

void StatusBarPanels::ShowReport(const QString& text) {
    m_report = text;
    m_hintPanel->setText(text);
    m_hintPanel->setToolTip(text);
}

QString StatusBarPanels::HintText() const {
    return m_hintPanel->text();
}

void StatusBarPanels::SetStatusBarWanted(bool on) {
    m_wanted = on;
    if (m_toggle) {
        const QSignalBlocker quiet(m_toggle);
        m_toggle->setChecked(on);
    }
    // While the progress strip runs it holds the status bar's place; the strip brings the bar
    // back when it ends, if it is still wanted then.
    if (!m_progress || m_progress->isHidden())
        m_bar->setVisible(on);
}

bool StatusBarPanels::IsStatusBarVisible() const {
    return !m_bar->isHidden();
}

int StatusBarPanels::StatusBarHeight() const {
    return m_bar->height();
}

int StatusBarPanels::CaretPanelWidth() const {
    return m_positionPanel->isHidden() ? 0 : m_caretPanelWidth;
}

void StatusBarPanels::SetCaretPanelWidth(int width) {
    // A panel 0 wide is hidden, so not even its frame shows.
    m_caretPanelWidth = std::max(width, 0);
    m_caretDigits = 0;
    m_positionPanel->setVisible(width > 0);
    FitCaretPanel(m_rowCount);
}

int StatusBarPanels::CaretPanelWidthFor(int rowDigits) const {
    // The widest text for such rows: every place of the row filled, the column in its field.
    const QString widest =
        QString(std::max(rowDigits, 5), QLatin1Char('0')) + QStringLiteral(":    0");
    const QFontMetrics metrics(m_positionPanel->font());
    return metrics.horizontalAdvance(widest) + 2 * m_positionPanel->frameWidth() +
           metrics.averageCharWidth();
}

void StatusBarPanels::FitCaretPanel(int rowCount) {
    m_rowCount = rowCount;
    const int digits = CollectionView::NumberDigits(rowCount);
    if (digits == m_caretDigits)
        return;
    m_caretDigits = digits;
    if (m_caretPanelWidth > 0)
        m_positionPanel->setFixedWidth(std::max(m_caretPanelWidth, CaretPanelWidthFor(digits)));
}

void StatusBarPanels::ProgressLookChanged() {
    if (!m_progress)
        return;
    m_progress->SetGaugeVisible(m_options.gaugeVisible);
    m_progress->SetInfoVisible(m_options.infoVisible);
    m_progress->SetNewGauge(m_options.newGauge);
}

} // namespace lh
