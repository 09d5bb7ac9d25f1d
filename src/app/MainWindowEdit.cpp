#include "CollectionGrid.h"
#include "CollectionView.h"
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
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
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_grid->FinishEditing();
        m_actions.gridMenu->popup(m_grid->viewport()->mapToGlobal(at));
    });
}

} // namespace lh
