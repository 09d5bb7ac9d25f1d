#include "app/CollectionViewProxy.h"

#include "app/CollectionModel.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;

namespace {

constexpr QAbstractItemModelTester::FailureReportingMode kFatal =
    QAbstractItemModelTester::FailureReportingMode::Fatal;

// A document, its model and the view's proxy over it, all under the model tester.
struct Shown {
    explicit Shown(std::initializer_list<const char*> addresses) {
        for (const char* a : addresses)
            doc.Table().AppendRecord(std::string("n ") + a, a, "", "");
        proxy.setSourceModel(&model);
    }
    // The addresses in view order, the entry row as "".
    std::vector<std::string> Addresses() const {
        std::vector<std::string> shown;
        for (int row = 0; row < proxy.rowCount(); ++row)
            shown.push_back(proxy.index(row, TableStore::kAddress).data().toString().toStdString());
        return shown;
    }
    std::vector<std::string> Numbers() const {
        std::vector<std::string> numbers;
        for (int row = 0; row < proxy.rowCount(); ++row)
            numbers.push_back(proxy.headerData(row, Qt::Vertical).toString().toStdString());
        return numbers;
    }

    Document doc;
    CollectionModel model{doc};
    CollectionViewProxy proxy{doc.Table()};
    QAbstractItemModelTester modelTester{&model, kFatal};
    QAbstractItemModelTester proxyTester{&proxy, kFatal};
};

using Strings = std::vector<std::string>;

} // namespace

TEST(CollectionViewProxy, headingSort_ordersRowsKeepsNumbersAndTheEntryRowLast) {
    Shown s({"http://c", "http://A", "http://b"});
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder);
    EXPECT_EQ(s.Addresses(), (Strings{"http://A", "http://b", "http://c", ""}));
    EXPECT_EQ(s.Numbers(), (Strings{"2", "3", "1", "4"}));
    s.proxy.sort(TableStore::kAddress, Qt::DescendingOrder);
    EXPECT_EQ(s.Addresses(), (Strings{"http://c", "http://b", "http://A", ""}));
    s.proxy.sort(-1);
    EXPECT_EQ(s.Addresses(), (Strings{"http://c", "http://A", "http://b", ""}));
    EXPECT_FALSE(s.doc.IsModified());
}

TEST(CollectionViewProxy, accessColumn_sortsByTimeNotByText) {
    Shown s({"http://a", "http://b", "http://c"});
    TableStore& t = s.doc.Table();
    t.SetText(0, TableStore::kAccess, "2024/10/02 00:00:00");
    t.SetText(1, TableStore::kAccess, "2024/9/30 00:00:00"); // earlier, though "9" > "1"
    s.proxy.sort(TableStore::kAccess, Qt::AscendingOrder);
    EXPECT_EQ(s.Addresses(), (Strings{"http://b", "http://a", "http://c", ""}));
}

TEST(CollectionViewProxy, query_showsMatchesAloneAndCountsThem) {
    Shown s({"http://alpha", "http://beta", "http://ALPINE"});
    s.proxy.SetQuery(std::string("alp"), FindColumns{}, true);
    EXPECT_EQ(s.Addresses(), (Strings{"http://alpha", "http://ALPINE", ""}));
    EXPECT_EQ(s.Numbers(), (Strings{"1", "3", "4"}));
    EXPECT_EQ(s.proxy.MatchCount(), 2u);
    EXPECT_EQ(s.proxy.RecordCount(), 3u);
    // Narrowed, then widened again by removing characters.
    s.proxy.SetQuery(std::string("alpi"), FindColumns{}, true);
    EXPECT_EQ(s.Addresses(), (Strings{"http://ALPINE", ""}));
    s.proxy.SetQuery(std::string("a"), FindColumns{}, true);
    EXPECT_EQ(s.proxy.MatchCount(), 3u);
    // Only the chosen columns are looked in: the names hold "n http://...".
    s.proxy.SetQuery(std::string("n http"), FindColumns{false, true, true}, true);
    EXPECT_EQ(s.Addresses(), (Strings{""}));
    // A text no record can hold finds nothing.
    s.proxy.SetQuery(std::nullopt, FindColumns{}, true);
    EXPECT_EQ(s.proxy.MatchCount(), 0u);
    EXPECT_EQ(s.Addresses(), (Strings{""}));
    s.proxy.SetQuery(std::string(), FindColumns{}, true);
    EXPECT_EQ(s.Addresses().size(), 4u);
}

TEST(CollectionViewProxy, stepping_goesRoundTheMatchesInViewOrder) {
    Shown s({"http://x1", "http://y", "http://x2", "http://x3"});
    s.proxy.sort(TableStore::kAddress, Qt::DescendingOrder); // y, x3, x2, x1
    s.proxy.SetQuery(std::string("x"), FindColumns{}, false);
    EXPECT_EQ(s.proxy.rowCount(), 5) << "without the filter every record stays shown";
    EXPECT_EQ(s.proxy.MatchCount(), 3u);
    struct Step {
        int from;
        FindDirection direction;
        int to;
    };
    const Step steps[] = {
        {-1, FindDirection::Forward, 1}, {1, FindDirection::Forward, 2},
        {3, FindDirection::Forward, 1},  {1, FindDirection::Backward, 3},
        {0, FindDirection::Backward, 3}, {4, FindDirection::Backward, 3},
    };
    for (const Step& step : steps)
        EXPECT_EQ(s.proxy.NextMatchRow(step.from, step.direction), step.to) << step.from;
    s.proxy.SetQuery(std::string("none"), FindColumns{}, false);
    EXPECT_EQ(s.proxy.NextMatchRow(0, FindDirection::Forward), -1);
}

TEST(CollectionViewProxy, editsThroughTheSortedFilteredView_reachTheRecordShown) {
    Shown s({"http://c", "http://a", "http://b"});
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder);
    s.proxy.SetQuery(std::string("http"), FindColumns{}, true);
    EXPECT_TRUE(s.proxy.setData(s.proxy.index(1, TableStore::kRemark), QStringLiteral("note")));
    EXPECT_EQ(s.doc.Table().Text(2, TableStore::kRemark), "note"); // http://b
    EXPECT_EQ(s.model.RecordAt(s.proxy.index(0, 0)), 1);

    // Typed into the entry row: the new record stays in view at the end, a new entry row below.
    const int entry = s.proxy.rowCount() - 1;
    EXPECT_TRUE(s.proxy.setData(s.proxy.index(entry, TableStore::kName), QStringLiteral("typed")));
    EXPECT_EQ(s.doc.Table().RecordCount(), 4);
    EXPECT_EQ(s.proxy.rowCount(), 5);
    EXPECT_EQ(s.proxy.index(3, TableStore::kName).data().toString(), QStringLiteral("typed"));
    EXPECT_EQ(s.proxy.headerData(4, Qt::Vertical).toString(), QStringLiteral("5"));
}

TEST(CollectionViewProxy, insertsAndRemovesInTheTable_followInTheSortedView) {
    Shown s({"http://c", "http://a", "http://b", "http://d"});
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder); // a b c d
    TableStore& t = s.doc.Table();
    t.InsertEmptyRecord(1); // in front of http://a: shown above it
    EXPECT_EQ(s.Addresses(), (Strings{"", "http://a", "http://b", "http://c", "http://d", ""}));
    EXPECT_EQ(s.Numbers(), (Strings{"2", "3", "4", "1", "5", "6"}));
    t.RemoveRecord(0); // http://c
    EXPECT_EQ(s.Addresses(), (Strings{"", "http://a", "http://b", "http://d", ""}));
    t.AppendRecord("", "http://0", "", ""); // appended: at the end until the next sort
    EXPECT_EQ(s.Addresses().at(4), "http://0");
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder);
    EXPECT_EQ(s.Addresses(), (Strings{"", "http://0", "http://a", "http://b", "http://d", ""}));
    // Many scattered removals at once.
    for (int i = 0; i < 40; ++i)
        t.AppendRecord("", "http://z" + std::to_string(i), "", "");
    s.proxy.sort(TableStore::kAddress, Qt::DescendingOrder);
    while (t.RecordCount() > 3)
        t.RemoveRecord(1);
    EXPECT_EQ(s.proxy.rowCount(), 4);
}

TEST(CollectionViewProxy, newTable_showsItsOwnOrderAndKeepsTheQuery) {
    Shown s({"http://b", "http://a"});
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder);
    s.proxy.SetQuery(std::string("x"), FindColumns{}, true);
    TableStore loaded;
    loaded.AppendRecord("", "http://x2", "", "");
    loaded.AppendRecord("", "http://y", "", "");
    loaded.AppendRecord("", "http://x1", "", "");
    s.doc.Table().Swap(loaded);
    EXPECT_EQ(s.proxy.SortColumn(), -1);
    EXPECT_EQ(s.Addresses(), (Strings{"http://x2", "http://x1", ""}));
}

TEST(CollectionViewProxy, sortedCollectionOrder_isEveryRecordAsShown) {
    Shown s({"http://c", "http://a", "http://b"});
    EXPECT_TRUE(s.proxy.SortedCollectionOrder().empty());
    s.proxy.sort(TableStore::kAddress, Qt::AscendingOrder);
    EXPECT_EQ(s.proxy.SortedCollectionOrder(), (std::vector<std::size_t>{1, 2, 0}));
    s.proxy.SetQuery(std::string("c"), FindColumns{false, true, false}, true);
    EXPECT_EQ(s.proxy.SortedCollectionOrder(), (std::vector<std::size_t>{1, 2, 0}))
        << "records the filter hides keep their place";
    ASSERT_TRUE(s.doc.Table().ReorderRecords(s.proxy.SortedCollectionOrder()));
    EXPECT_EQ(s.proxy.SortColumn(), -1);
    EXPECT_EQ(s.doc.Table().Text(0, TableStore::kAddress), "http://a");
}
