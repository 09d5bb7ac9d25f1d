#include "StartedWindowTest.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/CollectionViewProxy.h"
#include "app/FindBar.h"
#include "app/MainWindow.h"
#include "core/PastedRecords.h"
#include "core/RecordCommands.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace lh;

namespace {

constexpr int kName = TableStore::kName;
constexpr int kAddress = TableStore::kAddress;
constexpr int kRemark = TableStore::kRemark;

using Records = std::vector<std::array<std::string, 4>>;

// A started window on the screen holding six records, clean, with the grid focused.
class GridKeys : public test::StartedWindowTest<> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartedWindowTest::SetUp());
        for (const char* n : {"f", "e", "d", "c", "b", "a"})
            w->Doc().Table().AppendRecord(n, std::string("http://") + n + "/", "", "r");
        w->Doc().ResetState("");
        w->Grid()->setFocus();
        Select(0, kName);
    }

    void Select(TableStore::Row record, int field) {
        const QModelIndex index = w->GridEditing().ViewIndexOf(record, field);
        w->Grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    // A click on the heading of a view row.
    void ClickRowHeading(int viewRow, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QHeaderView* rows = w->Grid()->verticalHeader();
        const QPoint at(rows->width() / 2,
                        rows->sectionViewportPosition(viewRow) + rows->sectionSize(viewRow) / 2);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, modifiers, at);
        QApplication::processEvents();
    }
    QLineEdit* Editor() const {
        return qobject_cast<QLineEdit*>(w->Grid()->indexWidget(w->Grid()->currentIndex()));
    }
    std::string Text(TableStore::Row record, int field) const {
        return std::string(w->Doc().Table().Text(record, field));
    }
    Records All() const {
        Records out;
        const TableStore& t = w->Doc().Table();
        for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
            out.push_back({std::string(t.Text(r, 0)), std::string(t.Text(r, 1)),
                           std::string(t.Text(r, 2)), std::string(t.Text(r, 3))});
        return out;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& r : All())
            out.push_back(r[0]);
        return out;
    }
};

} // namespace

TEST_F(GridKeys, enterOpensTheEditorAndEnterInTheEditorCommits) {
    Select(1, kRemark);
    Press(Qt::Key_Return);
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr) << "Enter opens the cell editor";
    EXPECT_EQ(QApplication::focusWidget(), editor);
    EXPECT_EQ(editor->text(), QStringLiteral("r"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("typed"));
    Press(Qt::Key_Enter);
    EXPECT_EQ(Editor(), nullptr) << "Enter in the editor closes it, and opens no new one";
    EXPECT_EQ(Text(1, kRemark), "typed");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 1);
}

TEST_F(GridKeys, escCancelsTheEditEvenWithEscToCloseAndEscOutsideStillCloses) {
    w->Options().escToClose = true;
    for (const TableStore::Row record : {TableStore::Row{2}, TableStore::Row{6}}) {
        SCOPED_TRACE(record); // a record, then the entry row
        Select(record, kName);
        Press(Qt::Key_Return);
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral("changed"));
        Press(Qt::Key_Escape);
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_TRUE(w->isVisible()) << "cancelling an edit never closes the window";
        EXPECT_EQ(Text(2, kName), "d");
        EXPECT_EQ(w->Doc().Table().RecordCount(), 6);
        EXPECT_FALSE(w->Doc().IsModified());
        EXPECT_FALSE(w->Doc().Edits().CanUndo());
        EXPECT_EQ(w->Grid()->currentIndex().data().toString(),
                  QString::fromStdString(Text(record, kName)));
    }
}

TEST_F(GridKeys, deleteKeyClearsTheCellAndCtrlZPutsItBack) {
    Select(3, kAddress);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(3, kAddress), "");
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(3, kAddress), "http://c/");
    EXPECT_FALSE(w->Doc().IsModified());
}

TEST_F(GridKeys, rowHeadingsSelectRangesAndDeleteTakesThemAsOneStep) {
    const Records before = All();
    ClickRowHeading(1);
    ClickRowHeading(2, Qt::ShiftModifier);
    ClickRowHeading(4, Qt::ControlModifier);
    ClickRowHeading(6, Qt::ControlModifier); // the entry row is never deleted
    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, DeleteRowsQuestion(3));
    EXPECT_EQ(Names(), (std::vector<std::string>{"f", "c", "a"}));
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 1) << "where the topmost deleted record was";
    EXPECT_EQ(w->Actions().undo->text(), QStringLiteral("元に戻す(&Z) - ﾚｺｰﾄﾞ削除"));

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(All(), before);
    EXPECT_FALSE(w->Doc().IsModified());
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Names(), (std::vector<std::string>{"f", "c", "a"}));
}

TEST_F(GridKeys, shiftArrowsAfterARowHeadingExtendWholeRows) {
    ClickRowHeading(1);
    Press(Qt::Key_Down, Qt::ShiftModifier);
    Press(Qt::Key_Down, Qt::ShiftModifier);
    const QModelIndexList rows = w->Grid()->selectionModel()->selectedRows();
    EXPECT_EQ(rows.size(), 3);
    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Names(), (std::vector<std::string>{"f", "b", "a"}));
    // A move without Shift goes back to single cells: one record again, by its own rules.
    Press(Qt::Key_Down);
    EXPECT_EQ(w->Grid()->selectionModel()->selectedRows().size(), 0);
}

TEST_F(GridKeys, deleteInASortedFilteredView_takesTheRecordsShownAndSelected) {
    QAbstractItemModelTester tester(w->Grid()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    w->Doc().Table().SetText(2, kRemark, "hidden"); // "d" does not match the query
    const Records before = All();
    w->GridEditing().ViewOrder()->sort(kName, Qt::AscendingOrder);
    w->GridEditing().ViewOrder()->SetQuery(std::string("r"), FindColumns{false, false, true}, true);
    ASSERT_EQ(w->Grid()->model()->rowCount(), 6); // a b c e f and the entry row
    ClickRowHeading(0);                           // a
    ClickRowHeading(2, Qt::ShiftModifier);        // b, c
    ClickRowHeading(3, Qt::ControlModifier);      // e
    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Names(), (std::vector<std::string>{"f", "d"}));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(All(), before);
}

TEST_F(GridKeys, oneSelectedRowKeepsTheSingleRecordRules) {
    ClickRowHeading(2);
    boxes.Answer(Answer::No);
    w->Actions().deleteRecord->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, kDeleteRowQuestion);
    EXPECT_EQ(w->Doc().Table().RecordCount(), 6);
    EXPECT_FALSE(w->Doc().IsModified());
}

TEST_F(GridKeys, ctrlCPutsTheSelectedCellsOnTheClipboardInViewOrder) {
    w->Doc().Table().SetText(4, kRemark, "tab\there");
    w->Doc().Table().SetText(5, kName, "\x83\x65\x83\x58\x83\x67"); // テスト in code page 932
    w->GridEditing().ViewOrder()->sort(kName, Qt::AscendingOrder);
    // Sorted by name: b (record 4), c (3), ...; テスト sorts last.
    Select(4, kName);
    QItemSelectionModel* selection = w->Grid()->selectionModel();
    selection->select(w->GridEditing().ViewIndexOf(3, kRemark), QItemSelectionModel::Select);
    selection->select(w->GridEditing().ViewIndexOf(4, kRemark), QItemSelectionModel::Select);
    selection->select(w->GridEditing().ViewIndexOf(5, kName), QItemSelectionModel::Select);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("b\t\t\t\"tab\there\"\n\t\t\tr\nテスト\t\t\t"));
}

TEST_F(GridKeys, ctrlVAtTheEntryRowAddsRecordsAsOneStep) {
    const Records before = All();
    QApplication::clipboard()->setText(
        QStringLiteral("名前\thttp://new/\t\t備考\r\nhttps://list/\nuser@example.com\n"));
    Select(6, kAddress);
    Press(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(w->Doc().Table().RecordCount(), 9);
    EXPECT_EQ(Text(6, kName), "\x96\xbc\x91\x4f"); // 名前
    EXPECT_EQ(Text(6, kAddress), "http://new/");
    EXPECT_EQ(Text(7, kAddress), "https://list/");
    EXPECT_EQ(Text(8, kAddress), "user@example.com");
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 9) << "the entry row stays current";
    EXPECT_EQ(w->Actions().undo->text(), QStringLiteral("元に戻す(&Z) - 貼り付け"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(All(), before);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(GridKeys, pasteIsRefusedForUnstorableTextAndOnARecordsCell) {
    struct Case {
        const char* what;
        QString text;
        TableStore::Row record;
        std::string message;
    };
    const Case cases[] = {
        {"emoji", QStringLiteral("ok\nhttp://a/\U0001F600"), 6,
         "貼り付ける文字列の「\U0001F600」（U+1F600）は入力できません。"},
        {"record's cell", QStringLiteral("http://a/"), 2, "ﾚｺｰﾄﾞの貼り付けは最後の空の行"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QApplication::clipboard()->setText(c.text);
        Select(c.record, kName);
        boxes.Answer(Answer::Ok);
        Press(Qt::Key_V, Qt::ControlModifier);
        ASSERT_FALSE(boxes.shown().empty());
        EXPECT_EQ(boxes.shown().back().text.rfind(c.message, 0), 0u) << boxes.shown().back().text;
        EXPECT_EQ(w->Doc().Table().RecordCount(), 6);
        EXPECT_FALSE(w->Doc().IsModified());
    }
}

TEST_F(GridKeys, lineEditsKeepCtrlCAndCtrlVForTheirOwnText) {
    QApplication::clipboard()->setText(QStringLiteral("http://pasted/"));
    Select(0, kAddress);
    Press(Qt::Key_Return);
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), QStringLiteral("http://pasted/"));
    editor->setSelection(0, 4);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("http"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Text(0, kAddress), "http://pasted/");

    Press(Qt::Key_F, Qt::ControlModifier);
    auto* query = w->Finder()->findChild<QLineEdit*>(QStringLiteral("findQuery"));
    ASSERT_NE(query, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), query);
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(query->text(), QStringLiteral("http"));
    EXPECT_EQ(w->Doc().Table().RecordCount(), 6);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(GridKeys, contextMenuOffersTheGridCommands) {
    QMenu* menu = w->Actions().gridMenu;
    ASSERT_NE(menu, nullptr);
    const MainActions& a = w->Actions();
    std::vector<QAction*> commands;
    for (QAction* item : menu->actions())
        if (!item->isSeparator())
            commands.push_back(item);
    EXPECT_EQ(commands, (std::vector<QAction*>{a.access, a.insertRecord, a.deleteRecord, a.copy,
                                               a.paste, a.find}));
    EXPECT_EQ(a.copy->text(), QStringLiteral("コピー(&C)"));
    EXPECT_EQ(a.paste->text(), QStringLiteral("貼り付け(&P)"));
    EXPECT_TRUE(a.editMenu->actions().contains(a.copy));
    EXPECT_TRUE(a.editMenu->actions().contains(a.paste));

    const QRect cell = w->Grid()->visualRect(w->GridEditing().ViewIndexOf(2, kName));
    emit w->Grid()->customContextMenuRequested(cell.center());
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    // On a row heading the menu's commands act on that row, or on the rows selected with it.
    QHeaderView* rows = w->Grid()->verticalHeader();
    const auto menuOnHeading = [&](int viewRow) {
        emit rows->customContextMenuRequested(
            QPoint(rows->width() / 2, rows->sectionViewportPosition(viewRow) + 5));
        menu->hide();
    };
    menuOnHeading(4);
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 4);
    EXPECT_EQ(w->Grid()->selectionModel()->selectedRows().size(), 1);
    ClickRowHeading(1);
    ClickRowHeading(2, Qt::ShiftModifier);
    menuOnHeading(1);
    EXPECT_EQ(w->Grid()->selectionModel()->selectedRows().size(), 2);
}

TEST_F(GridKeys, ctrlAInAFilteredView_deletesEveryRecordShownAndUndoBringsAllBack) {
    // Enough scattered runs that the table announces the removal as a reset.
    for (int i = 0; i < 120; ++i)
        w->Doc().Table().AppendRecord("n" + std::to_string(i), "http://x/" + std::to_string(i), "",
                                      i % 3 == 0 ? "keep" : "gone");
    w->Doc().ResetState("");
    const Records before = All();
    QAbstractItemModelTester tester(w->Grid()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    w->GridEditing().ViewOrder()->SetQuery(std::string("gone"), FindColumns{false, false, true},
                                           true);
    Press(Qt::Key_A, Qt::ControlModifier);
    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, DeleteRowsQuestion(80));
    Records kept(before.begin(), before.begin() + 6); // the six records shown before were "r"
    for (std::size_t i = 6; i < before.size(); i += 3)
        kept.push_back(before[i]);
    EXPECT_EQ(All(), kept);
    EXPECT_EQ(w->Grid()->model()->rowCount(), 1) << "only the entry row is shown";
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(All(), before);
    EXPECT_FALSE(w->Doc().IsModified());
}
