#include "core/FileCommands.h"

#include "Portable.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/CollectionFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#if LINKHIVE_POSIX_TESTS
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace lh;
namespace fs = std::filesystem;

namespace {

class RecordingView final : public DocumentView {
public:
    void ShowTable(bool visible) override { shown = visible; }
    void TableReplaced() override { ++replaced; }
    void UpdateReloadCommand(bool enabled) override { reloadEnabled = enabled; }
    void HistoryChanged() override { ++historyChanges; }

    bool shown = false;
    int replaced = 0;
    bool reloadEnabled = false;
    int historyChanges = 0;
};

class FileCommandsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    Document doc;
    test::ScriptedMessageBox box;
    test::ScriptedFileChooser chooser;
    test::RecordingProgress progress;
    test::CountingBusyCursor busy;
    History history;
    RecordingView view;
    MainOptions options;
    FileCommands commands{doc, options, box, chooser, progress, &busy, history, view};

    // A collection file with the given names (one record each) and title.
    std::string MakeCollection(const std::string& name, std::vector<std::string> names,
                               const std::string& title = "Saved") {
        TableStore t;
        for (const auto& n : names)
            t.AppendRecord(n, "http://" + n + "/", "", "");
        const std::string path = dir.File(name);
        NullProgress none;
        IoError error;
        EXPECT_TRUE(SaveCollectionFile(path, t, title, BackupKind::None, none, error));
        return path;
    }

    void Edit(const std::string& name) {
        doc.Table().AppendRecord(name, "", "", "");
        doc.MarkModified();
    }

    std::string Names() const {
        std::string s;
        for (TableStore::Row r = 0; r < doc.Table().RecordCount(); ++r)
            s += std::string(doc.Table().Text(r, TableStore::kName)) + ";";
        return s;
    }

    static FileDialogResult Picked(const std::string& path, int filter = 1, bool ro = false) {
        FileDialogResult r;
        r.path = path;
        r.filterIndex = filter;
        r.readOnlyTicked = ro;
        return r;
    }
};

} // namespace

// ---- new and the change prompt -----------------------------------------------------------

TEST_F(FileCommandsTest, newOnCleanDocumentAsksNothingAndKeepsTheTitle) {
    doc.SetDocumentTitle("Mine");
    doc.Table().AppendRecord("x", "y", "", "");
    EXPECT_TRUE(commands.OpenDocument("", OpenMode::Normal));
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [NewFile]");
    EXPECT_EQ(doc.Table().RecordCount(), 0);
    EXPECT_EQ(doc.DocumentTitle(), "Mine");
    EXPECT_EQ(doc.CurrentFile(), "");
    EXPECT_TRUE(view.shown);
    EXPECT_FALSE(view.reloadEnabled);
}

TEST_F(FileCommandsTest, changePromptAnswers) {
    const std::string file = MakeCollection("links.htm", {"a"});
    ASSERT_TRUE(commands.OpenDocument(file, OpenMode::Normal));
    Edit("typed");

    box.Answer(Answer::Cancel);
    EXPECT_FALSE(commands.OpenDocument("", OpenMode::Normal));
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "「" + file + "」は変更されています。\n保存しますか？");
    EXPECT_EQ(box.shown()[0].style, kSavePromptStyle);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Names(), "a;typed;");

    box.Answer(Answer::Yes); // saves over the file, then opens the new document
    EXPECT_TRUE(commands.OpenDocument("", OpenMode::Normal));
    EXPECT_TRUE(chooser.saveRequests.empty());
    EXPECT_NE(test::ReadFileBytes(file).find("typed"), std::string::npos);
    EXPECT_EQ(Names(), "");

    Edit("again");
    box.Answer(Answer::No);
    EXPECT_TRUE(commands.OpenDocument("", OpenMode::Normal));
    EXPECT_EQ(Names(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(box.AllAnswered());
}

TEST_F(FileCommandsTest, yesOnNewFileGoesThroughTheSaveDialogAndStopsWhenItIsCancelled) {
    commands.OpenDocument("", OpenMode::Normal);
    Edit("typed");
    box.Answer(Answer::Yes);
    chooser.AnswerSave(std::nullopt);
    EXPECT_FALSE(commands.OfferToSaveChanges());
    EXPECT_EQ(box.shown()[0].text, "「NewFile」は変更されています。\n保存しますか？");
    EXPECT_EQ(chooser.saveRequests.size(), 1u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Names(), "typed;");
}

TEST_F(FileCommandsTest, queryOnlyOnCleanDocumentReturnsAtOnce) {
    commands.OpenDocument("", OpenMode::Normal);
    EXPECT_TRUE(commands.OfferToSaveChanges());
    EXPECT_TRUE(box.shown().empty());
}

// ---- opening -----------------------------------------------------------------------------

TEST_F(FileCommandsTest, missingFileIsReportedAndChangesNothing) {
    commands.OpenDocument("", OpenMode::Normal);
    const std::string missing = dir.File("gone.htm");
    box.Answer(Answer::Ok);
    EXPECT_FALSE(commands.OpenDocument(missing, OpenMode::Normal));
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "「" + missing + "」\nファイルが見つかりません。");
    EXPECT_EQ(box.shown()[0].style, kErrorStyle);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [NewFile]");
}

TEST_F(FileCommandsTest, programFilesWarnWithNoPreselected) {
    for (const std::string name : {"tool.EXE", "tool.com", "tool.Exe", "tool.cOm"}) {
        const std::string path = MakeCollection(name, {"p"});
        box.Answer(Answer::No);
        EXPECT_FALSE(commands.OpenDocument(path, OpenMode::Normal)) << name;
        EXPECT_EQ(box.shown().back().text,
                  "「" + path + "」\nプログラムの可能性があります。\n開きますか？");
        EXPECT_EQ(box.shown().back().style, kProgramWarningStyle);
        EXPECT_EQ(doc.CurrentFile(), "");
    }
    const std::string inner = MakeCollection("tool.exe.htm", {"q"});
    EXPECT_TRUE(commands.OpenDocument(inner, OpenMode::Normal));
    EXPECT_EQ(box.shown().size(), 4u);

    const std::string program = dir.File("tool.EXE");
    box.Answer(Answer::Yes);
    EXPECT_TRUE(commands.OpenDocument(program, OpenMode::Normal));
    EXPECT_EQ(doc.CurrentFile(), program);
}

TEST_F(FileCommandsTest, loadSetsFileCaptionHintHistoryAndProgress) {
    const std::string file = MakeCollection("links.htm", {"a", "b"}, "Title");
    commands.OpenDialog().dir = dir.Path().string();
    EXPECT_TRUE(commands.OpenDocument(file, OpenMode::Normal));
    EXPECT_EQ(Names(), "a;b;");
    EXPECT_EQ(doc.DocumentTitle(), "Title");
    EXPECT_EQ(doc.CurrentFile(), file);
    EXPECT_EQ(doc.Hint(), file);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm]");
    EXPECT_TRUE(view.reloadEnabled);
    EXPECT_EQ(history.Slot(0), file);
    EXPECT_EQ(history.Menu().items[0].caption, "&1 links.htm");
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(progress.max, static_cast<std::int64_t>(fs::file_size(file)));
    EXPECT_EQ(progress.total, progress.max);
    EXPECT_TRUE(progress.label.starts_with("File Open (links.htm "));
    EXPECT_EQ(busy.begins, 1);
    EXPECT_EQ(busy.depth, 0);
}

TEST_F(FileCommandsTest, historyOptionOffLeavesHistoryAlone) {
    commands.Options().fileHistOpen = 0;
    commands.OpenDocument(MakeCollection("links.htm", {"a"}), OpenMode::Normal);
    EXPECT_EQ(history.Slot(0), "");
}

TEST_F(FileCommandsTest, readOnlyModeOrReadOnlyFileCarriesTheMarker) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::ReadOnly);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm] (上書禁止)");
    const std::string locked = MakeCollection("locked.htm", {"b"});
    test::SetReadOnly(locked, true);
    commands.OpenDocument(locked, OpenMode::Normal);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [locked.htm] (上書禁止)");
}

TEST_F(FileCommandsTest, failedLoadLeavesTheOpenDocumentExactlyAsItWas) {
    const std::string file = MakeCollection("links.htm", {"a"}, "Kept");
    commands.OpenDocument(file, OpenMode::Normal);
    Edit("typed");
    const std::string caption = doc.Caption();
    // A folder passes the open step's test for a name that exists, but is never read.
    const std::string folder = dir.File("folder.htm");
    fs::create_directory(folder);
    box.Answer(Answer::Ok);
    EXPECT_FALSE(commands.LoadDocument(folder, OpenMode::Normal));
    EXPECT_EQ(box.shown().back().text, "「" + folder + "」\nﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません");
    EXPECT_EQ(box.shown().back().style, kErrorStyle);
    EXPECT_EQ(Names(), "a;typed;");
    EXPECT_EQ(doc.DocumentTitle(), "Kept");
    EXPECT_EQ(doc.CurrentFile(), file);
    EXPECT_EQ(doc.Caption(), caption);
    EXPECT_EQ(progress.ends, progress.starts);
    EXPECT_EQ(busy.depth, 0);
}

TEST_F(FileCommandsTest, openCommandUsesDialogStateAndReadOnlyBox) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.Options().openToSave = 1;
    commands.OpenDialog() = {"/start", 2};
    chooser.AnswerOpen(Picked(file, 1, true));
    commands.OpenChosenFile();
    ASSERT_EQ(chooser.openRequests.size(), 1u);
    const auto& req = chooser.openRequests[0];
    EXPECT_EQ(req.filter, "HTMLﾌｧｲﾙ(*.HTM;*.HTML)|*.htm;*.html|すべてのﾌｧｲﾙ (*.*)|*.*");
    EXPECT_EQ(req.filterIndex, 2);
    EXPECT_EQ(req.initialDir, "/start");
    EXPECT_EQ(req.fileName, "");
    EXPECT_TRUE(req.showReadOnlyBox);
    EXPECT_TRUE(doc.IsWriteProtected());
    EXPECT_EQ(commands.OpenDialog().dir, dir.Path().string());
    EXPECT_EQ(commands.OpenDialog().filterIndex, 1);
    EXPECT_EQ(commands.SaveDialog().dir, dir.Path().string());
    EXPECT_EQ(commands.SaveDialog().filterIndex, 1);

    chooser.AnswerOpen(std::nullopt);
    commands.OpenChosenFile();
    EXPECT_EQ(doc.CurrentFile(), file);
}

// ---- saving ------------------------------------------------------------------------------

TEST_F(FileCommandsTest, saveOverCurrentFileClearsTheMarkAndEntersHistory) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    Edit("typed");
    history.Clear("/");
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_TRUE(chooser.saveRequests.empty());
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm]");
    EXPECT_EQ(history.Slot(0), file);
    EXPECT_EQ(progress.max, 18 + 2);
    EXPECT_EQ(progress.position, 18 + 2);
    EXPECT_TRUE(progress.label.starts_with("Over Write (links.htm "));
    EXPECT_EQ(busy.depth, 0);
}

TEST_F(FileCommandsTest, saveAsToNewNameUsesTheDialogAndSharesItsFolder) {
    commands.OpenDocument("", OpenMode::Normal);
    Edit("typed");
    commands.Options().openToSave = 1;
    commands.SaveDialog() = {"/old", 1};
    const std::string target = dir.File("new.htm");
    chooser.AnswerSave(Picked(target, 2));
    EXPECT_TRUE(commands.SaveDocument(false));
    ASSERT_EQ(chooser.saveRequests.size(), 1u);
    const auto& req = chooser.saveRequests[0];
    EXPECT_EQ(req.fileName, "");
    EXPECT_EQ(req.initialDir, "/old");
    EXPECT_FALSE(req.showReadOnlyBox);
    EXPECT_EQ(progress.label, "New Write (" + target + ")");
    EXPECT_EQ(doc.CurrentFile(), target);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [new.htm]");
    EXPECT_TRUE(view.reloadEnabled);
    EXPECT_EQ(commands.SaveDialog().dir, dir.Path().string());
    EXPECT_EQ(commands.OpenDialog().dir, dir.Path().string());
    EXPECT_EQ(commands.OpenDialog().filterIndex, 2);
    EXPECT_EQ(history.Menu().items[0].caption, "&1 new.htm");
}

TEST_F(FileCommandsTest, saveAsCancelledChangesNothing) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    Edit("typed");
    chooser.AnswerSave(std::nullopt);
    EXPECT_FALSE(commands.SaveDocument(true));
    EXPECT_EQ(chooser.saveRequests[0].fileName, file);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.CurrentFile(), file);
}

TEST_F(FileCommandsTest, writeProtectedDocumentSavesThroughTheDialogAndLosesTheMarker) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::ReadOnly);
    chooser.AnswerSave(Picked(file));
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_EQ(chooser.saveRequests[0].fileName, file);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [links.htm]");
}

TEST_F(FileCommandsTest, fileMadeReadOnlyAfterLoadForcesTheDialog) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    if (!test::ClearArchiveMark(file)) // exactly read-only, nothing else
        GTEST_SKIP() << "this file system keeps the archive mark on every file";
    test::SetReadOnly(file, true);
    chooser.AnswerSave(std::nullopt);
    EXPECT_FALSE(commands.SaveDocument(false));
    EXPECT_EQ(chooser.saveRequests.size(), 1u);
}

TEST_F(FileCommandsTest, readOnlyFileWithAnotherAttributeStopsAtTheReplaceCheck) {
    // A hidden read-only file is not "exactly read-only": no dialog, and it cannot be replaced.
    const std::string file = MakeCollection(".links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    Edit("typed");
    test::SetReadOnly(file, true);
    const std::string before = test::ReadFileBytes(file);
    box.Answer(Answer::Ok);
    EXPECT_FALSE(commands.SaveDocument(false));
    EXPECT_TRUE(chooser.saveRequests.empty());
    EXPECT_EQ(box.shown().back().text, "「" + file + "」\nファイルのオープンに失敗しました。");
    EXPECT_EQ(box.shown().back().style, kErrorStyle);
    EXPECT_EQ(test::ReadFileBytes(file), before);
    EXPECT_TRUE(doc.IsModified());

    // With a backup in force the read-only file becomes the backup and a new file is written.
    commands.Options().backFile = 1;
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_EQ(test::ReadFileBytes(dir.File(".links.bak")), before);
    EXPECT_NE(test::ReadFileBytes(file).find("typed"), std::string::npos);
}

TEST_F(FileCommandsTest, saveDialogRefusesReadOnlyFiles) {
    const std::string locked = MakeCollection("locked.htm", {"a"});
    test::SetReadOnly(locked, true);
    commands.OpenDocument("", OpenMode::Normal);
    chooser.AnswerSave(Picked(locked));
    chooser.AnswerSave(std::nullopt);
    box.Answer(Answer::Ok);
    EXPECT_FALSE(commands.SaveDocument(true));
    EXPECT_EQ(chooser.saveRequests.size(), 2u);
    EXPECT_EQ(doc.CurrentFile(), "");
}

TEST_F(FileCommandsTest, backupKindsFollowTheOption) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    const std::string first = test::ReadFileBytes(file);
    commands.Options().backFile = 2;
    ASSERT_TRUE(commands.SaveDocument(false));
    EXPECT_EQ(test::ReadFileBytes(dir.File("links.~ht")), first);
    commands.Options().backFile = 1;
    ASSERT_TRUE(commands.SaveDocument(false));
    EXPECT_TRUE(fs::exists(dir.File("links.bak")));
}

TEST_F(FileCommandsTest, saveWithoutHistoryStillRebuildsMenuWhenDialogsAreShared) {
    commands.Options().fileHistSave = 0;
    commands.Options().openToSave = 1;
    commands.OpenDocument("", OpenMode::Normal);
    chooser.AnswerSave(Picked(dir.File("a.htm")));
    const int before = view.historyChanges;
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_EQ(history.Slot(0), "");
    EXPECT_EQ(view.historyChanges, before + 1);
}

// ---- reload and history items ------------------------------------------------------------

TEST_F(FileCommandsTest, reloadKeepsWriteProtectAndAsksBeforeDiscarding) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::ReadOnly);
    commands.Reopen();
    EXPECT_TRUE(box.shown().empty());
    EXPECT_TRUE(doc.IsWriteProtected());

    Edit("typed");
    box.Answer(Answer::No);
    commands.Reopen();
    EXPECT_EQ(box.shown().back().text,
              file + "\nファイルから読み直すと、現在の変更を破棄します。続けますか？");
    EXPECT_EQ(box.shown().back().style, kWarnYesNoStyle);
    EXPECT_EQ(Names(), "a;typed;");

    box.Answer(Answer::Yes);
    commands.Reopen();
    EXPECT_EQ(Names(), "a;");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.IsWriteProtected());
    EXPECT_TRUE(chooser.saveRequests.empty());
}

TEST_F(FileCommandsTest, reloadOfDeletedFileDoesNothing) {
    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenDocument(file, OpenMode::Normal);
    fs::remove(file);
    commands.UpdateReloadCommand();
    EXPECT_FALSE(view.reloadEnabled);
    commands.Reopen();
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(Names(), "a;");
}

TEST_F(FileCommandsTest, historyItemOpensItsFileAndKeepsDeletedOnes) {
    const std::string a = MakeCollection("a.htm", {"a"});
    const std::string b = MakeCollection("b.htm", {"b"});
    commands.OpenDocument(a, OpenMode::Normal);
    commands.OpenDocument(b, OpenMode::Normal);
    commands.OpenRecent(2);
    EXPECT_EQ(doc.CurrentFile(), a);
    EXPECT_EQ(history.Slot(0), a);
    EXPECT_EQ(history.Slot(1), b);

    fs::remove(b);
    box.Answer(Answer::Ok);
    commands.OpenRecent(2);
    EXPECT_EQ(box.shown().back().text, "「" + b + "」\nファイルが見つかりません。");
    EXPECT_EQ(history.Slot(1), b);
    EXPECT_EQ(doc.CurrentFile(), a);
}

// ---- files that are no collection, and names that are no file ------------------------------

TEST_F(FileCommandsTest, foreignFiles_openWriteProtectedWithAWordAndSurviveASave) {
    for (const std::string name : {"notes.txt", "program.elf", "empty-page.htm"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.File(name);
        fs::copy_file(test::DataPath(name), path, fs::copy_options::overwrite_existing);
        const std::string before = test::ReadFileBytes(path);
        const std::size_t said = box.shown().size();
        box.Answer(Answer::Ok);
        EXPECT_TRUE(commands.OpenDocument(path, OpenMode::Normal));
        ASSERT_EQ(box.shown().size(), said + 1);
        EXPECT_EQ(box.shown().back().text,
                  "「" + path +
                      "」\nLinkhiveのﾌｧｲﾙではありません(ﾀｲﾄﾙ行もﾚｺｰﾄﾞ行もありません)。\n"
                      "元のﾌｧｲﾙを守るため、上書禁止で開きます。");
        EXPECT_EQ(box.shown().back().style, kWarningStyle);
        EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [" + name + "] (上書禁止)");

        // Save asks where to; cancelling leaves the user's file as it was.
        const std::size_t asked = chooser.saveRequests.size();
        chooser.AnswerSave(std::nullopt);
        EXPECT_FALSE(commands.SaveDocument(false));
        ASSERT_EQ(chooser.saveRequests.size(), asked + 1);
        EXPECT_EQ(chooser.saveRequests.back().fileName, path);
        EXPECT_EQ(test::ReadFileBytes(path), before);
    }
    EXPECT_TRUE(box.AllAnswered());
}

TEST_F(FileCommandsTest, emptyFilesAndCollectionsWithoutRecords_openAsCollections) {
    const std::string empty = dir.File("empty.htm");
    test::WriteFileBytes(empty, "");
    const std::string titled = dir.File("titled.htm");
    test::WriteFileBytes(titled, "<TITLE>Only a title</TITLE>\r\n");
    for (const std::string& path : {empty, titled}) {
        EXPECT_TRUE(commands.OpenDocument(path, OpenMode::Normal)) << path;
        EXPECT_FALSE(doc.IsWriteProtected()) << path;
    }
    EXPECT_TRUE(box.shown().empty());
}

TEST_F(FileCommandsTest, namesThatAreNoFile_areRefusedNamingThemWithoutReading) {
    const std::string folder = dir.File("folder");
    fs::create_directory(folder);
    struct Row {
        std::string path;
        const char* text;
    };
    std::vector<Row> rows = {{folder, "ﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません"}};
#if LINKHIVE_POSIX_TESTS
    // Nobody ever writes to this pipe: a reader that opened it would wait for ever.
    const std::string fifo = dir.File("pipe.htm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    rows.push_back({fifo, "通常のﾌｧｲﾙではないため開けません"});
    rows.push_back({"/dev/zero", "通常のﾌｧｲﾙではないため開けません"});
#endif
    const std::string kept = MakeCollection("kept.htm", {"k"});
    commands.OpenDocument(kept, OpenMode::Normal);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const std::size_t said = box.shown().size();
        box.Answer(Answer::Ok);
        EXPECT_FALSE(commands.OpenDocument(row.path, OpenMode::Normal));
        ASSERT_EQ(box.shown().size(), said + 1);
        EXPECT_EQ(box.shown().back().text, "「" + row.path + "」\n" + row.text);
        EXPECT_EQ(box.shown().back().style, kErrorStyle);
        EXPECT_EQ(doc.CurrentFile(), kept);
        EXPECT_EQ(Names(), "k;");
    }
}

TEST_F(FileCommandsTest, startupOpen_fallsBackToANewCollectionWhenTheFileCannotBeOpened) {
    const std::string folder = dir.File("folder");
    fs::create_directory(folder);
    box.Answer(Answer::Ok);
    commands.OpenStartupDocument(folder);
    EXPECT_EQ(box.shown().back().text, "「" + folder + "」\nﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません");
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [NewFile]");
    EXPECT_EQ(doc.CurrentFile(), "");

    // A program file the user chose not to open is no error: a new collection, nothing said.
    const std::string program = MakeCollection("tool.exe", {"p"});
    box.Answer(Answer::No);
    commands.OpenStartupDocument(program);
    EXPECT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(doc.Caption(), "Linkhive for Windows - [NewFile]");

    const std::string file = MakeCollection("links.htm", {"a"});
    commands.OpenStartupDocument(file);
    EXPECT_EQ(doc.CurrentFile(), file);
    EXPECT_TRUE(box.AllAnswered());
}

// ---- another writer of the same file -----------------------------------------------------

TEST_F(FileCommandsTest, saveOverAnotherProgramsVersionAsksAndNoKeepsThatVersion) {
    const std::string file = MakeCollection("links.htm", {"a"});
    ASSERT_TRUE(commands.OpenDocument(file, OpenMode::Normal));
    Edit("mine");
    MakeCollection("links.htm", {"theirs"}); // another program saves meanwhile
    const std::string theirs = test::ReadFileBytes(file);

    // Closing the window goes through the change prompt: its Yes must not overwrite unasked.
    box.Answer(Answer::Yes);
    box.Answer(Answer::No);
    EXPECT_FALSE(commands.OfferToSaveChanges());
    ASSERT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[1].text,
              "「" + file +
                  "」\nこのファイルは読み込んだ後に他のプログラムによって変更されています。\n"
                  "上書きすると、その変更は失われます。上書きしますか？");
    EXPECT_EQ(box.shown()[1].style, kProgramWarningStyle); // No is the default button
    EXPECT_EQ(test::ReadFileBytes(file), theirs);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Names(), "a;mine;");

    box.Answer(Answer::Yes);
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_NE(test::ReadFileBytes(file).find("mine"), std::string::npos);
    EXPECT_FALSE(doc.IsModified());

    // The version just saved is ours: the next save asks nothing.
    Edit("more");
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_EQ(box.shown().size(), 3u);
}

TEST_F(FileCommandsTest, reloadTakesTheVersionOnDiskAsTheOneToReplace) {
    const std::string file = MakeCollection("links.htm", {"a"});
    ASSERT_TRUE(commands.OpenDocument(file, OpenMode::Normal));
    MakeCollection("links.htm", {"theirs"});
    commands.Reopen();
    EXPECT_EQ(Names(), "theirs;");
    Edit("mine");
    EXPECT_TRUE(commands.SaveDocument(false));
    EXPECT_TRUE(box.shown().empty());
    EXPECT_NE(test::ReadFileBytes(file).find("mine"), std::string::npos);
}

#if LINKHIVE_POSIX_TESTS // symbolic links need privileges on Windows
TEST_F(FileCommandsTest, saveThroughALinkThatLeadsNowhereNamesTheFileAndKeepsTheChanges) {
    const std::string file = MakeCollection("links.htm", {"a"});
    ASSERT_TRUE(commands.OpenDocument(file, OpenMode::Normal));
    Edit("mine");
    fs::remove(file);
    fs::create_symlink("moved/links.htm", file);
    box.Answer(Answer::Ok);
    EXPECT_FALSE(commands.SaveDocument(false));
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "「" + file + "」\nﾘﾝｸ先のﾌｧｲﾙがありません");
    EXPECT_EQ(box.shown()[0].style, kErrorStyle);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(doc.IsModified());
}
#endif
