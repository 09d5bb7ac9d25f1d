#include "CollectionGrid.h"
#include "CollectionView.h"
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>

namespace lh {

void MainWindow::DeleteRecord() {
    m_collectionGrid->DeleteRecord();
}

void MainWindow::InsertRecord() {
    m_collectionGrid->InsertRecord();
}

void MainWindow::CopyCells() {
    const QString text = m_collectionGrid->SelectedCellsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void MainWindow::PasteRecords() {
    m_collectionGrid->PasteText(QApplication::clipboard()->text());
}

void MainWindow::CreateClipboardCommands(QMenu* edit) {
    MainActions& a = m_actions;
    edit->addSeparator();
    // Window shortcuts, yet a line edit with the focus (a cell's editor, the find bar) claims
    // Ctrl+C and Ctrl+V for its own text first.
    a.copy = AddCommand(
        edit, {"コピー(&C)", "選択したｾﾙをﾀﾌﾞ区切りでｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰする", Qt::CTRL | Qt::Key_C},
        OpenEditor::Commit, [this] { CopyCells(); });
    a.paste =
        AddCommand(edit,
                   {"貼り付け(&P)", "ﾀﾌﾞ区切りの文字列やURLの一覧を最後の行にﾚｺｰﾄﾞとして追加する",
                    Qt::CTRL | Qt::Key_V},
                   OpenEditor::Commit, [this] { PasteRecords(); });
}

void MainWindow::CreateGridMenu() {
    MainActions& a = m_actions;
    a.gridMenu = new QMenu(this);
    a.gridMenu->setObjectName(QStringLiteral("gridMenu"));
    a.gridMenu->addAction(a.access);
    a.gridMenu->addSeparator();
    a.gridMenu->addAction(a.insertRecord);
    a.gridMenu->addAction(a.deleteRecord);
    a.gridMenu->addSeparator();
    a.gridMenu->addAction(a.copy);
    a.gridMenu->addAction(a.paste);
    a.gridMenu->addSeparator();
    a.gridMenu->addAction(a.find);
    // Over the cells and over the row headings; both report viewport positions.
    for (QAbstractScrollArea* area :
         {static_cast<QAbstractScrollArea*>(m_grid),
          static_cast<QAbstractScrollArea*>(m_grid->verticalHeader())}) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& at) {
            m_grid->FinishEditing();
            if (area == m_grid->verticalHeader())
                m_grid->ChooseRowForMenu(m_grid->verticalHeader()->logicalIndexAt(at));
            m_actions.gridMenu->popup(area->viewport()->mapToGlobal(at));
        });
    }
}

} // namespace lh
