#include "CollectionModel.h"
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
    TableStore& table = m_doc.Table();
    const TableStore::Row entry = table.EntryRow();
    for (int column = 1; column < TableStore::kColumnCount; ++column)
        if (!table.CellView(entry, column).empty())
            table.SetCell(entry, column, {});

    const QModelIndex current = m_grid->currentIndex();
    const int column = current.isValid() ? CollectionModel::GridColumn(current) : 1;
    const QModelIndex target = m_model->IndexAt(entry, column);
    m_grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_grid->ScrollEndIntoView();
    m_grid->viewport()->repaint();
}

void MainWindow::ShowScanReport(const ScanOutcome& outcome) {
    m_statusBar->ShowReport(QString::fromUtf8(ScanReportText(outcome)));
}

} // namespace lh
