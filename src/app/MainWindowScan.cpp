#include "CollectionGrid.h"
#include "CollectionView.h"
#include "MainWindow.h"
#include "StatusBarPanels.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QAction>

namespace lh {

void MainWindow::ShowScanOptions() {
    m_actions.httpsScan->setChecked(m_options.scan.https);
    m_actions.Encoding(m_options.scan.encoding)->setChecked(true);
}

void MainWindow::ToggleHttpsScan() {
    m_options.scan.https = !m_options.scan.https;
    keys::kScanHttps.Write(ProgramSettings(), m_options.scan.https ? 1 : 0);
    ShowScanOptions();
}

void MainWindow::SetScanEncoding(EncodingChoice choice) {
    m_options.scan.encoding = choice;
    keys::kScanEncoding.Write(ProgramSettings(), EncodingChoiceName(choice));
    ShowScanOptions();
}

void MainWindow::FinishScan() {
    m_collectionGrid->ShowEntryRow();
}

void MainWindow::ShowScanReport(const ScanOutcome& outcome) {
    m_statusBar->ShowReport(QString::fromUtf8(ScanReportText(outcome)));
}

} // namespace lh
