#include "StartedWindowTest.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/CollectionViewProxy.h"
#include "app/FindBar.h"
#include "app/MainWindow.h"
#include "core/RecordCommands.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace lh;

namespace {

// A started window on the screen with a few records and scripted message boxes.
class FindAndSort : public test::StartedWindowTest<> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartedWindowTest::SetUp());
        for (const char* a : {"http://beta", "http://alpha", "http://gamma", "http://alpine"})
            w->Doc().Table().AppendRecord("", a, "", "");
        w->Doc().ResetState("");
        w->Grid()->setFocus();
        w->GridEditing().SetCurrentCell(0, TableStore::kAddress);
    }

    QLineEdit* Query() const {
        return w->Finder()->findChild<QLineEdit*>(QStringLiteral("findQuery"));
    }
    QString Count() const {
        return w->Finder()->findChild<QLabel*>(QStringLiteral("findCount"))->text();
    }
    int Rows() const { return w->Grid()->model()->rowCount(); }
    TableStore::Row Current() const { return w->GridEditing().CurrentRecord(); }

    void ClickHeading(int field) {
        QHeaderView* headings = w->Grid()->horizontalHeader();
        const QPoint at(headings->sectionViewportPosition(field) + 5, headings->height() / 2);
        QTest::mouseClick(headings->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
};

} // namespace

TEST_F(FindAndSort, ctrlF_typing_filtersAsYouTypeAndEscShowsAllAgain) {
    QTest::keyClick(w->Grid(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(w->Finder()->isVisible());
    ASSERT_TRUE(Query()->hasFocus());
    QTest::keyClicks(Query(), QStringLiteral("ALP"));
    EXPECT_EQ(Rows(), 3); // alpha, alpine, the entry row
    EXPECT_EQ(Count(), QString::fromUtf8("2 / 4 件"));
    EXPECT_EQ(w->Grid()->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("4"));
    QTest::keyClick(Query(), Qt::Key_I);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Current(), 3) << "the current cell goes to the first match";

    // The commands act on the record shown.
    boxes.Answer(Answer::Yes);
    w->Actions().deleteRecord->trigger();
    EXPECT_EQ(w->Doc().Table().RecordCount(), 3);
    EXPECT_EQ(w->Doc().Table().Text(2, TableStore::kAddress), "http://gamma");

    QTest::keyClick(Query(), Qt::Key_Escape);
    EXPECT_FALSE(w->Finder()->isVisible());
    EXPECT_EQ(Rows(), 4);
    EXPECT_FALSE(w->Finder()->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(FindAndSort, escInTheFindBar_closesTheBarNotTheWindowEvenWithEscToClose) {
    w->Options().escToClose = true;
    QTest::keyClick(w->Grid(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Query(), QStringLiteral("gamma"));
    QTest::keyClick(Query(), Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->Finder()->isVisible());
    EXPECT_EQ(Rows(), 5);
}

TEST_F(FindAndSort, f3_stepsThroughTheMatchesWhenTheFilterIsOff) {
    QTest::keyClick(w->Grid(), Qt::Key_F, Qt::ControlModifier);
    w->Finder()->findChild<QAction*>(QStringLiteral("findOnlyMatches"))->setChecked(false);
    QTest::keyClicks(Query(), QStringLiteral("alp"));
    EXPECT_EQ(Rows(), 5);
    EXPECT_EQ(Count(), QString::fromUtf8("2 / 4 件"));
    QTest::keyClick(Query(), Qt::Key_F3);
    EXPECT_EQ(Current(), 1);
    QTest::keyClick(w->Grid(), Qt::Key_F3);
    EXPECT_EQ(Current(), 3);
    QTest::keyClick(w->Grid(), Qt::Key_F3);
    EXPECT_EQ(Current(), 1) << "round past the end";
    QTest::keyClick(w->Grid(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Current(), 3);

    // Filtered again, the close button shows every record and the current one stays.
    w->Finder()->findChild<QAction*>(QStringLiteral("findOnlyMatches"))->setChecked(true);
    EXPECT_EQ(Rows(), 3);
    QTest::mouseClick(w->Finder()->findChild<QToolButton*>(QStringLiteral("findClose")),
                      Qt::LeftButton);
    EXPECT_FALSE(w->Finder()->isVisible());
    EXPECT_EQ(Rows(), 5);
    EXPECT_EQ(Current(), 3);
}

TEST_F(FindAndSort, headingClicks_sortAscendingDescendingThenCollectionOrder) {
    QHeaderView* headings = w->Grid()->horizontalHeader();
    const auto firstShown = [this] {
        return w->Grid()->model()->index(0, TableStore::kAddress).data().toString();
    };
    ClickHeading(TableStore::kAddress);
    EXPECT_EQ(firstShown(), QStringLiteral("http://alpha"));
    EXPECT_EQ(headings->sortIndicatorSection(), TableStore::kAddress);
    EXPECT_EQ(headings->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(Current(), 0) << "the current cell stays on its record";
    ClickHeading(TableStore::kAddress);
    EXPECT_EQ(firstShown(), QStringLiteral("http://gamma"));
    EXPECT_EQ(headings->sortIndicatorOrder(), Qt::DescendingOrder);
    ClickHeading(TableStore::kAddress);
    EXPECT_EQ(firstShown(), QStringLiteral("http://beta"));
    EXPECT_EQ(headings->sortIndicatorSection(), -1);
    EXPECT_FALSE(w->Doc().IsModified()) << "sorting the view changes nothing";
    EXPECT_FALSE(w->Actions().applyViewOrder->isEnabled());
}

TEST_F(FindAndSort, applyViewOrder_makesTheShownOrderTheCollectionsAndMarksIt) {
    ClickHeading(TableStore::kAddress);
    ASSERT_TRUE(w->Actions().applyViewOrder->isEnabled());
    w->Actions().applyViewOrder->trigger();
    const TableStore& t = w->Doc().Table();
    EXPECT_EQ(t.Text(0, TableStore::kAddress), "http://alpha");
    EXPECT_EQ(t.Text(1, TableStore::kAddress), "http://alpine");
    EXPECT_EQ(t.Text(2, TableStore::kAddress), "http://beta");
    EXPECT_EQ(t.Text(3, TableStore::kAddress), "http://gamma");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(w->Grid()->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(Current(), 2) << "still on http://beta";
    EXPECT_TRUE(t.AddressInTable("HTTP://GAMMA"));
}

// Steps recorded before the reorder name records by their places, so the reorder must be a step
// of its own: undoing it first puts every record back where those steps expect it.
TEST_F(FindAndSort, applyViewOrder_isOneStepThatUndoAndRedoFollow) {
    TableStore& t = w->Doc().Table();
    const auto addresses = [&t] {
        std::vector<std::string> out;
        for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
            out.emplace_back(t.Text(r, TableStore::kAddress));
        return out;
    };
    ASSERT_TRUE(InsertRecord(w->Doc(), 0)); // an earlier step, naming record 0
    const std::vector<std::string> before = addresses();
    ClickHeading(TableStore::kAddress);
    w->Actions().applyViewOrder->trigger();
    const std::vector<std::string> sorted = addresses();
    ASSERT_NE(sorted, before);

    ASSERT_TRUE(w->Doc().Undo());
    EXPECT_EQ(addresses(), before);
    ASSERT_TRUE(w->Doc().Redo());
    EXPECT_EQ(addresses(), sorted);
    ASSERT_TRUE(w->Doc().Undo());
    ASSERT_TRUE(w->Doc().Undo()); // the insert: the empty record at place 0 goes
    EXPECT_EQ(addresses(), std::vector<std::string>(before.begin() + 1, before.end()));
    EXPECT_FALSE(w->Doc().IsModified());
}

TEST(FindBarText, countGroupsThousands) {
    EXPECT_EQ(FindBar::CountText(123, 45678), QString::fromUtf8("123 / 45,678 件"));
    EXPECT_EQ(FindBar::CountText(0, 1000000), QString::fromUtf8("0 / 1,000,000 件"));
}
