#include "CollectionSnapshot.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/CellTextsStep.h"
#include "core/DroppedLinks.h"
#include "core/ExchangeCommands.h"
#include "core/FileCommands.h"
#include "core/RecordCommands.h"
#include "core/ScanCommands.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>

using namespace lh;
using lh::test::TempDir;

namespace {

constexpr int kName = TableStore::kName;
constexpr int kAddress = TableStore::kAddress;
constexpr int kRemark = TableStore::kRemark;

using test::CollectionTexts;
using test::Snapshot;

// A clean new document holding three records.
void FillClean(Document& doc) {
    doc.Table().AppendRecord("Alpha", "http://a.example/", "2024/01/02 03:04", "first");
    doc.Table().AppendRecord("Beta", "mailto:b@example.com", "", "");
    doc.Table().AppendRecord("", "http://c.example/", "", "third");
    doc.ResetState({});
}

struct StepCase {
    const char* name;
    const char* stepName;
    std::function<void(Document&, test::ScriptedMessageBox&, const std::string& dir)> run;
};

class StepKinds : public ::testing::TestWithParam<StepCase> {};

} // namespace

// Each kind of change: undo gives back exactly the collection before it, redo exactly the one
// after it, and the mark follows (the document starts clean).
TEST_P(StepKinds, undoRestoresTheCollectionBeforeAndRedoTheOneAfter) {
    const StepCase& c = GetParam();
    TempDir dir;
    Document doc;
    FillClean(doc);
    test::ScriptedMessageBox boxes;
    const CollectionTexts before = Snapshot(doc.Table());

    c.run(doc, boxes, dir.File(""));
    const CollectionTexts after = Snapshot(doc.Table());
    ASSERT_NE(after, before);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.Edits().UndoName(), c.stepName);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Snapshot(doc.Table()), before);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_FALSE(doc.Edits().CanUndo());
        EXPECT_EQ(doc.Edits().RedoName(), c.stepName);
        // The duplicate test sees the records the table holds now.
        for (const auto& row : before)
            EXPECT_TRUE(doc.Table().HoldsAddress(row[1], TableStore::AddressHash(row[1])));

        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Snapshot(doc.Table()), after);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_FALSE(doc.Edits().CanRedo());
    }
}

INSTANTIATE_TEST_SUITE_P(
    EditHistory, StepKinds,
    ::testing::Values(
        StepCase{"cellEdit", kCellEditStepName,
                 [](Document& d, auto&, auto&) { CommitCellText(d, 1, kName, "Gamma"); }},
        StepCase{"entryRow", kCellEditStepName,
                 [](Document& d, auto&, auto&) { CommitCellText(d, 3, kRemark, "typed"); }},
        StepCase{"clearCells", kClearCellsStepName,
                 [](Document& d, auto&, auto&) {
                     ClearCells(d, {{0, kName}, {0, kRemark}, {1, kRemark}, {2, kAddress}});
                 }},
        StepCase{"insert", kInsertRecordStepName,
                 [](Document& d, auto&, auto&) { InsertRecord(d, 1); }},
        StepCase{"delete", kDeleteRecordStepName,
                 [](Document& d, test::ScriptedMessageBox& boxes, auto&) {
                     boxes.Answer(Answer::Yes);
                     DeleteRecord(d, 0, boxes);
                 }},
        StepCase{"urlScan", kUrlScanStepName,
                 [](Document& d, auto&, const std::string& dir) {
                     const std::string file = dir + "page.htm";
                     test::WriteFileBytes(file, "http://A.example/ http://new.example/x\r\n"
                                                "http://new.example/x http://more.example/\r\n");
                     NullProgress none;
                     ScanFileIntoDocument(AddressKind::Url, file, d, none);
                 }},
        StepCase{"emailScan", kEmailScanStepName,
                 [](Document& d, auto&, const std::string& dir) {
                     const std::string file = dir + "mail.txt";
                     test::WriteFileBytes(file, "B@example.com c@example.com\r\n");
                     NullProgress none;
                     ScanFileIntoDocument(AddressKind::Email, file, d, none);
                 }},
        StepCase{"import", kImportStepName,
                 [](Document& d, auto&, auto&) {
                     TableStore incoming;
                     incoming.AppendRecord("n1", "http://a.example/", "", "");
                     incoming.AppendRecord("n2", "http://imported.example/", "2020/01/01", "r");
                     ImportRecords(d, std::move(incoming), false);
                 }},
        StepCase{"droppedLink", kDropStepName,
                 [](Document& d, auto&, auto&) {
                     AddDroppedLink(d, {"http://dropped.example/", "Dropped"});
                 }},
        StepCase{"dropOfAFileAndLinks", kDropStepName,
                 [](Document& d, auto&, const std::string& dir) {
                     const std::string file = dir + "dropped.txt";
                     test::WriteFileBytes(file, "http://in-file.example/\r\n");
                     NullProgress none;
                     d.BeginStepGroup(kDropStepName);
                     ScanFileIntoDocument(AddressKind::Url, file, d, none);
                     AddDroppedLink(d, {"http://one.example/", ""});
                     AddDroppedLink(d, {"http://two.example/", "Two"});
                     d.EndStepGroup();
                 }}),
    [](const ::testing::TestParamInfo<StepCase>& param) { return std::string(param.param.name); });

TEST(EditHistory, stepsAreUndoneInReverseOrderAndRedoneInOrder) {
    Document doc;
    FillClean(doc);
    test::ScriptedMessageBox boxes;
    std::vector<CollectionTexts> states{Snapshot(doc.Table())};
    CommitCellText(doc, 0, kName, "one");
    states.push_back(Snapshot(doc.Table()));
    InsertRecord(doc, 0);
    states.push_back(Snapshot(doc.Table()));
    CommitCellText(doc, 0, kAddress, "http://typed.example/");
    states.push_back(Snapshot(doc.Table()));
    boxes.Answer(Answer::Yes);
    DeleteRecord(doc, 2, boxes);
    states.push_back(Snapshot(doc.Table()));
    ClearCells(doc, {{0, kAddress}, {1, kName}});
    states.push_back(Snapshot(doc.Table()));

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Snapshot(doc.Table()), states[i - 1]) << "undo to " << i - 1;
    }
    EXPECT_FALSE(doc.Undo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Snapshot(doc.Table()), states[i]) << "redo to " << i;
    }
    EXPECT_FALSE(doc.Redo());
}

TEST(EditHistory, nothingChangedRecordsNoStep) {
    Document doc;
    FillClean(doc);
    test::ScriptedMessageBox boxes;
    EXPECT_FALSE(CommitCellText(doc, 3, kName, "")); // empty text in the entry row
    EXPECT_EQ(ClearCells(doc, {{1, kRemark}, {3, kName}, {-1, 0}, {0, 9}}), 0u);
    boxes.Answer(Answer::No);
    EXPECT_FALSE(DeleteRecord(doc, 0, boxes));
    EXPECT_FALSE(InsertRecord(doc, 3));
    TempDir dir;
    const std::string file = dir.File("old.txt");
    test::WriteFileBytes(file, "http://a.example/\r\n");
    NullProgress none;
    ScanFileIntoDocument(AddressKind::Url, file, doc, none);
    EXPECT_FALSE(doc.Edits().CanUndo());
    EXPECT_FALSE(doc.IsModified());
}

TEST(EditHistory, aTableChangedBehindTheHistoryIsNotUndoneButStaysModified) {
    Document doc;
    FillClean(doc);
    InsertRecord(doc, 0);
    doc.Table().RemoveRecord(3); // outside any command
    const CollectionTexts now = Snapshot(doc.Table());
    EXPECT_FALSE(doc.Undo());
    EXPECT_EQ(Snapshot(doc.Table()), now);
    EXPECT_FALSE(doc.Edits().CanUndo());
    EXPECT_TRUE(doc.IsModified());
}

TEST(EditHistory, onlyTheNewestStepsAreKeptAndTheCleanStateGoesWithTheOldest) {
    EditHistory history(3);
    TableStore table;
    table.AppendRecord("", "", "", "");
    history.MarkClean();
    for (int i = 0; i < 5; ++i) {
        table.SetText(0, kName, std::to_string(i));
        history.Add(std::make_unique<CellTextsStep>(
                        "edit",
                        std::vector<CellTextsStep::Change>{
                            {0, kName, i ? std::to_string(i - 1) : "", std::to_string(i)}}),
                    table);
    }
    EXPECT_EQ(history.StepCount(), 3u);
    int undone = 0;
    while (history.Undo(table))
        ++undone;
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(table.Text(0, kName), "1");
    // The saved state was among the steps forgotten: no undo reaches it.
    EXPECT_FALSE(history.IsClean());
}

TEST(EditHistory, groupsBecomeOneStepAndAnEmptyGroupNone) {
    Document doc;
    FillClean(doc);
    doc.BeginStepGroup("outer");
    doc.BeginStepGroup("inner");
    doc.EndStepGroup();
    doc.EndStepGroup();
    EXPECT_FALSE(doc.Edits().CanUndo());
    EXPECT_FALSE(doc.IsModified());

    doc.BeginStepGroup("outer");
    CommitCellText(doc, 0, kName, "x");
    doc.BeginStepGroup("inner");
    InsertRecord(doc, 0);
    doc.EndStepGroup();
    EXPECT_FALSE(doc.Undo()); // not while a group is open
    doc.EndStepGroup();
    EXPECT_EQ(doc.Edits().StepCount(), 1u);
    EXPECT_EQ(doc.Edits().UndoName(), "outer");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table().RecordCount(), 3);
    EXPECT_EQ(doc.Table().Text(0, kName), "Alpha");
}

TEST(EditHistory, aChangeOutsideTheHistoryKeepsTheMarkThroughUndo) {
    Document doc;
    FillClean(doc);
    CommitCellText(doc, 0, kName, "x");
    doc.MarkModified(); // the title, say
    doc.Undo();
    EXPECT_TRUE(doc.IsModified());
    doc.MarkSaved("/data/links.htm");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.Edits().CanRedo());
}

// ---- the modified mark through the file commands ----------------------------------------

namespace {

class NullView final : public DocumentView {
public:
    void ShowTable(bool) override {}
    void TableReplaced() override {}
    void UpdateReloadCommand(bool) override {}
    void HistoryChanged() override {}
};

class UndoAndFiles : public ::testing::Test {
protected:
    TempDir dir;
    Document doc;
    test::ScriptedMessageBox box;
    test::ScriptedFileChooser chooser;
    test::RecordingProgress progress;
    test::CountingBusyCursor busy;
    History history;
    NullView view;
    MainOptions options;
    FileCommands commands{doc, options, box, chooser, progress, &busy, history, view};

    void SetUp() override {
        ASSERT_TRUE(commands.OpenDocument({}, OpenMode::Normal));
        FileDialogResult target;
        target.path = dir.File("links.htm");
        chooser.AnswerSave(target);
    }
};

} // namespace

TEST_F(UndoAndFiles, theMarkFollowsTheSavedStepThroughUndoAndRedo) {
    CommitCellText(doc, 0, kAddress, "http://one.example/");
    CommitCellText(doc, 0, kName, "One");
    ASSERT_TRUE(commands.SaveDocument(false));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm]");
    // Saving keeps the history.
    EXPECT_TRUE(doc.Edits().CanUndo());

    doc.Undo();
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm]");
    doc.Redo();
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm]");
    CommitCellText(doc, 0, kRemark, "later");
    EXPECT_TRUE(doc.IsModified());
    doc.Undo();
    EXPECT_FALSE(doc.IsModified());

    // Back before the save and on with something else: the saved state is out of reach.
    doc.Undo();
    CommitCellText(doc, 0, kName, "Other");
    EXPECT_FALSE(doc.Edits().CanRedo());
    doc.Undo();
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(UndoAndFiles, aLoadOrANewCollectionForgetsTheSteps) {
    CommitCellText(doc, 0, kAddress, "http://one.example/");
    ASSERT_TRUE(commands.SaveDocument(false));
    const std::string saved = doc.CurrentFile();
    ASSERT_TRUE(commands.OpenDocument({}, OpenMode::Normal));
    EXPECT_FALSE(doc.Edits().CanUndo());

    CommitCellText(doc, 0, kAddress, "http://two.example/");
    box.Answer(Answer::No); // give the change up
    ASSERT_TRUE(commands.OpenDocument(saved, OpenMode::Normal));
    EXPECT_FALSE(doc.Edits().CanUndo());
    EXPECT_FALSE(doc.Edits().CanRedo());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Table().Text(0, kAddress), "http://one.example/");
}
