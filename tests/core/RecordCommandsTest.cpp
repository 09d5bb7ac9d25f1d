#include "core/RecordCommands.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <optional>

using namespace lh;

namespace {

// A new document with the given addresses as records.
Document NewDocumentWith(std::initializer_list<const char*> addresses) {
    Document doc;
    for (const char* a : addresses)
        doc.Table().AppendRecord(std::string("name ") + a, a, "", "");
    doc.SetFileCaption("");
    return doc;
}

// Types `text` into a cell the way the grid reports it: the editor is loaded, then every
// keystroke reports the text so far, then the editor closes.
void TypeInto(Document& doc, TableStore::Row row, int col, const std::string& text) {
    BeginCellEdit(doc, col, row, doc.Table().CellView(row, col));
    std::string sofar(doc.Table().CellView(row, col));
    for (char c : text) {
        sofar += c;
        CommitCellText(doc, col, row, sofar);
    }
    CommitCellText(doc, col, row, sofar);
}

std::vector<std::string> Addresses(const Document& doc) {
    std::vector<std::string> out;
    for (TableStore::Row r = 1; r <= doc.Table().RecordCount(); ++r)
        out.emplace_back(doc.Table().CellView(r, 2));
    return out;
}

} // namespace

TEST(EditText, typingIntoEntryRow_appendsExactlyOneNumberedEntryRow) {
    for (int col = 1; col <= 4; ++col) {
        Document doc = NewDocumentWith({});
        TypeInto(doc, 1, col, "abc");
        EXPECT_EQ(doc.Table().RowCount(), 3) << "column " << col;
        EXPECT_EQ(doc.Table().Cell(2, 0), "2");
        EXPECT_EQ(doc.Table().Cell(1, col), "abc");
        EXPECT_EQ(doc.Table().Cell(2, col), "");
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST(EditText, emptyTextIntoEntryRow_addsNoRowAndDeletingTypedTextLeavesEmptyRecord) {
    Document doc = NewDocumentWith({});
    BeginCellEdit(doc, 2, 1, "");
    CommitCellText(doc, 2, 1, "");
    EXPECT_EQ(doc.Table().RowCount(), 2);
    EXPECT_FALSE(doc.IsModified());

    CommitCellText(doc, 2, 1, "h");
    CommitCellText(doc, 2, 1, "");
    EXPECT_EQ(doc.Table().RowCount(), 3);
    EXPECT_EQ(doc.Table().RecordCount(), 1);
    EXPECT_EQ(doc.Table().Cell(1, 2), "");
}

TEST(EditText, leavingUnchanged_keepsCleanButChangingBack_marks) {
    Document doc = NewDocumentWith({"http://a"});
    BeginCellEdit(doc, 2, 1, "http://a");
    CommitCellText(doc, 2, 1, "http://a"); // editor closed without a change
    EXPECT_FALSE(doc.IsModified());

    BeginCellEdit(doc, 2, 1, "http://a");
    CommitCellText(doc, 2, 1, "http://ab");
    CommitCellText(doc, 2, 1, "http://a");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.Table().RowCount(), 3);
}

TEST(EditText, editedAddress_isFoundByTheDuplicateTest) {
    Document doc = NewDocumentWith({"http://old"});
    TypeInto(doc, 2, 2, "http://Typed");
    BeginCellEdit(doc, 2, 1, "http://old");
    CommitCellText(doc, 2, 1, "http://new");
    EXPECT_TRUE(doc.Table().AddressInTable("HTTP://TYPED"));
    EXPECT_TRUE(doc.Table().AddressInTable("HTTP://NEW"));
    EXPECT_FALSE(doc.Table().AddressInTable("HTTP://OLD"));
}

TEST(RecordDelete, asksOnlyForAnAddressAndHonoursTheAnswer) {
    struct Case {
        const char* name;
        TableStore::Row row;
        std::optional<Answer> answer; // none: no question expected
        std::vector<std::string> after;
        bool modified;
    };
    const Case cases[] = {
        {"yes deletes and shifts up", 2, Answer::Yes, {"http://a", "http://c"}, true},
        {"no changes nothing", 2, Answer::No, {"http://a", "http://b", "http://c"}, false},
        {"entry row does nothing", 4, {}, {"http://a", "http://b", "http://c"}, false},
        {"row 0 does nothing", 0, {}, {"http://a", "http://b", "http://c"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = NewDocumentWith({"http://a", "http://b", "http://c"});
        test::ScriptedMessageBox ui;
        if (c.answer)
            ui.Answer(*c.answer);
        DeleteRecord(doc, c.row, ui);
        EXPECT_EQ(Addresses(doc), c.after);
        EXPECT_EQ(doc.IsModified(), c.modified);
        ASSERT_EQ(ui.shown().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(ui.shown()[0].text, "この行を削除しますか？");
            EXPECT_EQ(ui.shown()[0].caption, "");
            EXPECT_EQ(ui.shown()[0].style, kConfirmStyle);
        }
    }
}

TEST(RecordDelete, recordWithoutAddress_goesWithoutQuestion) {
    Document doc = NewDocumentWith({"http://a"});
    doc.Table().SetCell(1, 2, "");
    test::ScriptedMessageBox ui; // no answers: any question throws
    EXPECT_TRUE(DeleteRecord(doc, 1, ui));
    EXPECT_EQ(doc.Table().RowCount(), 2);
    EXPECT_EQ(doc.Table().Cell(1, 0), "1");
    EXPECT_EQ(doc.Table().Cell(1, 1), "");
    EXPECT_TRUE(doc.IsModified());
}

TEST(RecordInsert, insertsEmptyRecordAboveAndNeverOnTheEntryRow) {
    Document doc = NewDocumentWith({"http://a", "http://b"});
    EXPECT_FALSE(InsertRecord(doc, 3));
    EXPECT_FALSE(doc.IsModified());

    EXPECT_TRUE(InsertRecord(doc, 1));
    EXPECT_EQ(Addresses(doc), (std::vector<std::string>{"", "http://a", "http://b"}));
    EXPECT_EQ(doc.Table().Cell(4, 0), "4");
    EXPECT_EQ(doc.Table().Cell(4, 2), "");
    EXPECT_TRUE(doc.IsModified());
}

TEST(DocumentCaption, statesReadFromTheCaption) {
    Document doc;
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows");
    doc.SetFileCaption("");
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [NewFile]");
    doc.MarkModified();
    doc.MarkModified();
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [NewFile]");

    doc.SetFileCaption("/data/links.htm", true);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.IsWriteProtected());
    doc.MarkModified();
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm] (上書禁止)");
    EXPECT_TRUE(doc.IsWriteProtected());
}
