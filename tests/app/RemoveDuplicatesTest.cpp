#include "CollectionSnapshot.h"
#include "StartedWindowTest.h"
#include "app/CollectionGrid.h"
#include "app/CollectionView.h"
#include "app/FindBar.h"
#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace lh;

namespace {

// A started window on the screen with scripted message boxes and the grid focused.
class RemoveDuplicates : public test::StartedWindowTest<> {
protected:
    void Fill(const std::vector<const char*>& addresses) {
        int n = 0;
        for (const char* a : addresses)
            w->Doc().Table().AppendRecord("n" + std::to_string(n++), a, "", "");
        w->Doc().ResetState("");
        w->Grid()->setFocus();
        w->GridEditing().SetCurrentCell(0, TableStore::kName);
    }

    test::CollectionTexts Snapshot() const { return test::Snapshot(w->Doc().Table()); }

    std::string LastMessage() const {
        return boxes.shown().empty() ? "" : boxes.shown().back().text;
    }
    bool Marked() const { return w->windowTitle().startsWith(QLatin1Char('*')); }
};

} // namespace

TEST_F(RemoveDuplicates, commandSaysHowManyWentAndCtrlZPutsThemBack) {
    Fill({"http://a/", "http://b/", "HTTP://A/", "", "http://c/", "", "http://B/"});
    const test::CollectionTexts before = Snapshot();
    const MainActions& a = w->Actions();
    EXPECT_EQ(a.removeDuplicates->text(), QStringLiteral("重複の削除(&R)"));

    boxes.Answer(Answer::Ok);
    a.removeDuplicates->trigger();
    EXPECT_EQ(LastMessage(), "2 件の重複を削除しました。");
    EXPECT_EQ(boxes.shown().back().style, kInformationStyle);
    EXPECT_EQ(w->Doc().Table().RecordCount(), 5);
    EXPECT_EQ(w->GridEditing().CurrentRecord(), 2) << "where the first duplicate stood";
    EXPECT_TRUE(Marked());
    EXPECT_EQ(a.undo->text(), QStringLiteral("元に戻す(&Z) - 重複の削除"));
    const test::CollectionTexts after = Snapshot();

    w->Grid()->setFocus();
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(Marked());
    EXPECT_EQ(w->Grid()->model()->rowCount(), 8) << "seven records and the entry row";
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Snapshot(), after);
    EXPECT_TRUE(Marked());
    EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(RemoveDuplicates, withoutDuplicatesSaysSoAndLeavesTheDocumentClean) {
    Fill({"http://a/", "", "", "http://a/x"});
    boxes.Answer(Answer::Ok);
    w->Actions().removeDuplicates->trigger();
    EXPECT_EQ(LastMessage(), "重複したアドレスのレコードはありません。");
    EXPECT_EQ(w->Doc().Table().RecordCount(), 4);
    EXPECT_FALSE(Marked());
    EXPECT_FALSE(w->Actions().undo->isEnabled());
}

// A filter shows some records; the command still looks at all of them, and says so.
TEST_F(RemoveDuplicates, underAFilterActsOnTheWholeCollectionAndSaysSo) {
    Fill({"http://keep/", "http://other/", "http://KEEP/", "http://other/"});
    Press(Qt::Key_F, Qt::ControlModifier);
    auto* query = w->Finder()->findChild<QLineEdit*>(QStringLiteral("findQuery"));
    ASSERT_NE(query, nullptr);
    QTest::keyClicks(query, QStringLiteral("keep"));
    ASSERT_EQ(w->Grid()->model()->rowCount(), 3) << "two matches and the entry row";

    boxes.Answer(Answer::Ok);
    w->Actions().removeDuplicates->trigger();
    EXPECT_EQ(LastMessage(), "2 件の重複を削除しました。\n"
                             "(絞り込み表示に関係なく、すべてのレコードを対象にしました。)");
    EXPECT_EQ(w->Doc().Table().RecordCount(), 2);
    EXPECT_EQ(w->Grid()->model()->rowCount(), 2) << "the filter still applies";
}
