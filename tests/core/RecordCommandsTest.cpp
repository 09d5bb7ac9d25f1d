#include "core/RecordCommands.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <optional>

using namespace lh;

namespace {

constexpr int kAddress = TableStore::kAddress;

// A new document with the given addresses as records.
Document NewDocumentWith(std::initializer_list<const char*> addresses) {
    Document doc;
    for (const char* a : addresses)
        doc.Table().AppendRecord(std::string("name ") + a, a, "", "");
    doc.ResetState("");
    return doc;
}

std::vector<std::string> Addresses(const Document& doc) {
    std::vector<std::string> out;
    for (TableStore::Row r = 0; r < doc.Table().RecordCount(); ++r)
        out.emplace_back(doc.Table().Text(r, kAddress));
    return out;
}

} // namespace

TEST(EditText, textCommittedInTheEntryRow_appendsExactlyOneRecord) {
    for (int field = 0; field < TableStore::kFieldCount; ++field) {
        Document doc = NewDocumentWith({});
        EXPECT_TRUE(CommitCellText(doc, 0, field, "abc"));
        EXPECT_EQ(doc.Table().RecordCount(), 1) << "field " << field;
        EXPECT_EQ(doc.Table().Text(0, field), "abc");
        EXPECT_TRUE(doc.IsModified());
        // The next commit there goes into the record, not into another new one.
        EXPECT_TRUE(CommitCellText(doc, 0, field, "abcd"));
        EXPECT_EQ(doc.Table().RecordCount(), 1);
    }
}

TEST(EditText, emptyTextInTheEntryRow_addsNothingButEmptyingARecordKeepsIt) {
    Document doc = NewDocumentWith({});
    EXPECT_FALSE(CommitCellText(doc, 0, kAddress, ""));
    EXPECT_EQ(doc.Table().RecordCount(), 0);
    EXPECT_FALSE(doc.IsModified());

    CommitCellText(doc, 0, kAddress, "h");
    CommitCellText(doc, 0, kAddress, "");
    EXPECT_EQ(doc.Table().RecordCount(), 1);
    EXPECT_EQ(doc.Table().Text(0, kAddress), "");
}

TEST(EditText, anEditThatCameBackToTheSameText_stillMarks) {
    Document doc = NewDocumentWith({"http://a"});
    EXPECT_TRUE(CommitCellText(doc, 0, kAddress, "http://a"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Addresses(doc), (std::vector<std::string>{"http://a"}));
}

TEST(EditText, outsideTheRecordsAndFields_changesNothing) {
    Document doc = NewDocumentWith({"http://a"});
    EXPECT_FALSE(CommitCellText(doc, 2, kAddress, "x"));
    EXPECT_FALSE(CommitCellText(doc, -1, kAddress, "x"));
    EXPECT_FALSE(CommitCellText(doc, 0, TableStore::kFieldCount, "x"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Table().RecordCount(), 1);
}

TEST(EditText, editedAddress_isFoundByTheDuplicateTest) {
    Document doc = NewDocumentWith({"http://old"});
    CommitCellText(doc, 1, kAddress, "http://Typed");
    CommitCellText(doc, 0, kAddress, "http://new");
    EXPECT_TRUE(doc.Table().AddressInTable("HTTP://TYPED"));
    EXPECT_TRUE(doc.Table().AddressInTable("HTTP://NEW"));
    EXPECT_FALSE(doc.Table().AddressInTable("HTTP://OLD"));
}

TEST(RecordDelete, asksOnlyForAnAddressAndHonoursTheAnswer) {
    struct Case {
        const char* name;
        TableStore::Row record;
        std::optional<Answer> answer; // none: no question expected
        std::vector<std::string> after;
        bool modified;
    };
    const Case cases[] = {
        {"yes deletes and moves up", 1, Answer::Yes, {"http://a", "http://c"}, true},
        {"no changes nothing", 1, Answer::No, {"http://a", "http://b", "http://c"}, false},
        {"entry row does nothing", 3, std::nullopt, {"http://a", "http://b", "http://c"}, false},
        {"no record does nothing", -1, std::nullopt, {"http://a", "http://b", "http://c"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = NewDocumentWith({"http://a", "http://b", "http://c"});
        test::ScriptedMessageBox ui;
        if (c.answer)
            ui.Answer(*c.answer);
        DeleteRecord(doc, c.record, ui);
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
    doc.Table().SetText(0, kAddress, "");
    test::ScriptedMessageBox ui; // no answers: any question throws
    EXPECT_TRUE(DeleteRecord(doc, 0, ui));
    EXPECT_EQ(doc.Table().RecordCount(), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST(RecordInsert, insertsEmptyRecordAboveAndNeverOnTheEntryRow) {
    Document doc = NewDocumentWith({"http://a", "http://b"});
    EXPECT_FALSE(InsertRecord(doc, 2));
    EXPECT_FALSE(doc.IsModified());

    EXPECT_TRUE(InsertRecord(doc, 0));
    EXPECT_EQ(Addresses(doc), (std::vector<std::string>{"", "http://a", "http://b"}));
    EXPECT_EQ(doc.Table().Text(0, TableStore::kName), "");
    EXPECT_TRUE(doc.IsModified());
}

TEST(DocumentCaption, isMadeFromTheFlags) {
    struct Case {
        const char* name;
        const char* path;
        bool writeProtected;
        bool modified;
        const char* caption;
    };
    const Case cases[] = {
        {"new", "", false, false, "Linkhive for Windows - [NewFile]"},
        {"new, modified", "", false, true, "*Linkhive for Windows - [NewFile]"},
        {"file", "/data/links.htm", false, false, "Linkhive for Windows - [links.htm]"},
        {"write-protected", "/data/links.htm", true, false,
         "Linkhive for Windows - [links.htm] (上書禁止)"},
        {"write-protected, modified", "/data/links.htm", true, true,
         "*Linkhive for Windows - [links.htm] (上書禁止)"},
        // A name that looks like a mark is only a name.
        {"name like a mark", "/data/*(上書禁止)", false, false,
         "Linkhive for Windows - [*(上書禁止)]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc;
        doc.ResetState(c.path, c.writeProtected);
        if (c.modified) {
            doc.MarkModified();
            doc.MarkModified();
        }
        EXPECT_EQ(doc.Caption(), c.caption);
        EXPECT_EQ(doc.IsModified(), c.modified);
        EXPECT_EQ(doc.IsWriteProtected(), c.writeProtected);
    }
}

TEST(DocumentCaption, beforeTheFirstDocument_isTheProgramsNameAndAResetClearsTheMark) {
    Document doc;
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows");
    doc.ResetState("/data/links.htm", true);
    doc.MarkModified();
    doc.ResetState("/data/saved.htm");
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [saved.htm]");
    EXPECT_FALSE(doc.IsWriteProtected());
}

TEST(DocumentObservers, everyObserverIsToldUntilItIsRemoved) {
    Document doc;
    std::vector<std::string> heard;
    const Document::ObserverId title =
        doc.AddStateObserver([&] { heard.push_back("title " + doc.Caption()); });
    doc.AddStateObserver([&] { heard.push_back("other " + doc.Caption()); });
    doc.ResetState("");
    doc.MarkModified();
    doc.MarkModified(); // already marked: nothing to tell
    doc.RemoveStateObserver(title);
    doc.ResetState("/x/a.htm");
    const std::vector<std::string> expected{
        "title Linkhive for Windows - [NewFile]", "other Linkhive for Windows - [NewFile]",
        "title *Linkhive for Windows - [NewFile]", "other *Linkhive for Windows - [NewFile]",
        "other Linkhive for Windows - [a.htm]"};
    EXPECT_EQ(heard, expected);
}

TEST(DocumentObservers, anObserverRemovedWhileOthersAreTold_isNotCalled) {
    Document doc;
    int laterCalls = 0;
    Document::ObserverId later = 0;
    doc.AddStateObserver([&] { doc.RemoveStateObserver(later); });
    later = doc.AddStateObserver([&] { ++laterCalls; });
    doc.MarkModified();
    EXPECT_EQ(laterCalls, 0);
}
