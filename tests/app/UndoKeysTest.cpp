#include "StartedWindowTest.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/MainWindow.h"
#include "core/TableLayout.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

constexpr int kName = TableStore::kName;
constexpr int kAddress = TableStore::kAddress;
constexpr int kRemark = TableStore::kRemark;

// A started window on the screen holding three records, clean, with the grid focused.
class UndoKeys : public test::StartedWindowTest<> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartedWindowTest::SetUp());
        for (const char* a : {"http://a/", "http://b/", "http://c/"})
            w->Doc().Table().AppendRecord("name", a, "", "remark");
        w->Doc().ResetState("");
        w->Grid()->setFocus();
    }

    void Select(TableStore::Row record, int field) {
        const QModelIndex index = w->GridEditing().ViewIndexOf(record, field);
        w->Grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    void AlsoSelect(TableStore::Row record, int field) {
        w->Grid()->selectionModel()->select(w->GridEditing().ViewIndexOf(record, field),
                                            QItemSelectionModel::Select);
    }

    // Types into the current cell and closes the editor with Enter.
    void TypeIntoCell(const QString& text) {
        w->Grid()->edit(w->Grid()->currentIndex());
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    std::string Text(TableStore::Row record, int field) const {
        return std::string(w->Doc().Table().Text(record, field));
    }
    bool Marked() const { return w->windowTitle().startsWith(QLatin1Char('*')); }
};

} // namespace

TEST_F(UndoKeys, ctrlZUndoesAnEditorSessionAndCtrlYOrCtrlShiftZRedoesIt) {
    Select(1, kName);
    TypeIntoCell(QStringLiteral("typed"));
    ASSERT_EQ(Text(1, kName), "typed");
    ASSERT_TRUE(Marked());
    const MainActions& a = w->Actions();
    EXPECT_EQ(a.undo->text(), QStringLiteral("元に戻す(&Z) - セルの編集"));
    EXPECT_TRUE(a.undo->isEnabled());
    EXPECT_FALSE(a.redo->isEnabled());

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(1, kName), "name");
    EXPECT_FALSE(Marked());
    EXPECT_EQ(a.redo->text(), QStringLiteral("やり直し(&Y) - セルの編集"));
    EXPECT_FALSE(a.undo->isEnabled());

    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(1, kName), "typed");
    EXPECT_TRUE(Marked());
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(1, kName), "typed");
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 1) << "the cell the step changed is shown";
}

TEST_F(UndoKeys, deleteClearsTheSelectedCellsAsOneStep) {
    Select(0, kName);
    AlsoSelect(0, kRemark);
    AlsoSelect(2, kAddress);
    AlsoSelect(3, kAddress); // the entry row has nothing to clear
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(0, kName), "");
    EXPECT_EQ(Text(0, kRemark), "");
    EXPECT_EQ(Text(2, kAddress), "");
    EXPECT_EQ(Text(1, kName), "name") << "cells not selected keep their text";
    EXPECT_EQ(w->Doc().Table().RecordCount(), 3);
    EXPECT_TRUE(Marked());
    EXPECT_EQ(w->Actions().undo->text(), QStringLiteral("元に戻す(&Z) - セルの消去"));

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(0, kName), "name");
    EXPECT_EQ(Text(0, kRemark), "remark");
    EXPECT_EQ(Text(2, kAddress), "http://c/");
    EXPECT_FALSE(Marked());
}

TEST_F(UndoKeys, insideTheCellEditorDeleteAndCtrlZWorkOnTheTypedText) {
    Select(0, kRemark);
    w->Grid()->edit(w->Grid()->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    Press(Qt::Key_Delete);
    EXPECT_EQ(editor->text(), QStringLiteral("emark"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), QStringLiteral("remark"));
    EXPECT_EQ(Text(0, kRemark), "remark");
    EXPECT_FALSE(w->Doc().Edits().CanUndo());
}

TEST_F(UndoKeys, theMenuCommandStoresAnOpenEditFirstAndUndoesIt) {
    Select(0, kName);
    TypeIntoCell(QStringLiteral("earlier"));
    Select(2, kAddress);
    w->Grid()->edit(w->Grid()->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("x"));
    w->Actions().undo->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Text(2, kAddress), "http://c/");
    EXPECT_EQ(QApplication::focusWidget(), w->Grid()) << "the editor is closed";
    EXPECT_EQ(Text(0, kName), "earlier") << "only the step of the open edit is undone";
    EXPECT_TRUE(w->Doc().Edits().CanRedo());
    EXPECT_TRUE(Marked());
}

TEST_F(UndoKeys, positionPanelFollowsTheCellWhenRowsAboveItComeOrGo) {
    Select(3, kRemark); // the entry row
    QApplication::processEvents();
    EXPECT_EQ(w->PositionPanel()->text().toStdString(), CellPositionText(4, 4));
    w->Doc().Table().RemoveRecord(0);
    QApplication::processEvents();
    EXPECT_EQ(w->PositionPanel()->text().toStdString(), CellPositionText(3, 4));
    w->Doc().Table().InsertEmptyRecord(0);
    QApplication::processEvents();
    EXPECT_EQ(w->PositionPanel()->text().toStdString(), CellPositionText(4, 4));
}
