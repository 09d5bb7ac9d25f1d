#include "app/CollectionModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace lh;

TEST(CollectionModel, passesTheModelTesterThroughEveryKindOfChange) {
    TableStore store;
    CollectionModel model(store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    store.AppendRecord("a", "http://a", "", "");
    store.AppendRecord("b", "http://b", "", "");
    store.SetCell(store.EntryRow(), 1, "typed");
    store.AppendRow();
    store.InsertRowShift(1);
    store.DeleteRowShift(2);
    store.SetCell(1, 4, "remark");
    TableStore loaded;
    loaded.AppendRecord("x", "http://x", "", "");
    store.Swap(loaded);
    store.Clear();
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(CollectionModel, showsTheStoreWithoutCopyingIt) {
    TableStore store;
    store.AppendRecord("\x96\xBC\x91\x4F", "http://a", "2024/01/02 03:04:05", "");
    CollectionModel model(store);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("名前"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("http://a"));
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));

    // A change made directly in the store is what the model shows next.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    store.SetCell(1, 2, "http://b");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("http://b"));
}

TEST(CollectionModel, brokenBytes_showAsReplacementAndNeverCrash) {
    TableStore store;
    store.AppendRecord("ok\x81", "\xFF\xFE", "", "");
    CollectionModel model(store);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("ok\xEF\xBF\xBD"));
    EXPECT_FALSE(model.data(model.index(0, 1)).toString().isEmpty());
}

TEST(CollectionModel, setData_storesCp932AndRefusesWhatCp932CannotHold) {
    TableStore store;
    store.AppendRecord("keep", "", "", "");
    CollectionModel model(store);
    EXPECT_TRUE(model.setData(model.index(0, 3), QString::fromUtf8("備考")));
    EXPECT_EQ(store.Cell(1, 4), "\x94\xF5\x8D\x6C");

    EXPECT_FALSE(model.setData(model.index(0, 0), QString::fromUtf8("emoji \xF0\x9F\x98\x80")));
    EXPECT_FALSE(model.setData(model.index(0, 0), QString::fromUtf8("한국어")));
    EXPECT_EQ(store.Cell(1, 1), "keep");
}
