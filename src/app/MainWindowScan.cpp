#include "CollectionModel.h"
#include "CollectionView.h"
#include "MainWindow.h"
#include "dialogs/ProgramSettings.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>

namespace lh {

void MainWindow::ConnectScanCommands() {
    if (QAction* item = Item("EditFileURLItem"))
        connect(item, &QAction::triggered, this, &MainWindow::ScanFileForUrls);
    if (QAction* item = Item("EditFileEMItem"))
        connect(item, &QAction::triggered, this, &MainWindow::ScanFileForEmails);
    if (QAction* item = Item("EditHttpsItem"))
        connect(item, &QAction::triggered, this, &MainWindow::ToggleHttpsScan);
    if (auto* group = findChild<QActionGroup*>(QStringLiteral("EditEncodingGroup")))
        connect(group, &QActionGroup::triggered, this, [this](QAction* item) {
            SetScanEncoding(static_cast<EncodingChoice>(item->data().toInt()));
        });
}

void MainWindow::RestoreScanOptions() {
    m_options.scan.encoding = EncodingChoiceNamed(keys::kScanEncoding.Read(ProgramSettings()))
                                  .value_or(EncodingChoice::Auto);
    m_options.scan.https = keys::kScanHttps.IsOn(ProgramSettings());
    ShowScanOptions();
}

void MainWindow::ShowScanOptions() {
    if (QAction* item = Item("EditHttpsItem"))
        item->setChecked(m_options.scan.https);
    if (auto* group = findChild<QActionGroup*>(QStringLiteral("EditEncodingGroup")))
        for (QAction* item : group->actions())
            item->setChecked(static_cast<EncodingChoice>(item->data().toInt()) ==
                             m_options.scan.encoding);
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

void MainWindow::ScanFileForUrls() {
    // An open editor's text is stored first: a scan appends behind the row being typed into.
    m_grid->FinishEditing();
    m_scans->ScanFileForUrls();
}

void MainWindow::ScanFileForEmails() {
    m_grid->FinishEditing();
    m_scans->ScanFileForEmails();
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
    ShowStatusReport(QString::fromUtf8(ScanReportText(outcome)));
}

void MainWindow::ShowStatusReport(const QString& text) {
    m_statusReport = text;
    m_hintPanel->setText(text);
    m_hintPanel->setToolTip(text);
}

} // namespace lh
