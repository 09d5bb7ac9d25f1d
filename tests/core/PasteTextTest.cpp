#include "ScriptedUi.h"
#include "core/PastedRecords.h"
#include "core/RecordCommands.h"
#include "core/TabText.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;

namespace {

using Rows = std::vector<TabRow>;

struct ParseCase {
    const char* what;
    std::string text;
    Rows rows;
};

std::vector<std::array<std::string, 4>> Records(const Document& doc) {
    std::vector<std::array<std::string, 4>> out;
    const TableStore& t = doc.Table();
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        out.push_back({std::string(t.Text(r, 0)), std::string(t.Text(r, 1)),
                       std::string(t.Text(r, 2)), std::string(t.Text(r, 3))});
    return out;
}

Document DocumentWith(int records) {
    Document doc;
    for (int i = 0; i < records; ++i) {
        const std::string n = std::to_string(i);
        doc.Table().AppendRecord("name" + n, "http://h/" + n, "", "remark" + n);
    }
    doc.ResetState("");
    return doc;
}

} // namespace

TEST(TabText, parse_splitsRowsAndFieldsTheWaySpreadsheetsWriteThem) {
    const ParseCase cases[] = {
        {"nothing", "", {}},
        {"one field", "abc", {{"abc"}}},
        {"LF rows", "a\tb\nc\td", {{"a", "b"}, {"c", "d"}}},
        {"CRLF rows", "a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
        {"lone CR rows", "a\rb", {{"a"}, {"b"}}},
        {"final break adds no row", "a\n", {{"a"}}},
        {"empty line is a row", "a\n\nb", {{"a"}, {""}, {"b"}}},
        {"trailing tab", "a\t", {{"a", ""}}},
        {"quoted tab and break", "\"x\ty\"\t\"1\r\n2\"\nz", {{"x\ty", "1\r\n2"}, {"z"}}},
        {"doubled quote", "\"say \"\"hi\"\"\"", {{"say \"hi\""}}},
        {"quote inside a field is text", "a\"b\tc", {{"a\"b", "c"}}},
        {"text after the closing quote", "\"ab\"cd\te", {{"abcd", "e"}}},
        {"unclosed quote stands for itself", "\"ab\tc\nd", {{"\"ab", "c"}, {"d"}}},
        {"cp932 bytes pass", "\x83\x5c\t\x95\x5c", {{"\x83\x5c", "\x95\x5c"}}},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(ParseTabText(c.text), c.rows) << c.what;
}

TEST(TabText, formatThenParse_givesTheRowsBack) {
    const Rows rows = {
        {"plain", "with\ttab", "two\nlines"}, {"\"quoted\"", "in\"side", ""}, {"", "", "cr\rlf"}};
    const std::string text = FormatTabText(rows);
    EXPECT_EQ(text, "plain\t\"with\ttab\"\t\"two\nlines\"\n"
                    "\"\"\"quoted\"\"\"\tin\"side\t\n"
                    "\t\t\"cr\rlf\"");
    EXPECT_EQ(ParseTabText(text), rows);
}

TEST(TabText, hugeInputWithStrayQuotes_isParsedInOnePass) {
    // Every line opens a quote that only the last line closes, and many empty lines: a
    // parser that looked ahead from each quote would not finish.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "\"a\tb\n";
    text += "x\"";
    const Rows rows = ParseTabText(text);
    ASSERT_FALSE(rows.empty());
    std::string lines(300000, '\n');
    EXPECT_EQ(ParseTabText(lines).size(), 300000u);
}

TEST(PasteRecords, rowsBecomeRecordsAsOneUndoStep) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::array<std::string, 4>> added;
    };
    const Case cases[] = {
        {"columns in grid order",
         "n\thttp://a/\t2026/12/07\tr",
         {{"n", "http://a/", "2026/12/07", "r"}}},
        {"list of addresses",
         "http://a/\r\n  https://b/x  \nuser@example.com\nmailto:x@y\n",
         {{"", "http://a/", "", ""},
          {"", "https://b/x", "", ""},
          {"", "user@example.com", "", ""},
          {"", "mailto:x@y", "", ""}}},
        {"a lone word is a name", "just a name", {{"just a name", "", "", ""}}},
        {"blank lines are skipped", "\n\t\n  \na\n", {{"a", "", "", ""}}},
        {"more fields join the remark", "n\tu\tt\tr\tmore\tx", {{"n", "u", "t", "r more x"}}},
        {"a break in a quoted field becomes a blank",
         "\"two\r\nlines\"\thttp://a/",
         {{"two lines", "http://a/", "", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc = DocumentWith(1);
        const auto before = Records(doc);
        EXPECT_EQ(PasteRecords(doc, ParseTabText(c.text)), c.added.size());
        auto expected = before;
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(Records(doc), expected);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.Edits().UndoName(), kPasteStepName);
        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Records(doc), before);
        EXPECT_FALSE(doc.IsModified());
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Records(doc), expected);
    }
}

TEST(PasteRecords, textWithNothingInIt_addsNothingAndRecordsNoStep) {
    Document doc = DocumentWith(1);
    EXPECT_EQ(PasteRecords(doc, ParseTabText("\r\n\t\n")), 0u);
    EXPECT_FALSE(doc.Edits().CanUndo());
    EXPECT_FALSE(doc.IsModified());
}

TEST(PasteRecords, looksLikeAddress) {
    const std::pair<const char*, bool> cases[] = {
        {"http://a/", true}, {"HTTPS://a", true},   {"ftp://x.y/z", true}, {"mailto:a@b", true},
        {"a@b.c", true},     {"http://", false},    {"://x", false},       {"1http://x", false},
        {"a b@c.d", false},  {"a@b", false},        {"a@@b.c", false},     {"@b.c", false},
        {"a@b.", false},     {"http://a b", false}, {"", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(LooksLikeAddress(text), expected) << text;
}

TEST(DeleteRecords, scatteredRecords_goAsOneStepAndUndoPutsEachBack) {
    Document doc = DocumentWith(8);
    const auto before = Records(doc);
    test::ScriptedMessageBox ui;
    ui.Answer(Answer::Yes);
    // Unsorted, with a repeat, the entry row and a record beyond the table.
    EXPECT_TRUE(DeleteRecords(doc, {6, 1, 2, 7, 2, 8, 42, 4}, ui));
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, DeleteRowsQuestion(5));
    const std::vector<std::array<std::string, 4>> left = {before[0], before[3], before[5]};
    EXPECT_EQ(Records(doc), left);
    EXPECT_EQ(doc.Edits().UndoName(), kDeleteRecordStepName);
    TableStore::Row where = -1;
    ASSERT_TRUE(doc.Undo(&where));
    EXPECT_EQ(Records(doc), before);
    EXPECT_EQ(where, 1) << "the topmost record deleted is shown";
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(Records(doc), left);
}

TEST(DeleteRecords, fewOrManyRuns_leaveTheSameRecordsAndUndoPutsEachBack) {
    // A few runs are taken one by one, many at once; the outcome must not tell them apart.
    for (const int every : {40, 3}) {
        SCOPED_TRACE(every);
        Document doc = DocumentWith(200);
        const auto before = Records(doc);
        std::vector<TableStore::Row> rows;
        std::vector<std::array<std::string, 4>> left;
        for (TableStore::Row r = 0; r < 200; ++r) {
            if (r % every == 1 || r % every == 2 || r == 199)
                rows.push_back(r);
            else
                left.push_back(before[static_cast<std::size_t>(r)]);
        }
        test::ScriptedMessageBox ui;
        ui.Answer(Answer::Yes);
        ASSERT_TRUE(DeleteRecords(doc, rows, ui));
        EXPECT_EQ(Records(doc), left);
        TableStore::Row where = -1;
        ASSERT_TRUE(doc.Undo(&where));
        EXPECT_EQ(Records(doc), before);
        EXPECT_EQ(where, 1);
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Records(doc), left);
        ASSERT_TRUE(doc.Undo());
        EXPECT_TRUE(doc.Table().HoldsAddress("http://h/2", TableStore::AddressHash("http://h/2")));
    }
}

TEST(DeleteRecords, answersAndSingleRecordRules) {
    {
        Document doc = DocumentWith(3);
        test::ScriptedMessageBox ui;
        ui.Answer(Answer::No);
        EXPECT_FALSE(DeleteRecords(doc, {0, 2}, ui)) << "No keeps everything";
        EXPECT_EQ(doc.Table().RecordCount(), 3);
        EXPECT_FALSE(doc.IsModified());
    }
    {
        Document doc;
        doc.Table().AppendRecord("a", "", "", "");
        doc.Table().AppendRecord("b", "", "", "");
        doc.Table().AppendRecord("c", "", "", "");
        doc.ResetState("");
        test::ScriptedMessageBox ui; // no address among them: nothing is asked
        EXPECT_TRUE(DeleteRecords(doc, {0, 1, 2}, ui));
        EXPECT_EQ(doc.Table().RecordCount(), 0);
    }
    {
        Document doc = DocumentWith(3);
        test::ScriptedMessageBox ui;
        ui.Answer(Answer::Yes);
        EXPECT_TRUE(DeleteRecords(doc, {1, 3}, ui)) << "the entry row aside, one record";
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].text, kDeleteRowQuestion);
        EXPECT_EQ(doc.Table().RecordCount(), 2);
    }
    {
        Document doc = DocumentWith(3);
        test::ScriptedMessageBox ui;
        EXPECT_FALSE(DeleteRecords(doc, {3, -1}, ui)) << "only the entry row: nothing";
        EXPECT_FALSE(doc.IsModified());
    }
}
