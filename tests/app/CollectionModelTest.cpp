#include "app/CollectionModel.h"

#include "core/ExchangeCommands.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <gtest/gtest.h>

using namespace lh;

namespace {
constexpr QAbstractItemModelTester::FailureReportingMode kFatal =
    QAbstractItemModelTester::FailureReportingMode::Fatal;
} // namespace

TEST(CollectionModel, passesTheModelTesterThroughEveryKindOfChange) {
    Document doc;
    TableStore& store = doc.Table();
    CollectionModel model(doc);
    QAbstractItemModelTester tester(&model, kFatal);

    store.AppendRecord("a", "http://a", "", "");
    store.AppendRecord("b", "http://b", "", "");
    EXPECT_TRUE(model.setData(model.index(model.EntryRow(), 0), QStringLiteral("typed")));
    store.InsertEmptyRecord(0);
    store.RemoveRecord(1);
    store.InsertEmptyRecord(store.RecordCount()); // an empty record appended
    store.SetText(0, TableStore::kRemark, "remark");
    EXPECT_TRUE(model.setData(model.index(0, 0), QStringLiteral("edited")));
    TableStore loaded;
    loaded.AppendRecord("x", "http://x", "", "");
    store.Swap(loaded);
    store.Clear();
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(CollectionModel, showsTheRecordsAndAnEmptyNumberedEntryRow) {
    Document doc;
    doc.Table().AppendRecord("\x96\xBC\x91\x4F", "http://a", "2024/01/02 03:04:05", "");
    CollectionModel model(doc);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("名前"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("http://a"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QString());
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("URL/E-Mail"));
    EXPECT_EQ(model.RecordAt(model.index(1, 2)), 1);
    EXPECT_EQ(model.FieldAt(model.index(1, 2)), TableStore::kAccess);
    EXPECT_EQ(model.RecordAt(QModelIndex()), -1);

    // A change made directly in the store is what the model shows next.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    doc.Table().SetText(0, TableStore::kAddress, "http://b");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("http://b"));
}

TEST(CollectionModel, brokenBytes_showAsReplacementAndNeverCrash) {
    Document doc;
    doc.Table().AppendRecord("ok\x81", "\xFF\xFE", "", "");
    CollectionModel model(doc);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("ok\xEF\xBF\xBD"));
    EXPECT_FALSE(model.data(model.index(0, 1)).toString().isEmpty());
}

TEST(CollectionModel, setData_storesCp932AndRefusesWhatCp932CannotHoldNamingIt) {
    Document doc;
    doc.Table().AppendRecord("keep", "", "", "");
    doc.ResetState({});
    CollectionModel model(doc);
    QSignalSpy refused(&model, &CollectionModel::TextRefused);
    EXPECT_TRUE(model.setData(model.index(0, 3), QString::fromUtf8("備考")));
    EXPECT_EQ(doc.Table().Text(0, TableStore::kRemark), "\x94\xF5\x8D\x6C");
    EXPECT_TRUE(doc.IsModified());

    EXPECT_FALSE(model.setData(model.index(0, 0), QString::fromUtf8("emoji \xF0\x9F\x98\x80")));
    EXPECT_FALSE(model.setData(model.index(0, 0), QString::fromUtf8("한국어")));
    EXPECT_EQ(doc.Table().Text(0, TableStore::kName), "keep");
    ASSERT_EQ(refused.count(), 2);
    EXPECT_EQ(refused.at(0).at(0).value<char32_t>(), U'\U0001F600');
}

TEST(CollectionModel, checkRole_answersLikeAnEditButStoresNothing) {
    Document doc;
    doc.Table().AppendRecord("keep", "", "", "");
    doc.ResetState({});
    CollectionModel model(doc);
    QSignalSpy refused(&model, &CollectionModel::TextRefused);
    EXPECT_TRUE(
        model.setData(model.index(0, 0), QStringLiteral("new"), CollectionModel::kCheckTextRole));
    EXPECT_FALSE(model.setData(model.index(0, 0), QString::fromUtf8("\xF0\x9F\x98\x80"),
                               CollectionModel::kCheckTextRole));
    EXPECT_EQ(doc.Table().Text(0, TableStore::kName), "keep");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(refused.count(), 1);
}

TEST(CollectionModel, unchangedDisplayText_keepsTheCellsOwnBytes) {
    Document doc;
    doc.Table().AppendRecord("bad\x81", "", "", "");
    CollectionModel model(doc);
    // The text shows U+FFFD, which code page 932 cannot hold; given back unchanged it is no
    // refusal and the bytes stay as they were.
    const QString shown = model.data(model.index(0, 0)).toString();
    EXPECT_TRUE(model.setData(model.index(0, 0), shown));
    EXPECT_EQ(doc.Table().Text(0, TableStore::kName), "bad\x81");
}

TEST(CollectionModel, textInTheEntryRow_appendsARecordAndTheRowStaysOnIt) {
    Document doc;
    doc.Table().AppendRecord("a", "http://a", "", "");
    CollectionModel model(doc);
    const QPersistentModelIndex entry = model.index(1, 1);
    EXPECT_TRUE(model.setData(entry, QString()));
    EXPECT_EQ(doc.Table().RecordCount(), 1) << "an empty text adds nothing";
    EXPECT_TRUE(model.setData(entry, QStringLiteral("http://b")));
    EXPECT_EQ(doc.Table().RecordCount(), 2);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(entry.row(), 1) << "the index stays on the record typed there";
    EXPECT_EQ(model.data(entry).toString(), QStringLiteral("http://b"));
    EXPECT_EQ(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("3"));
}

// The model must take a sort/filter proxy between it and a view: edits through the proxy reach
// the right record, and the mapping back from the proxy's indexes is the model's own.
TEST(CollectionModel, editsThroughASortingProxy_reachTheRightRecord) {
    Document doc;
    TableStore& store = doc.Table();
    store.AppendRecord("c", "http://c", "", "");
    store.AppendRecord("a", "http://a", "", "");
    store.AppendRecord("b", "http://b", "", "");
    CollectionModel model(doc);
    QAbstractItemModelTester modelTester(&model, kFatal);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester proxyTester(&proxy, kFatal);
    proxy.sort(0, Qt::AscendingOrder);

    // Sorted by name, the empty entry row comes first: "a" is the proxy's row 1.
    const QModelIndex a = proxy.index(1, 0);
    ASSERT_EQ(proxy.data(a).toString(), QStringLiteral("a"));
    EXPECT_EQ(model.RecordAt(a), 1);
    EXPECT_EQ(model.FieldAt(proxy.index(1, 3)), TableStore::kRemark);
    EXPECT_TRUE(proxy.setData(proxy.index(1, 3), QStringLiteral("note")));
    EXPECT_EQ(store.Text(1, TableStore::kRemark), "note");

    EXPECT_FALSE(proxy.setData(a, QString::fromUtf8("\xF0\x9F\x98\x80")));
    EXPECT_EQ(store.Text(1, TableStore::kName), "a");

    // Renaming moves the record in the proxy, not in the document.
    EXPECT_TRUE(proxy.setData(a, QStringLiteral("z")));
    EXPECT_EQ(store.Text(1, TableStore::kName), "z");
    EXPECT_EQ(proxy.data(proxy.index(3, 0)).toString(), QStringLiteral("z"));

    // Typing into the entry row through the proxy appends a record; removing one goes too.
    const QModelIndex entry = proxy.mapFromSource(model.index(model.EntryRow(), 1));
    EXPECT_TRUE(proxy.setData(entry, QStringLiteral("http://new")));
    EXPECT_EQ(store.RecordCount(), 4);
    EXPECT_EQ(store.Text(3, TableStore::kAddress), "http://new");
    store.RemoveRecord(0);
    EXPECT_EQ(proxy.rowCount(), 4);
    EXPECT_TRUE(doc.IsModified());
}

TEST(CollectionModel, anImportArrivesAsOneInsertionOfTheRowsAdded) {
    Document doc;
    doc.Table().AppendRecord("a", "http://a", "", "");
    CollectionModel model(doc);
    QAbstractItemModelTester tester(&model, kFatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    TableStore incoming;
    for (const char* a : {"http://b", "HTTP://A", "http://c", "http://B"})
        incoming.AppendRecord("n", a, "", "");

    EXPECT_EQ(ImportRecords(doc, std::move(incoming), false).added, 2);
    // The entry row's place shows the first record added; the rest and the entry row are new.
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 2);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 3);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("http://b"));
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("http://c"));
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), QString());
}
