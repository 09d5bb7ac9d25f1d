#include "core/ExchangeCommands.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "util/Codec.h"

#include <gtest/gtest.h>

using namespace lh;
using lh::test::TempDir;

namespace {

struct Fixture {
    Document document;
    test::ScriptedFileChooser chooser;
    test::ScriptedMessageBox messages;
    test::RecordingProgress progress;
    test::CountingBusyCursor cursor;
    int imported = 0;
    ExchangeCommands commands{document, chooser, messages,
                              progress, &cursor, [this] { ++imported; }};

    Fixture() { document.ResetState({}); }

    std::vector<std::string> Addresses() const {
        std::vector<std::string> out;
        for (TableStore::Row r = 0; r < document.Table().RecordCount(); ++r)
            out.push_back(std::string(document.Table().Text(r, TableStore::kAddress)));
        return out;
    }
};

using Strings = std::vector<std::string>;

TableStore Incoming(const Strings& addresses) {
    TableStore t;
    for (const std::string& a : addresses)
        t.AppendRecord("n", a, "", "");
    return t;
}

} // namespace

TEST(ImportRecords, skipsAddressesTheTableOrTheFileHoldsUnlessAskedToKeepThem) {
    struct Case {
        bool keep;
        Strings expected;
        std::int64_t duplicates;
    };
    const Case cases[] = {
        {false, {"http://a/", "http://b/", "", ""}, 2},
        {true, {"http://a/", "HTTP://A/", "http://b/", "http://B/", "", ""}, 0},
    };
    for (const Case& c : cases) {
        Document doc;
        doc.ResetState({});
        doc.Table().AppendRecord("", "http://a/", "", "");
        TableStore incoming = Incoming({"HTTP://A/", "http://b/", "http://B/", "", ""});
        EXPECT_EQ(CountDuplicates(doc.Table(), incoming), 2);
        const ImportOutcome outcome = ImportRecords(doc, std::move(incoming), c.keep);
        Strings got;
        for (TableStore::Row r = 0; r < doc.Table().RecordCount(); ++r)
            got.push_back(std::string(doc.Table().Text(r, TableStore::kAddress)));
        EXPECT_EQ(got, c.expected) << c.keep;
        EXPECT_EQ(outcome.duplicates, c.duplicates);
        EXPECT_EQ(outcome.added, static_cast<std::int64_t>(c.expected.size()) - 1);
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST(ImportRecords, nothingAddedLeavesTheDocumentClean) {
    Document doc;
    doc.ResetState({});
    doc.Table().AppendRecord("", "http://a/", "", "");
    const ImportOutcome outcome = ImportRecords(doc, Incoming({"http://A/"}), false);
    EXPECT_EQ(outcome.added, 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST(ImportRecords, isOneStepThatUndoTakesBackWholeAndRedoPutsBack) {
    Document doc;
    doc.ResetState({});
    doc.Table().AppendRecord("", "http://a/", "", "");
    const auto addresses = [&] {
        Strings got;
        for (TableStore::Row r = 0; r < doc.Table().RecordCount(); ++r)
            got.push_back(std::string(doc.Table().Text(r, TableStore::kAddress)));
        return got;
    };
    const auto holds = [&](std::string_view a) {
        return doc.Table().HoldsAddress(a, TableStore::AddressHash(a));
    };
    const ImportOutcome outcome =
        ImportRecords(doc, Incoming({"http://b/", "HTTP://A/", "http://B/", "http://c/"}), false);
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.duplicates, 2);
    EXPECT_EQ(addresses(), (Strings{"http://a/", "http://b/", "http://c/"}));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(addresses(), (Strings{"http://a/"}));
    EXPECT_FALSE(holds("http://b/"));
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(addresses(), (Strings{"http://a/", "http://b/", "http://c/"}));
    EXPECT_TRUE(holds("http://C/"));
}

TEST(ImportRecords, theDuplicatesCountedBeforehandAreThoseTheImportHoldsBack) {
    const Strings cases[] = {
        {},
        {"", "", "http://b/"},
        {"http://b/", "HTTP://B/", "http://b/", "http://A/"},
        // Double-byte characters whose second bytes differ only where letter case would.
        {"\x83\x61", "\x83\x41", "\x83\x61", "x\x83\x61", "X\x83\x61"},
    };
    for (const Strings& addresses : cases) {
        Document doc;
        doc.Table().AppendRecord("", "http://a/", "", "");
        const std::int64_t counted = CountDuplicates(doc.Table(), Incoming(addresses));
        const ImportOutcome outcome = ImportRecords(doc, Incoming(addresses), false);
        EXPECT_EQ(counted, outcome.duplicates) << addresses.size();
    }
}

TEST(ImportSummary, saysEveryCountThatIsNotZero) {
    ImportOutcome o;
    o.added = 3;
    o.duplicates = 2;
    o.tally.scriptsSkipped = 1;
    o.tally.replacedCharacters = 4;
    o.tally.encodedCharacters = 5;
    EXPECT_EQ(ImportSummaryText(o, MessageLanguage::Japanese),
              "3 件のレコードを追加しました。\n"
              "重複するアドレス 2 件は追加しませんでした。\n"
              "javascript: と place: の 1 件は取り込みませんでした。\n"
              "コードページ932 にない 4 文字を「〓」に置き換えました。\n"
              "アドレスの 5 文字を %XX (UTF-8) で書きました。");
    EXPECT_EQ(ImportSummaryText(ImportOutcome{}, MessageLanguage::English), "0 record(s) added.");
}

TEST(ExchangeCommands, importAsksAboutDuplicatesAndAnswersDecide) {
    struct Case {
        Answer answer;
        Strings expected;
        bool summary;
    };
    const Case cases[] = {
        {Answer::No,
         {"http://old/", "https://www.example.co.jp/", "https://docs.example.net/a,b"},
         true},
        {Answer::Yes,
         {"http://old/", "https://www.example.co.jp/", "https://docs.example.net/a,b",
          "https://www.example.co.jp/"},
         true},
        {Answer::Cancel, {"http://old/"}, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.document.Table().AppendRecord("", "http://old/", "", "");
        f.chooser.AnswerOpen(FileDialogResult{test::DataPath("chrome-bookmarks.html"), 1, false});
        f.messages.Answer(c.answer);
        if (c.summary)
            f.messages.Answer(Answer::Ok);
        const auto outcome = f.commands.ImportWithDialog();
        EXPECT_EQ(f.Addresses(), c.expected) << static_cast<int>(c.answer);
        EXPECT_EQ(outcome.has_value(), c.summary);
        ASSERT_EQ(f.messages.shown().size(), c.summary ? 2u : 1u);
        EXPECT_NE(f.messages.shown()[0].text.find(
                      "1 件は、表にすでにあるか、ファイルの中で重なっているアドレスです"),
                  std::string::npos);
        EXPECT_EQ(f.cursor.depth, 0);
        EXPECT_EQ(f.imported, c.summary ? 1 : 0);
    }
}

TEST(ExchangeCommands, importOfABrokenFileSaysSoAndChangesNothing) {
    TempDir dir;
    test::WriteFileBytes(dir.File("list.json"), "[{\"name\": ");
    Fixture f;
    f.chooser.AnswerOpen(FileDialogResult{dir.File("list.json"), 4, false});
    f.messages.Answer(Answer::Ok);
    EXPECT_FALSE(f.commands.ImportWithDialog().has_value());
    ASSERT_EQ(f.messages.shown().size(), 1u);
    EXPECT_NE(f.messages.shown()[0].text.find("ﾌｧｲﾙの形式が正しくありません"), std::string::npos);
    EXPECT_EQ(f.document.Table().RecordCount(), 0);
    EXPECT_FALSE(f.document.IsModified());
}

TEST(ExchangeCommands, exportWritesTheChosenFormatAndTellsHowMany) {
    TempDir dir;
    Fixture f;
    f.document.Table().AppendRecord("n", "http://a/", "", "");
    f.chooser.AnswerSave(FileDialogResult{dir.File("out.json"), 3, false});
    f.messages.Answer(Answer::Ok);
    EXPECT_TRUE(f.commands.ExportWithDialog());
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.json")),
              "[\n  {\"no\": 1, \"name\": \"n\", \"address\": \"http://a/\", \"access\": \"\", "
              "\"remark\": \"\"}\n]\n");
    ASSERT_EQ(f.messages.shown().size(), 1u);
    EXPECT_NE(f.messages.shown()[0].text.find("に 1 件のレコードを書き出しました。"),
              std::string::npos);
    EXPECT_FALSE(f.document.IsModified());
}
