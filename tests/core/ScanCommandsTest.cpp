#include "core/ScanCommands.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/RecordCommands.h"
#include "util/Mbcs.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#if LINKHIVE_POSIX_TESTS
#include <sys/stat.h>
#endif

using namespace lh;
using lh::test::TempDir;

namespace {

class CountingFinisher final : public ScanFinisher {
public:
    void FinishScan() override { ++calls; }
    int calls = 0;
};

// A document, its scripted user and the scan commands over them.
struct Fixture {
    Document document;
    test::ScriptedFileChooser chooser;
    test::ScriptedMessageBox messages;
    test::RecordingProgress progress;
    test::CountingBusyCursor cursor;
    CountingFinisher finisher;
    ScanDialogMemory memory{"/start/folder", 3, {}};
    ScanCommands commands{document, chooser, messages, progress, &cursor, finisher, memory};

    Fixture() { document.ResetState({}); }

    void Choose(const std::string& path, int filterIndex = 3) {
        chooser.AnswerOpen(FileDialogResult{path, filterIndex, false});
    }
    std::vector<std::string> Addresses() const {
        std::vector<std::string> out;
        for (TableStore::Row r = 0; r < document.Table().RecordCount(); ++r)
            out.push_back(std::string(document.Table().Text(r, TableStore::kAddress)));
        return out;
    }
};

using Addresses = std::vector<std::string>;

} // namespace

TEST(ScanCommands, urlScan_appendsNewAddressesOnceAndMarksModified) {
    TempDir dir;
    const std::string file = dir.File("page.htm");
    test::WriteFileBytes(file, "<a href=\"Http://a.b/x.htm\">x</a> http://A.B/ http://a.b\r\n"
                               "http://c.d/ http://C.D/ http://c.d/\r\n");
    Fixture f;
    f.document.Table().AppendRecord("name", "http://a.b/", "", "");
    f.Choose(file);
    const auto outcome = f.commands.ScanWithDialog(AddressKind::Url);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(f.Addresses(),
              (Addresses{"http://a.b/", "Http://a.b/x.htm", "http://a.b", "http://c.d/"}));
    EXPECT_EQ(outcome->found, 6);
    EXPECT_EQ(outcome->added, 3);
    EXPECT_TRUE(f.document.IsModified());
    // New records have only their address.
    EXPECT_EQ(f.document.Table().Text(1, TableStore::kName), "");
    EXPECT_EQ(f.document.Table().Text(1, TableStore::kRemark), "");
}

TEST(ScanCommands, emailScan_storesMailtoLinksAndTestsThePrefixedKey) {
    TempDir dir;
    const std::string file = dir.File("mail.txt");
    test::WriteFileBytes(file, "MAILTO:Name@HOST other@host a@b@c\r\nname@host other@host\r\n");
    Fixture f;
    f.document.Table().AppendRecord("", "mailto:name@host", "", "");
    f.document.Table().AppendRecord("", "other@host", "", ""); // no prefix: not the same
    f.Choose(file);
    f.commands.ScanFileForEmails();
    EXPECT_EQ(f.Addresses(), (Addresses{"mailto:name@host", "other@host", "mailto:other@host",
                                        "mailto:a@b", "mailto:b@c"}));
    EXPECT_EQ(f.progress.label.rfind("E-Mail Add (mail.txt ", 0), 0u) << f.progress.label;
}

TEST(ScanCommands, scanFrame_progressCursorAndFinishingSteps) {
    TempDir dir;
    const std::string file = dir.File("log.txt");
    test::WriteFileBytes(file, "nothing here\r\nnor here");
    Fixture f;
    f.Choose(file);
    f.commands.ScanFileForUrls();
    EXPECT_EQ(f.progress.starts, 1);
    EXPECT_EQ(f.progress.ends, 1);
    EXPECT_EQ(f.progress.max, 22);
    EXPECT_EQ(f.progress.total, 24); // a last line without line end counts 2 more
    EXPECT_EQ(f.progress.label.rfind("URL Add (log.txt 22 byte", 0), 0u) << f.progress.label;
    EXPECT_EQ(f.cursor.begins, 1);
    EXPECT_EQ(f.cursor.depth, 0);
    EXPECT_EQ(f.finisher.calls, 1); // also when nothing was found
    EXPECT_FALSE(f.document.IsModified());
}

TEST(ScanCommands, dialog_offersStoredFolderAndFilterAndRemembersTheChoice) {
    TempDir dir;
    const std::string file = dir.File("a.log");
    test::WriteFileBytes(file, "");
    Fixture f;
    f.Choose(file, 6);
    f.commands.ScanFileForUrls();
    ASSERT_EQ(f.chooser.openRequests.size(), 1u);
    const FileDialogRequest& r = f.chooser.openRequests[0];
    EXPECT_EQ(r.title, "ファイルから追加[URL]");
    EXPECT_EQ(r.filter, ScanCommands::kExtractionFilter);
    EXPECT_EQ(r.filterIndex, 3);
    EXPECT_EQ(r.initialDir, "/start/folder");
    EXPECT_EQ(r.fileName, "");
    EXPECT_TRUE(r.mustExist);
    EXPECT_FALSE(r.showReadOnlyBox);
    EXPECT_EQ(f.memory.addFilter, 6);
    EXPECT_EQ(f.memory.addDir, dir.Path().string());

    // A cancelled dialog keeps the folder but remembers the filter last selected in it.
    f.chooser.AnswerOpen(std::nullopt);
    EXPECT_FALSE(f.commands.ScanWithDialog(AddressKind::Email).has_value());
    EXPECT_EQ(f.chooser.openRequests[1].title, "ファイルから追加[E-Mail]");
    EXPECT_EQ(f.memory.addFilter, 6);
    EXPECT_EQ(f.memory.addDir, dir.Path().string());
    EXPECT_EQ(f.progress.starts, 1);
}

TEST(ScanCommands, programFiles_askFirstAndNoLeavesTheTableAlone) {
    TempDir dir;
    for (const char* name : {"setup.exe", "RUN.Com", "tool.EXE"}) {
        SCOPED_TRACE(name);
        const std::string file = dir.File(name);
        test::WriteFileBytes(file, "http://a.b/");
        Fixture f;
        f.Choose(file);
        f.messages.Answer(Answer::No);
        EXPECT_FALSE(f.commands.ScanWithDialog(AddressKind::Url).has_value());
        ASSERT_EQ(f.messages.shown().size(), 1u);
        EXPECT_EQ(f.messages.shown()[0].text,
                  "「" + file + "」\nプログラムの可能性があります。\n開きますか？");
        EXPECT_EQ(f.messages.shown()[0].style, kProgramWarningStyle);
        EXPECT_EQ(f.document.Table().RecordCount(), 0);
        EXPECT_EQ(f.progress.starts, 0);

        f.Choose(file);
        f.messages.Answer(Answer::Yes);
        f.commands.ScanFileForUrls();
        EXPECT_EQ(f.Addresses(), Addresses{"http://a.b/"});
    }
    EXPECT_FALSE(IsProgramFileName("notes.exe.txt"));
    EXPECT_FALSE(IsProgramFileName("dir.exe/file"));
}

TEST(ScanCommands, unreadableFile_reportsTheErrorAndPutsTheDisplayBack) {
    TempDir dir;
    Fixture f;
    f.Choose(dir.Path().string()); // a folder
    f.messages.Answer(Answer::Ok);
    const auto outcome = f.commands.ScanWithDialog(AddressKind::Url);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_FALSE(outcome->ok);
    ASSERT_EQ(f.messages.shown().size(), 1u);
    EXPECT_EQ(f.messages.shown()[0].text,
              "「" + dir.Path().string() + "」\nﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません");
    EXPECT_EQ(f.messages.shown()[0].style, kErrorStyle);
    EXPECT_EQ(f.progress.ends, 1);
    EXPECT_EQ(f.cursor.depth, 0);
    EXPECT_FALSE(f.document.IsModified());
}

TEST(ScanCommands, programSignatures_askLikeProgramNames) {
    TempDir dir;
    for (const char* fixture : {"program.elf", "program.mz"}) {
        SCOPED_TRACE(fixture);
        // Renamed to what a stranger might call it: the content still tells.
        const std::string file = dir.File("readme.txt");
        test::WriteFileBytes(file, test::ReadFileBytes(test::DataPath(fixture)));
        EXPECT_TRUE(IsProgramFile(file));
        Fixture f;
        f.Choose(file);
        f.messages.Answer(Answer::No);
        EXPECT_FALSE(f.commands.ScanWithDialog(AddressKind::Url).has_value());
        ASSERT_EQ(f.messages.shown().size(), 1u);
        EXPECT_EQ(f.messages.shown()[0].text, ProgramWarningText(file));
        EXPECT_EQ(f.messages.shown()[0].style, kProgramWarningStyle);
        EXPECT_EQ(f.document.Table().RecordCount(), 0);
    }
    for (const char* text : {"", "M", "MOZ",
                             "\x7F"
                             "EL",
                             "ELF!"}) {
        const std::string file = dir.File("plain.txt");
        test::WriteFileBytes(file, text);
        EXPECT_FALSE(IsProgramFile(file)) << text;
    }
    EXPECT_FALSE(IsProgramFile("/dev/zero"));
}

#if LINKHIVE_POSIX_TESTS // pipes and devices by these names are POSIX ones
TEST(ScanCommands, namesThatAreNoFile_areRefusedNamingThemWithoutReading) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        Fixture f;
        f.Choose(path);
        f.messages.Answer(Answer::Ok);
        const auto outcome = f.commands.ScanWithDialog(AddressKind::Email);
        ASSERT_TRUE(outcome.has_value());
        EXPECT_FALSE(outcome->ok);
        ASSERT_EQ(f.messages.shown().size(), 1u);
        EXPECT_EQ(f.messages.shown()[0].text, "「" + path + "」\n通常のﾌｧｲﾙではないため開けません");
        EXPECT_EQ(f.progress.ends, 1);
        EXPECT_EQ(f.cursor.depth, 0);
    }
}
#endif

// The duplicate test is an index kept beside the rows; it must say exactly what a search of every
// row would say, whatever mix of edits, inserts, deletes and scans came before.
TEST(ScanCommands, addressIndex_agreesWithTheTableAfterEditsInsertsDeletesAndScans) {
    TempDir dir;
    Fixture f;
    TableStore& t = f.document.Table();
    const std::vector<std::string> pool = {"http://a/",  "HTTP://A/", "http://b/", "mailto:x@y",
                                           "MAILTO:X@Y", "x@y",       "",          "http://c/"};
    std::mt19937 rng(7);
    const auto agree = [&](int step) {
        for (const std::string& probe : pool) {
            for (const std::string_view prefix :
                 {std::string_view(), std::string_view("MAILTO:")}) {
                bool brute = false;
                for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
                    brute = brute || AsciiUpper(t.Text(r, TableStore::kAddress)) ==
                                         std::string(prefix) + AsciiUpper(probe);
                ASSERT_EQ(t.AddressInTable(AsciiUpper(probe), prefix), brute)
                    << "step " << step << " probe " << probe << " prefix " << prefix;
            }
        }
    };
    for (int step = 0; step < 600; ++step) {
        const auto pick = [&] { return pool[rng() % pool.size()]; };
        const TableStore::Row records = t.RecordCount();
        switch (rng() % 6) {
        case 0: { // typing into a record's address or into the entry row
            const auto r = static_cast<TableStore::Row>(rng() % (records + 1));
            CommitCellText(f.document, r, TableStore::kAddress, pick());
            break;
        }
        case 1:
            if (records > 0)
                t.InsertEmptyRecord(static_cast<TableStore::Row>(rng() % records));
            break;
        case 2:
            if (records > 0)
                t.RemoveRecord(static_cast<TableStore::Row>(rng() % records));
            break;
        case 3: { // the name column never counts
            if (records > 0)
                t.SetText(static_cast<TableStore::Row>(rng() % records), TableStore::kName, pick());
            break;
        }
        default: {
            const std::string file = dir.File("scan.txt");
            test::WriteFileBytes(file, pick() + " " + pick() + " " + pick() + "\r\n");
            ScanFileIntoDocument(rng() % 2 ? AddressKind::Url : AddressKind::Email, file,
                                 f.document, f.progress);
            break;
        }
        }
        agree(step);
        if (HasFatalFailure())
            return;
    }
}

// Beyond 2 GiB: sizes and steps are 64-bit, the display ends full, a first line cut by NUL bytes
// is skipped to its CR without being held, and the line after it is still scanned.
TEST(ScanCommands, fileOver2GiB_progressEndsFullAndLaterLinesAreFound) {
    TempDir dir;
    const std::string file = dir.File("huge.dat");
    const std::string head = "http://first/ x";
    const std::string tail = "\r\nhttp://last/";
    const std::int64_t size = (std::int64_t{2} << 30) + 4096;
    {
        test::WriteFileBytes(file, head);
        // The gap between is a hole: NUL bytes that take no disk space.
        std::filesystem::resize_file(test::FsPath(file),
                                     static_cast<std::uintmax_t>(size) - tail.size());
        std::FILE* f = std::fopen(file.c_str(), "ab");
        ASSERT_NE(f, nullptr);
        std::fwrite(tail.data(), 1, tail.size(), f);
        std::fclose(f);
    }
    Fixture f;
    f.Choose(file);
    f.commands.ScanFileForUrls();
    EXPECT_EQ(f.Addresses(), (Addresses{"http://first/", "http://last/"}));
    EXPECT_EQ(f.progress.max, size);
    EXPECT_EQ(f.progress.total, size + 2); // the last line has no line end
    EXPECT_GE(f.progress.steps, 2);
}

TEST(ScanCommands, manyRepeatedAddresses_areAddedOnceEach) {
    TempDir dir;
    const std::string file = dir.File("log.txt");
    std::string text;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 5000; ++i)
            text += (round == 1 ? "HTTP://Site" : "http://site") + std::to_string(i) + "/ " + "u" +
                    std::to_string(i) + "@h\r\n";
    test::WriteFileBytes(file, text);
    Fixture f;
    f.document.Table().AppendRecord("", "http://SITE42/", "", "");
    const ScanOutcome urls = ScanFileIntoDocument(AddressKind::Url, file, f.document, f.progress);
    EXPECT_EQ(urls.found, 15000);
    EXPECT_EQ(urls.added, 4999);
    const ScanOutcome mails =
        ScanFileIntoDocument(AddressKind::Email, file, f.document, f.progress);
    EXPECT_EQ(mails.found, 15000);
    EXPECT_EQ(mails.added, 5000);
    EXPECT_EQ(f.document.Table().RecordCount(), 1 + 4999 + 5000);
    EXPECT_EQ(f.document.Table().Text(1, TableStore::kAddress), "http://site0/");
}
