#include "core/StartupRules.h"

#include "Portable.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/CloseSettings.h"
#include "core/UsageRecord.h"
#include "platform/FileSystem.h"
#include "util/MemorySettingsStore.h"
#include "util/RegistrySettingsStore.h"
#include "util/SettingKeys.h"

#include <gtest/gtest.h>

using namespace lh;

namespace {

TEST(StartupFileName, joinsBlankSeparatedPartsUntilTheNextAbsolutePath) {
    const auto p = [](const char* linuxStyle) { return test::NativePath(linuxStyle); };
    EXPECT_EQ(StartupFileName({}), "");
    EXPECT_EQ(StartupFileName({p("/home/u/My"), p("Links/list.htm")}),
              p("/home/u/My Links/list.htm"));
    EXPECT_EQ(StartupFileName({p("/a.htm"), p("/b.htm")}), p("/a.htm"));
    EXPECT_EQ(StartupFileName({p("/a"), "b", p("/c"), "d"}), p("/a b"));
}

class StartupSettingsTest : public ::testing::Test {
protected:
    MemorySettingsStore m_settings;
    test::TempDir m_dir;
};

TEST_F(StartupSettingsTest, startupDocument_fallsBackToEndFileThenNew) {
    const std::string list = m_dir.File("list.htm");
    test::WriteFileBytes(list, "<HTML>\r\n");
    EXPECT_EQ(StartupDocument(m_settings, list), list);
    EXPECT_EQ(StartupDocument(m_settings, m_dir.File("missing.htm")), "");
    keys::kEndFile.Write(m_settings, list);
    EXPECT_EQ(StartupDocument(m_settings, m_dir.File("missing.htm")), list);
    keys::kEndFileOpen.Write(m_settings, 0);
    EXPECT_EQ(StartupDocument(m_settings, ""), "");
    keys::kEndFileOpen.Write(m_settings, 1);
    keys::kEndFile.Write(m_settings, m_dir.File("deleted.htm"));
    EXPECT_EQ(StartupDocument(m_settings, ""), "");
}

// A name typed relative to the shell's folder is opened by its full path, so the history and
// the file reopened at the next start still find it from anywhere.
TEST_F(StartupSettingsTest, startupDocument_relativeNameBecomesTheFullPath) {
    const std::string list = m_dir.File("list.htm");
    test::WriteFileBytes(list, "<HTML>\r\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    const std::string plain = StartupDocument(m_settings, "list.htm");
    const std::string dotted = StartupDocument(m_settings, "./list.htm");
    std::filesystem::current_path(before);
    const std::string expected = std::filesystem::canonical(list).string();
    EXPECT_EQ(plain, expected);
    EXPECT_EQ(dotted, expected);
}

TEST_F(StartupSettingsTest, startupDocument_relativeJapaneseNameKeepsItsCharacters) {
    const std::string list = m_dir.File("リスト.htm");
    test::WriteFileBytes(list, "<HTML>\r\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    const std::string full = StartupDocument(m_settings, "リスト.htm");
    std::filesystem::current_path(before);
    EXPECT_EQ(platform::FileNamePart(full), "リスト.htm");
    EXPECT_TRUE(platform::IsRegularFile(full)) << full;
}

TEST_F(StartupSettingsTest, placement_nothingStoredLetsTheSystemChoose) {
    EXPECT_TRUE(RestoreMainPlacement(m_settings, false, 1920, 1080, 435, 300).systemChooses);
}

TEST_F(StartupSettingsTest, placement_topOffScreenIsCentredWithDesignedHeight) {
    keys::kMainTop.Write(m_settings, 5000);
    keys::kMainLeft.Write(m_settings, 10);
    keys::kMainHeight.Write(m_settings, 400);
    keys::kMainWidth.Write(m_settings, 600);
    const MainPlacement p = RestoreMainPlacement(m_settings, false, 1920, 1080, 435, 300);
    ASSERT_FALSE(p.systemChooses);
    EXPECT_EQ(p.top, (1080 - 300) / 2);
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.height, 400);
    EXPECT_EQ(p.width, 600);
}

TEST_F(StartupSettingsTest, placement_heightBelowLimitOrSecondInstanceHandsOverToTheSystem) {
    keys::kMainTop.Write(m_settings, 10);
    keys::kMainLeft.Write(m_settings, 10);
    keys::kMainHeight.Write(m_settings, 20);
    keys::kMainWidth.Write(m_settings, 600);
    EXPECT_TRUE(RestoreMainPlacement(m_settings, false, 1920, 1080, 435, 300).systemChooses);
    keys::kMainHeight.Write(m_settings, 27);
    EXPECT_FALSE(RestoreMainPlacement(m_settings, false, 1920, 1080, 435, 300).systemChooses);
    EXPECT_TRUE(RestoreMainPlacement(m_settings, true, 1920, 1080, 435, 300).systemChooses);
    keys::kMainWidth.Write(m_settings, 111);
    EXPECT_TRUE(RestoreMainPlacement(m_settings, false, 1920, 1080, 435, 300).systemChooses);
}

TEST_F(StartupSettingsTest, caretPanelWidth_defaultFollowsBarHeightNegativeKeepsDesign) {
    EXPECT_EQ(CaretPanelWidth(m_settings, 19), 65);
    EXPECT_EQ(CaretPanelWidth(m_settings, 38), 130);
    keys::kPanelVisible1.Write(m_settings, 0);
    EXPECT_EQ(CaretPanelWidth(m_settings, 19), 0);
    keys::kPanelVisible1.Write(m_settings, -5);
    EXPECT_EQ(CaretPanelWidth(m_settings, 19), -1);
    // A width no screen shows would make the window ask for gigabytes of pixels.
    keys::kPanelVisible1.Write(m_settings, INT32_MAX);
    EXPECT_EQ(CaretPanelWidth(m_settings, 19), keys::kMaxStoredWidth);
}

TEST_F(StartupSettingsTest, windowState_storedWhenRememberedElseLaunchState) {
    keys::kMainWinState.Write(m_settings, 2);
    EXPECT_EQ(StartupWindowState(m_settings, 0), 2);
    keys::kMainWinState.Write(m_settings, 7);
    EXPECT_EQ(StartupWindowState(m_settings, 1), 0);
    keys::kPositionMemory.Write(m_settings, 0);
    EXPECT_EQ(StartupWindowState(m_settings, 2), 2);
}

class CloseSettingsTest : public StartupSettingsTest {
protected:
    CloseState State() {
        CloseState s;
        s.columnWidths = {38, 111, 277, 133, 111};
        s.top = 10;
        s.left = 20;
        s.height = 300;
        s.width = 400;
        s.openDialog = {"/o", 2};
        s.saveDialog = {"/s", 1};
        s.addDialog = {"/a", 7};
        s.importDialog = {"/i", 4};
        s.exportDialog = {"/e", 2};
        return s;
    }
    UsageRecord m_usage{m_settings, [] { return 46000.5; }};
    test::ScriptedMessageBox m_messages;
};

TEST_F(CloseSettingsTest, maximised_keepsTheEarlierNormalPlacement) {
    keys::kMainTop.Write(m_settings, 1);
    keys::kMainHeight.Write(m_settings, 222);
    CloseState s = State();
    s.windowState = 2;
    WriteCloseSettings(m_settings, s, m_usage, m_messages);
    EXPECT_EQ(keys::kMainWinState.Read(m_settings), 2);
    EXPECT_EQ(keys::kMainTop.Read(m_settings), 1);
    EXPECT_EQ(keys::kMainHeight.Read(m_settings), 222);
    EXPECT_EQ(keys::kCell[2].Read(m_settings), 277);
    EXPECT_EQ(keys::kAddFilter.Read(m_settings), 7);
}

TEST_F(CloseSettingsTest, normal_writesGeometryAndState) {
    WriteCloseSettings(m_settings, State(), m_usage, m_messages);
    EXPECT_EQ(keys::kMainTop.Read(m_settings), 10);
    EXPECT_EQ(keys::kMainLeft.Read(m_settings), 20);
    EXPECT_EQ(keys::kMainHeight.Read(m_settings), 300);
    EXPECT_EQ(keys::kMainWidth.Read(m_settings), 400);
    EXPECT_EQ(keys::kMainWinState.Read(m_settings), 0);
    EXPECT_EQ(keys::kOpenDir.Read(m_settings), "/o");
    EXPECT_EQ(keys::kImportDir.Read(m_settings), "/i");
    EXPECT_EQ(keys::kImportFilter.Read(m_settings), 4);
    EXPECT_EQ(keys::kExportDir.Read(m_settings), "/e");
    EXPECT_EQ(keys::kExportFilter.Read(m_settings), 2);
}

TEST_F(CloseSettingsTest, emptiedHistorySlotEmptiesItsStoredNameOnly) {
    keys::kMenuFile[2].Write(m_settings, "c");
    CloseState s = State();
    s.historySlots = {"a", "b", "", "", ""};
    WriteCloseSettings(m_settings, s, m_usage, m_messages);
    EXPECT_EQ(keys::kMenuFile[0].Read(m_settings), "a");
    EXPECT_EQ(keys::kMenuFile[2].ReadOr(m_settings, "absent"),
              "absent"); // written empty reads as default
}

TEST_F(CloseSettingsTest, neverSavedCollection_emptiesEndFile) {
    keys::kEndFile.Write(m_settings, "/old.htm");
    WriteCloseSettings(m_settings, State(), m_usage, m_messages);
    EXPECT_EQ(keys::kEndFile.ReadOr(m_settings, "empty"), "empty");
    const std::string list = m_dir.File("list.htm");
    test::WriteFileBytes(list, "x");
    CloseState s = State();
    s.currentFile = list;
    WriteCloseSettings(m_settings, s, m_usage, m_messages);
    EXPECT_EQ(keys::kEndFile.Read(m_settings), list);
}

// A store that cannot take the batch keeps what it held, and the user hears of it once.
TEST_F(CloseSettingsTest, batchTooLarge_isReportedOnceAndWritesNothing) {
    keys::kEndMsg.Write(m_settings, 0);
    m_settings.FailNextBatch(platform::StoreResult::TooLarge);
    m_messages.Answer(Answer::Ok);
    WriteCloseSettings(m_settings, State(), m_usage, m_messages);
    ASSERT_EQ(m_messages.shown().size(), 1u);
    EXPECT_NE(m_messages.shown()[0].text.find("保存されませんでした"), std::string::npos);
    EXPECT_EQ(m_settings.Count(), 1u);
}

TEST_F(CloseSettingsTest, batchFailed_staysSilent) {
    m_settings.FailNextBatch(platform::StoreResult::Failed);
    WriteCloseSettings(m_settings, State(), m_usage, m_messages);
    EXPECT_TRUE(m_messages.shown().empty());
    EXPECT_EQ(m_settings.Count(), 0u);
}

#if LINKHIVE_POSIX_TESTS // a store that is a file; the registry is neither filled nor protected so
class CloseSettingsFileTest : public CloseSettingsTest {
protected:
    test::ScopedSettingsFile m_file;
    RegistrySettingsStore m_fileStore;
    UsageRecord m_fileUsage{m_fileStore, [] { return 46000.5; }};
};

TEST_F(CloseSettingsFileTest, storeTooLargeToRead_isReportedOnceAndLeftAlone) {
    std::string huge = "REGEDIT4\n";
    huge += std::string(17 * 1024 * 1024, ';');
    test::WriteFileBytes(m_file.Path(), huge);
    m_messages.Answer(Answer::Ok);
    WriteCloseSettings(m_fileStore, State(), m_fileUsage, m_messages);
    ASSERT_EQ(m_messages.shown().size(), 1u);
    const std::string& text = m_messages.shown()[0].text;
    EXPECT_NE(text.find("「" + m_file.Path() + "」"), std::string::npos) << text;
    EXPECT_NE(text.find("保存されませんでした"), std::string::npos) << text;
    EXPECT_TRUE(test::ReadFileBytes(m_file.Path()) == huge);
}

TEST_F(CloseSettingsFileTest, protectedStore_staysSilentAndUnchanged) {
    keys::kEndMsg.Write(m_fileStore, 0);
    const std::string before = test::ReadFileBytes(m_file.Path());
    std::filesystem::permissions(m_file.Path(), std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    WriteCloseSettings(m_fileStore, State(), m_fileUsage, m_messages);
    EXPECT_TRUE(m_messages.shown().empty());
    EXPECT_EQ(test::ReadFileBytes(m_file.Path()), before);
}
#endif

} // namespace
