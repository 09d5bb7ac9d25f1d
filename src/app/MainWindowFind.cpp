#include "CollectionGrid.h"
#include "CollectionModel.h"
#include "CollectionView.h"
#include "CollectionViewProxy.h"
#include "FindBar.h"
#include "MainWindow.h"
#include "core/RecordsReorderedStep.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace lh {

void MainWindow::CreateFindBar() {
    m_findBar = new FindBar(centralWidget());
    m_findBar->hide();
    if (auto* layout = qobject_cast<QVBoxLayout*>(centralWidget()->layout()))
        layout->insertWidget(0, m_findBar);
    connect(m_findBar, &FindBar::Changed, this, &MainWindow::ApplyFind);
    connect(m_findBar, &FindBar::CloseRequested, this, &MainWindow::CloseFindBar);

    // The count follows the table once the running command is done, not at every record.
    const CollectionViewProxy* view = m_collectionGrid->ViewOrder();
    const auto countLater = [this] {
        if (m_findCountPending || !m_findBar->isVisible())
            return;
        m_findCountPending = true;
        QTimer::singleShot(0, this, [this] {
            m_findCountPending = false;
            ShowFindCount();
        });
    };
    connect(view, &QAbstractItemModel::dataChanged, this, countLater);
    connect(view, &QAbstractItemModel::rowsInserted, this, countLater);
    connect(view, &QAbstractItemModel::rowsRemoved, this, countLater);
    connect(view, &QAbstractItemModel::modelReset, this, countLater);
    connect(view, &QAbstractItemModel::layoutChanged, this, countLater);
}

void MainWindow::CreateFindCommands(QMenu* edit) {
    MainActions& a = m_actions;
    edit->addSeparator();
    a.find = AddCommand(
        edit, {"検索(&F)...", "名前、URL/E-Mail、備考から探して絞り込む", Qt::CTRL | Qt::Key_F},
        OpenEditor::Commit, [this] { ShowFindBar(); });
    a.findNext = AddCommand(edit, {"次を検索(&N)", "次に一致する行へ移る", Qt::Key_F3},
                            OpenEditor::Commit, [this] { StepToMatch(FindDirection::Forward); });
    a.findPrevious =
        AddCommand(edit, {"前を検索(&B)", "前に一致する行へ移る", Qt::SHIFT | Qt::Key_F3},
                   OpenEditor::Commit, [this] { StepToMatch(FindDirection::Backward); });
    a.applyViewOrder =
        AddCommand(edit, {"この順序で並べ替える", "表示している並び順をﾚｺｰﾄﾞの順序にする"},
                   OpenEditor::Commit, [this] { ApplyViewOrder(); });
    a.applyViewOrder->setEnabled(false);
    connect(m_collectionGrid->ViewOrder(), &CollectionViewProxy::SortChanged, a.applyViewOrder,
            [item = a.applyViewOrder](int column) { item->setEnabled(column >= 0); });
}

void MainWindow::ShowFindBar() {
    m_findBar->show();
    m_findBar->FocusQuery();
    ApplyFind();
}

void MainWindow::CloseFindBar() {
    const TableStore::Row record = m_collectionGrid->CurrentRecord();
    const int field = m_collectionGrid->CurrentField();
    m_findBar->hide();
    m_collectionGrid->ViewOrder()->SetQuery(std::string(), m_findBar->Columns(),
                                            m_findBar->OnlyMatches());
    if (record >= 0)
        m_collectionGrid->SetCurrentCell(record, field >= 0 ? field : TableStore::kName);
    m_grid->setFocus();
}

void MainWindow::ApplyFind() {
    if (!m_findBar->isVisible())
        return;
    m_collectionGrid->FinishEditing();
    const TableStore::Row record = m_collectionGrid->CurrentRecord();
    const int field = m_collectionGrid->CurrentField();
    CollectionViewProxy* view = m_collectionGrid->ViewOrder();
    view->SetQuery(CollectionModel::ToCell(m_findBar->Query()), m_findBar->Columns(),
                   m_findBar->OnlyMatches());
    // The current cell stays on its record while it is shown, else goes to the first row.
    if (!m_grid->currentIndex().isValid()) {
        const QModelIndex kept = m_collectionGrid->ViewIndexOf(record, field);
        const QModelIndex target =
            kept.isValid() ? kept
                           : m_grid->model()->index(0, field >= 0 ? field : TableStore::kName);
        m_grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        m_grid->scrollTo(target);
    }
    ShowFindCount();
}

void MainWindow::ShowFindCount() {
    const CollectionViewProxy* view = m_collectionGrid->ViewOrder();
    m_findBar->ShowCount(view->MatchCount(), view->RecordCount());
}

void MainWindow::StepToMatch(FindDirection direction) {
    if (!m_findBar->isVisible() || m_findBar->Query().isEmpty()) {
        ShowFindBar();
        return;
    }
    const QModelIndex current = m_grid->currentIndex();
    const int from = current.isValid() ? current.row() : -1;
    const int row = m_collectionGrid->ViewOrder()->NextMatchRow(from, direction);
    if (row < 0) {
        QApplication::beep();
        return;
    }
    const QModelIndex target =
        m_grid->model()->index(row, current.isValid() ? current.column() : TableStore::kName);
    m_grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(target);
}

void MainWindow::ApplyViewOrder() {
    const std::vector<std::size_t> order = m_collectionGrid->ViewOrder()->SortedCollectionOrder();
    if (order.empty())
        return;
    const TableStore::Row record = m_collectionGrid->CurrentRecord();
    const int field = m_collectionGrid->CurrentField();
    if (!m_doc.Table().ReorderRecords(order))
        return;
    // A step, not a bare mark: the steps before it name records by their places.
    m_doc.RecordStep(std::make_unique<RecordsReorderedStep>("並べ替え", order));
    // The current cell stays on its record, which now has the number of its place in the view.
    TableStore::Row now = record;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (static_cast<TableStore::Row>(order[i]) == record)
            now = static_cast<TableStore::Row>(i);
    if (record >= 0)
        m_collectionGrid->SetCurrentCell(now, field >= 0 ? field : TableStore::kName);
}

} // namespace lh
