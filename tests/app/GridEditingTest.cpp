#include "ScriptedUi.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

// A started window on the screen with a new collection and scripted message boxes.
class GridEditing : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->DeferredStartup();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    void AddRecords(std::initializer_list<const char*> addresses) {
        for (const char* a : addresses)
            w->Doc().Table().AppendRecord("", a, "", "");
        w->Doc().SetFileCaption("");
    }

    // Makes a cell current (grid coordinates) the way a click does.
    void Select(qint64 row, int col) {
        const QModelIndex index = w->Model()->IndexAt(row, col);
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

    std::string Cell(qint64 row, int col) const {
        return std::string(w->Doc().Table().CellView(row, col));
    }

    test::ScriptedMessageBox boxes;
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(GridEditing, typingIntoEntryRow_appendsOneNumberedEntryRow) {
    Select(1, 2);
    QTest::keyClick(w->Grid(), Qt::Key_H); // the first key opens the editor and goes into it
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
    QTest::keyClicks(editor, QStringLiteral("ttp://x"));
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
    EXPECT_EQ(Cell(1, 2), "http://x"); // stored at every keystroke, before the editor closes
    EXPECT_EQ(w->Model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_TRUE(w->windowTitle().startsWith(QLatin1Char('*')));
    Close(editor);
    EXPECT_EQ(Cell(1, 2), "http://x");
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
}

TEST_F(GridEditing, editorOpenedAndLeftUnchanged_keepsTheDocumentClean) {
    AddRecords({"http://a"});
    Select(1, 2);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("http://a"));
    Close(editor);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
}

TEST_F(GridEditing, changingATextAndBack_marksTheDocument) {
    AddRecords({"http://a"});
    Select(1, 2);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_B);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), QStringLiteral("http://a"));
    Close(editor);
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(Cell(1, 2), "http://a");
}

TEST_F(GridEditing, textCp932CannotHold_isRefusedAndTheCellKeepsItsText) {
    AddRecords({"http://a"});
    Select(1, 1);
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
    EXPECT_EQ(Cell(1, 1), "\x93\xFA\x96\x7B"); // 日本 in cp932
    Close(editor);
    EXPECT_EQ(Cell(1, 1), "\x93\xFA\x96\x7B");
}

TEST_F(GridEditing, cellWithBrokenBytes_survivesAnEditorLeftUnchanged) {
    w->Doc().Table().AppendRecord("bad\x81", "", "", "");
    Select(1, 1);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    Close(editor);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(Cell(1, 1), "bad\x81");
}

TEST_F(GridEditing, selection_showsRowAndColumnInTheFirstPanel) {
    AddRecords({"http://a", "http://b", "http://c"});
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    0:    0"));
    Select(3, 2);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    3:    2"));
    QTest::keyClick(w->Grid(), Qt::Key_Tab);
    EXPECT_EQ(w->PositionPanel()->text(), QStringLiteral("    3:    3"));
}

TEST_F(GridEditing, deleteWithScriptedAnswers_keepsTheCurrentRow) {
    AddRecords({"http://a", "http://b", "http://c"});
    Select(2, 3);

    boxes.Answer(Answer::No);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Cell(2, 2), "http://b");
    EXPECT_FALSE(w->Doc().IsModified());

    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(Cell(2, 2), "http://c");
    EXPECT_EQ(w->Doc().Table().RowCount(), 4);
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(w->Grid()->currentIndex(), w->Model()->IndexAt(2, 3));
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(boxes.AllAnswered());
}

TEST_F(GridEditing, deleteAndInsertOnTheEntryRow_doNothing) {
    AddRecords({"http://a"});
    Select(2, 1);
    w->Actions().deleteRecord->trigger();
    w->Actions().insertRecord->trigger();
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(GridEditing, insert_leavesTheCurrentCellOnTheNewEmptyRecord) {
    AddRecords({"http://a", "http://b"});
    Select(2, 2);
    w->Actions().insertRecord->trigger();
    EXPECT_EQ(Cell(2, 2), "");
    EXPECT_EQ(Cell(3, 2), "http://b");
    EXPECT_EQ(w->Grid()->currentIndex(), w->Model()->IndexAt(2, 2));
    EXPECT_EQ(w->Model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("4"));
    EXPECT_TRUE(w->Doc().IsModified());
}

TEST_F(GridEditing, deleteWhileEditing_storesTheTypedTextFirst) {
    AddRecords({"", "http://b"});
    Select(1, 1);
    QLineEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("name"));
    w->Actions().deleteRecord->trigger(); // the address is empty: no question
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
    EXPECT_EQ(Cell(1, 2), "http://b");
    EXPECT_EQ(Cell(1, 1), "");
}
