#include "StartedWindowTest.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/MainWindow.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

// A started window on the screen with a new collection and scripted message boxes.
class GridEditing : public test::StartedWindowTest<> {
protected:
    void AddRecords(std::initializer_list<const char*> addresses) {
        for (const char* a : addresses)
            w->Doc().Table().AppendRecord("", a, "", "");
        w->Doc().ResetState("");
    }

    // Makes a record's field current the way a click does; the record RecordCount() is the
    // entry row.
    void Select(TableStore::Row record, int field) {
        const QModelIndex index = w->GridEditing().ViewIndexOf(record, field);
        w->Grid()->setFocus();
        w->Grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }

    QLineEdit* Editor() const {
        return qobject_cast<QLineEdit*>(w->Grid()->indexWidget(w->Grid()->currentIndex()));
    }

    // Opens the editor on the current cell the way F2 does, without changing its text.
    QLineEdit* OpenEditor() {
        w->Grid()->edit(w->Grid()->currentIndex());
        return Editor();
    }

    // Key presses that carry text, as an input method delivers characters beyond ASCII.
    static void TypeText(QLineEdit* editor, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(editor, &press);
            i += n - 1;
        }
    }

    void Close(QLineEdit* editor) {
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    std::string Text(TableStore::Row record, int field) const {
        return std::string(w->Doc().Table().Text(record, field));
    }
};

} // namespace

TEST_F(GridEditing, typingIntoEntryRow_appendsOneRecordAndANumberedEntryRow) {
    Select(0, TableStore::kAddress);
    QTest::keyClick(w->Grid(), Qt::Key_H); // the first key opens the editor and goes into it
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("ttp://x"));
    EXPECT_EQ(w->Doc().Table().RecordCount(), 0) << "the text is stored when the editor closes";
    EXPECT_FALSE(w->Doc().IsModified());
    Close(editor);
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
    EXPECT_EQ(Text(0, TableStore::kAddress), "http://x");
    EXPECT_EQ(w->Model()->rowCount(), 2);
    EXPECT_EQ(w->Model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 0) << "the cell typed into stays current";
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_TRUE(w->windowTitle().startsWith(QLatin1Char('*')));
}

// Counts what the store is told, to see how often an editor writes to it.
struct ChangeCounter : TableStore::Observer {
    int changes = 0;
    void RecordsInserted(TableStore::Row, TableStore::Row) override { ++changes; }
    void RecordsChanged(TableStore::Row, TableStore::Row) override { ++changes; }
};

TEST_F(GridEditing, anEditorSession_writesTheStoreOnceWhenItCloses) {
    AddRecords({"http://a"});
    ChangeCounter counter;
    w->Doc().Table().AddObserver(&counter);
    Select(0, TableStore::kRemark);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("a remark"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(counter.changes, 0);
    Close(editor);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(Text(0, TableStore::kRemark), "a remar");
    // A command that closes the editor first commits it once too.
    Select(0, TableStore::kName);
    editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("name"));
    w->GridEditing().FinishEditing();
    w->GridEditing().FinishEditing();
    EXPECT_EQ(counter.changes, 2);
    EXPECT_EQ(Text(0, TableStore::kName), "name");
    w->Doc().Table().RemoveObserver(&counter);
}

TEST_F(GridEditing, editorOpenedAndLeftUnchanged_keepsTheDocumentClean) {
    AddRecords({"http://a"});
    Select(0, TableStore::kAddress);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("http://a"));
    Close(editor);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
}

TEST_F(GridEditing, changingATextAndBack_marksTheDocument) {
    AddRecords({"http://a"});
    Select(0, TableStore::kAddress);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_B);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), QStringLiteral("http://a"));
    Close(editor);
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(Text(0, TableStore::kAddress), "http://a");
}

TEST_F(GridEditing, textCp932CannotHold_isRefusedAndTheCellKeepsItsText) {
    AddRecords({"http://a"});
    Select(0, TableStore::kName);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    TypeText(editor, QString::fromUtf8("日本"));
    boxes.Answer(Answer::Ok);
    TypeText(editor, QString::fromUtf8("\xF0\x9F\x98\x80")); // an emoji
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("932"), std::string::npos);
    EXPECT_NE(boxes.shown()[0].text.find("\xF0\x9F\x98\x80」（U+1F600）"), std::string::npos)
        << "names the character";
    EXPECT_EQ(editor->text(), QString::fromUtf8("日本"));
    Close(editor);
    EXPECT_EQ(Text(0, TableStore::kName), "\x93\xFA\x96\x7B"); // 日本 in cp932
}

TEST_F(GridEditing, cellWithBrokenBytes_survivesAnEditorLeftUnchanged) {
    w->Doc().Table().AppendRecord("bad\x81", "", "", "");
    Select(0, TableStore::kName);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    Close(editor);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(Text(0, TableStore::kName), "bad\x81");
}

TEST_F(GridEditing, selection_showsRowAndColumnInTheFirstPanel) {
    AddRecords({"http://a", "http://b", "http://c"});
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    0:    0"));
    Select(2, TableStore::kName);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    3:    1"));
    Select(2, TableStore::kAddress);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    3:    2"));
    QTest::keyClick(w->Grid(), Qt::Key_Tab);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    3:    3"));
}

TEST_F(GridEditing, deleteWithScriptedAnswers_keepsTheCurrentRow) {
    AddRecords({"http://a", "http://b", "http://c"});
    Select(1, TableStore::kAccess);

    boxes.Answer(Answer::No);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Text(1, TableStore::kAddress), "http://b");
    EXPECT_FALSE(w->Doc().IsModified());

    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Text(1, TableStore::kAddress), "http://c");
    EXPECT_EQ(w->Doc().Table().RecordCount(), 2);
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(w->Grid()->currentIndex(), w->GridEditing().ViewIndexOf(1, TableStore::kAccess));
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(boxes.AllAnswered());
}

TEST_F(GridEditing, deleteAndInsertOnTheEntryRow_doNothing) {
    AddRecords({"http://a"});
    Select(1, TableStore::kName);
    w->Actions().deleteRecord->trigger();
    w->Actions().insertRecord->trigger();
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(GridEditing, insert_leavesTheCurrentCellOnTheNewEmptyRecord) {
    AddRecords({"http://a", "http://b"});
    Select(1, TableStore::kAddress);
    w->Actions().insertRecord->trigger();
    EXPECT_EQ(Text(1, TableStore::kAddress), "");
    EXPECT_EQ(Text(2, TableStore::kAddress), "http://b");
    EXPECT_EQ(w->Grid()->currentIndex(), w->GridEditing().ViewIndexOf(1, TableStore::kAddress));
    EXPECT_EQ(w->Model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("4"));
    EXPECT_TRUE(w->Doc().IsModified());
}

TEST_F(GridEditing, deleteWhileEditing_storesTheTypedTextFirst) {
    AddRecords({"", "http://b"});
    Select(0, TableStore::kName);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("name"));
    w->Actions().deleteRecord->trigger(); // the address is empty: no question
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
    EXPECT_EQ(Text(0, TableStore::kAddress), "http://b");
    EXPECT_EQ(Text(0, TableStore::kName), "");
}

// A sort/filter proxy between the model and the view: the editor, the current cell and the
// record commands reach the record shown, not the one at the same position in the document.
TEST_F(GridEditing, throughASortingProxy_editsAndCommandsReachTheRecordShown) {
    AddRecords({"http://c", "http://a", "http://b"});
    QSortFilterProxyModel proxy;
    w->GridEditing().ShowThrough(&proxy);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::Fatal);
    proxy.sort(TableStore::kAddress); // the empty entry row first, then a, b, c

    w->GridEditing().SetCurrentCell(1, TableStore::kName); // http://a
    EXPECT_EQ(w->Grid()->currentIndex().row(), 1);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    2:    1")); // where it is shown
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("name a"));
    Close(editor);
    EXPECT_EQ(Text(1, TableStore::kName), "name a");
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 1);

    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(w->Doc().Table().RecordCount(), 2);
    EXPECT_EQ(Text(0, TableStore::kAddress), "http://c");
    EXPECT_EQ(Text(1, TableStore::kAddress), "http://b");
    EXPECT_TRUE(boxes.AllAnswered());

    // Typing into the entry row through the proxy still appends a record.
    w->GridEditing().SetCurrentCell(2, TableStore::kAddress);
    editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("http://d"));
    Close(editor);
    EXPECT_EQ(Text(2, TableStore::kAddress), "http://d");
    w->GridEditing().ShowThrough(nullptr);
}

TEST_F(GridEditing, escapeInTheEditor_cancelsTheEditAndKeepsTheOldText) {
    AddRecords({"http://a"});
    w->Doc().Table().SetText(0, TableStore::kRemark, "old");
    w->Doc().ResetState("");
    Select(0, TableStore::kRemark);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("note"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(Text(0, TableStore::kRemark), "old");
    EXPECT_EQ(w->Grid()->currentIndex().data().toString(), QStringLiteral("old"));
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_FALSE(w->Doc().Edits().CanUndo());
}
