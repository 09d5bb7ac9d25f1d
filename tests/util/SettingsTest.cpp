#include "TestEnvironment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "util/RegistrySettingsStore.h"
#include "util/SettingKeys.h"
#include "util/SettingsBatch.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lh;
namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramKeyPath = "\\Software\\Tessella\\Linkhive";
constexpr const char* kChildCouldNotRun = "could not run a child as an ordinary user";

RegistrySettingsStore& UserStore() {
    static RegistrySettingsStore store;
    return store;
}

pid_t Spawn(const std::function<int()>& body, bool asOrdinaryUser) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // As root every permission check passes; an ordinary user sees the protections.
    if (asOrdinaryUser && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(200);
    ::_exit(body());
}

// The child's exit code, or -1 when it could not run as asked.
int Wait(pid_t pid) {
    if (pid < 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 200)
        return -1;
    return WEXITSTATUS(status);
}

int RunAsOrdinaryUser(const std::function<int()>& body) {
    return Wait(Spawn(body, true));
}

void SetMode(const std::string& path, fs::perms perms) {
    fs::permissions(path, perms, fs::perm_options::replace);
}

class SettingsFile : public ::testing::Test {
protected:
    std::string File() const { return m_settings.Path(); }
    std::string Folder() const { return platform::DirectoryPart(m_settings.Path()); }

    test::ScopedSettingsFile m_settings;
};

} // namespace

TEST_F(SettingsFile, freshAccount_readsEveryDefaultAndHasNoSections) {
    struct Case {
        const IntSetting& key;
        std::int32_t expected;
    };
    const Case ints[] = {
        {keys::k2ndStart, 1},       {keys::k2ndStartBox, 0},    {keys::kSplashVisible, 1},
        {keys::kPositionMemory, 1}, {keys::kEndMsg, 0},         {keys::kEndFileOpen, 1},
        {keys::kOpenToSave, 0},     {keys::kEscToClose, 0},     {keys::kBackFile, 0},
        {keys::kFileHistOpen, 1},   {keys::kFileHistSave, 1},   {keys::kMainTop, -1},
        {keys::kMainLeft, -1},      {keys::kMainHeight, 0},     {keys::kMainWidth, 0},
        {keys::kMainWinState, 0},   {keys::kCell[0], 0},        {keys::kCell[4], 0},
        {keys::kSetOtherTop, -1},   {keys::kSetOtherLeft, -1},  {keys::kSetOtherTab, 1},
        {keys::kSetBarTop, -1},     {keys::kSetBarLeft, -1},    {keys::kAboutTop, -1},
        {keys::kAboutLeft, -1},     {keys::kPanelVisible1, 65}, {keys::kGaugeVisible, 1},
        {keys::kInfoVisible, 1},    {keys::kNewGauge, 1},       {keys::kFontColor, INT32_MIN + 8},
        {keys::kFontSize, 10},      {keys::kFontBold, 0},       {keys::kFontStrikeOut, 0},
        {keys::kOpenFilter, 1},     {keys::kSaveFilter, 1},     {keys::kAddFilter, 1},
        {keys::kShowHint, 1},
    };
    for (const Case& c : ints)
        EXPECT_EQ(c.key.Read(UserStore()), c.expected) << c.key.section << "/" << c.key.key;

    EXPECT_EQ(keys::kFontName.Read(UserStore()), "System");
    EXPECT_EQ(keys::kMenuFile[0].Read(UserStore()), "");
    EXPECT_EQ(keys::kEndFile.Read(UserStore()), "");
    EXPECT_EQ(keys::kNumber.Read(UserStore()), "1");
    EXPECT_EQ(keys::kAllTime.Read(UserStore()), "0");
    EXPECT_EQ(keys::kOpenDir.Read(UserStore()), platform::ProgramDir());
    EXPECT_EQ(keys::kAddDir.Read(UserStore()), platform::ProgramDir());
    EXPECT_EQ(keys::PanelWidthForHeight(38), 130);
    EXPECT_EQ(keys::CellDefaultWidth(2, 12), 333);

    EXPECT_FALSE(platform::RegKeyHasSubKeys(platform::RootHive::CurrentUser, kProgramKeyPath));
    EXPECT_FALSE(fs::exists(File()));
}

TEST_F(SettingsFile, firstWrite_createsFolderProgramKeyAndSection) {
    test::TempDir dir;
    const std::string nested = (dir.Path() / "a" / "b" / "Linkhive.reg").string();
    ::setenv("LINKHIVE_SETTINGS", nested.c_str(), 1);

    EXPECT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    EXPECT_TRUE(platform::RegKeyHasSubKeys(platform::RootHive::CurrentUser, kProgramKeyPath));
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 1);
    const std::string text = test::ReadFileBytes(nested);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\n"
                        "\"EndMsg\"=dword:00000001\n"),
              std::string::npos);
    ::setenv("LINKHIVE_SETTINGS", File().c_str(), 1);
}

TEST_F(SettingsFile, integers_roundTripSignedValues) {
    for (std::int32_t v : {-1, 0, 1, INT32_MIN, INT32_MAX, 65}) {
        EXPECT_TRUE(keys::kMainTop.Write(UserStore(), v));
        EXPECT_EQ(keys::kMainTop.Read(UserStore()), v);
    }
    EXPECT_TRUE(keys::kMainLeft.Write(UserStore(), -1));
    EXPECT_NE(test::ReadFileBytes(File()).find("\"MainLeft\"=dword:ffffffff\n"), std::string::npos);
}

TEST_F(SettingsFile, texts_roundTripAndEmptyReadsAsDefault) {
    const std::string texts[] = {"/home/u/リンク集.htm", "\x93\xFA\x96\x7B", "C:\\dir\\\"x\""};
    for (const std::string& t : texts) {
        EXPECT_TRUE(keys::kEndFile.Write(UserStore(), t));
        EXPECT_EQ(keys::kEndFile.Read(UserStore()), t);
    }
    EXPECT_TRUE(keys::kOpenDir.Write(UserStore(), ""));
    EXPECT_EQ(keys::kOpenDir.Read(UserStore()), platform::ProgramDir());
    EXPECT_TRUE(keys::kNumber.Write(UserStore(), ""));
    EXPECT_EQ(keys::kNumber.Read(UserStore()), "1");
}

TEST_F(SettingsFile, wrongType_readsAsDefaultUntilTheNextWriteReplacesIt) {
    EXPECT_TRUE(UserStore().WriteInteger(sec::kHistory, "MenuFile1", 5));
    EXPECT_EQ(keys::kMenuFile[0].Read(UserStore()), "");
    EXPECT_TRUE(UserStore().WriteText(sec::kOtherSet, "EndMsg", "1"));
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 0);

    EXPECT_TRUE(keys::kMenuFile[0].Write(UserStore(), "/x.htm"));
    EXPECT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    EXPECT_EQ(keys::kMenuFile[0].Read(UserStore()), "/x.htm");
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 1);
    const std::string text = test::ReadFileBytes(File());
    EXPECT_EQ(text.find("MenuFile1"), text.rfind("MenuFile1"));
    EXPECT_EQ(text.find("EndMsg"), text.rfind("EndMsg"));
}

TEST_F(SettingsFile, expandableText_isTakenAsItStands) {
    // "%HOME%/x" as REG_EXPAND_SZ, NUL-terminated.
    test::WriteFileBytes(File(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\"
                                 "History]\n\"OpenDir\"=hex(2):25,48,4f,4d,45,25,2f,78,00\n");
    EXPECT_EQ(keys::kOpenDir.Read(UserStore()), "%HOME%/x");
}

TEST_F(SettingsFile, anotherInstancesEditIsSeenAtOnce) {
    EXPECT_TRUE(keys::kEscToClose.Write(UserStore(), 0));
    const std::string edited = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\"
                               "OtherSet]\n\"EscToClose\"=dword:00000001\n";
    test::WriteFileBytes(File(), edited);
    EXPECT_EQ(keys::kEscToClose.Read(UserStore()), 1);
}

TEST_F(SettingsFile, damagedFile_readsDefaultsKeepsLinesAndBacksUpOnce) {
    const std::string original = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\"
                                 "Position]\n\"MainTop\"=dword:000000000010\n"
                                 "\"MainLeft\"=dword:00000020\n\"Cell1\"=qword:5\n"
                                 "%%% hand-edited garbage %%%\n";
    test::WriteFileBytes(File(), original);
    EXPECT_EQ(keys::kMainTop.Read(UserStore()), -1);
    EXPECT_EQ(keys::kCell[0].Read(UserStore()), 0);
    EXPECT_EQ(keys::kMainLeft.Read(UserStore()), 32);

    EXPECT_TRUE(keys::kMainWidth.Write(UserStore(), 640));
    EXPECT_TRUE(keys::kMainHeight.Write(UserStore(), 480));
    EXPECT_EQ(test::ReadFileBytes(File() + ".bak"), original);
    const std::string now = test::ReadFileBytes(File());
    for (const char* kept : {"\"Cell1\"=qword:5\n", "%%% hand-edited garbage %%%\n",
                             "\"MainTop\"=dword:000000000010\n", "\"MainLeft\"=dword:00000020\n"})
        EXPECT_NE(now.find(kept), std::string::npos) << kept;
    EXPECT_EQ(keys::kMainWidth.Read(UserStore()), 640);
    EXPECT_EQ(keys::kMainHeight.Read(UserStore()), 480);

    // Writing a damaged key replaces the damaged line with a sound one.
    EXPECT_TRUE(keys::kMainTop.Write(UserStore(), 7));
    EXPECT_EQ(keys::kMainTop.Read(UserStore()), 7);
    EXPECT_EQ(test::ReadFileBytes(File()).find("000000000010"), std::string::npos);
}

TEST_F(SettingsFile, oversizedFile_readsDefaultsAndIsNeverReplaced) {
    std::string huge = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\n"
                       "\"EndMsg\"=dword:00000001\n";
    huge += std::string(17 * 1024 * 1024, ';');
    test::WriteFileBytes(File(), huge);
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 0);
    EXPECT_FALSE(platform::RegKeyHasSubKeys(platform::RootHive::CurrentUser, kProgramKeyPath));
    EXPECT_FALSE(keys::kEscToClose.Write(UserStore(), 1));
    EXPECT_TRUE(test::ReadFileBytes(File()) == huge);
}

TEST_F(SettingsFile, settingsPathIsAFolder_readsDefaultsAndWritesFail) {
    fs::create_directory(File());
    EXPECT_EQ(keys::kFontSize.Read(UserStore()), 10);
    EXPECT_FALSE(keys::kFontSize.Write(UserStore(), 12));
    EXPECT_TRUE(fs::is_directory(File()));
}

TEST_F(SettingsFile, symbolicLink_isWrittenThroughAndKept) {
    test::TempDir elsewhere;
    const std::string target = elsewhere.File("real.reg");
    test::WriteFileBytes(target, "REGEDIT4\n");
    fs::create_symlink(target, File());
    EXPECT_TRUE(keys::kBackFile.Write(UserStore(), 2));
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_NE(test::ReadFileBytes(target).find("\"BackFile\"=dword:00000002"), std::string::npos);
    EXPECT_EQ(keys::kBackFile.Read(UserStore()), 2);
}

TEST_F(SettingsFile, readOnlyFolder_writeFailsAndFileStaysAsItWas) {
    ASSERT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    // Only the folder protects the file here: the file and the lock are open to everyone.
    SetMode(File(), fs::perms::all);
    SetMode(File() + ".lock", fs::perms::all);
    const std::string before = test::ReadFileBytes(File());
    SetMode(Folder(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

    const int written =
        RunAsOrdinaryUser([] { return keys::kEndMsg.Write(UserStore(), 0) ? 1 : 0; });
    const int read = RunAsOrdinaryUser([] { return keys::kEndMsg.Read(UserStore()); });
    SetMode(Folder(), fs::perms::owner_all);
    if (written < 0)
        GTEST_SKIP() << kChildCouldNotRun;
    EXPECT_EQ(written, 0);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(test::ReadFileBytes(File()), before);
    EXPECT_FALSE(fs::exists(File() + ".tmp"));
}

TEST_F(SettingsFile, protectedFile_readsButIsNotReplaced) {
    ASSERT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    SetMode(Folder(), fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
    SetMode(File() + ".lock", fs::perms::all);
    const std::string before = test::ReadFileBytes(File());

    SetMode(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int written =
        RunAsOrdinaryUser([] { return keys::kEndMsg.Write(UserStore(), 0) ? 1 : 0; });
    const int read = RunAsOrdinaryUser([] { return keys::kEndMsg.Read(UserStore()); });
    if (written < 0)
        GTEST_SKIP() << kChildCouldNotRun;
    EXPECT_EQ(written, 0);
    EXPECT_EQ(read, 1);

    SetMode(File(), fs::perms::none);
    EXPECT_EQ(RunAsOrdinaryUser([] { return keys::kEndMsg.Read(UserStore()); }), 0);
    EXPECT_EQ(RunAsOrdinaryUser([] { return keys::kEndMsg.Write(UserStore(), 0) ? 1 : 0; }), 0);
    SetMode(File(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::ReadFileBytes(File()), before);
}

TEST_F(SettingsFile, twoProcessesWritingAtOnce_loseNoValue) {
    constexpr int kPerProcess = 300;
    auto writer = [](char prefix, std::int32_t offset) {
        return [prefix, offset] {
            int failures = 0;
            for (int i = 0; i < kPerProcess; ++i) {
                const std::string key = prefix + std::to_string(i);
                if (!UserStore().WriteInteger("Stress", key, offset + i))
                    ++failures;
            }
            return failures > 0 ? 1 : 0;
        };
    };
    const pid_t a = Spawn(writer('A', 1000), false);
    const pid_t b = Spawn(writer('B', 5000), false);
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);

    int missing = 0;
    for (int i = 0; i < kPerProcess; ++i) {
        missing += UserStore().ReadInteger("Stress", "A" + std::to_string(i), -1) != 1000 + i;
        missing += UserStore().ReadInteger("Stress", "B" + std::to_string(i), -1) != 5000 + i;
    }
    EXPECT_EQ(missing, 0);
}

TEST_F(SettingsFile, fileWithoutWriteBits_isProtectedEvenFromTheSuperuser) {
    ASSERT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    const std::string before = test::ReadFileBytes(File());
    SetMode(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // Whoever runs this (the superuser too, whom every permission check lets through).
    EXPECT_FALSE(keys::kEndMsg.Write(UserStore(), 0));
    {
        SettingsBatch batch(UserStore());
        EXPECT_FALSE(keys::kEndMsg.Write(UserStore(), 0));
        EXPECT_EQ(batch.Finish(), platform::StoreResult::Failed);
    }
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 1);
    EXPECT_EQ(test::ReadFileBytes(File()), before);
}

TEST_F(SettingsFile, batch_storesEverythingAtItsEndAsOneReplacement) {
    ASSERT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    const std::string before = test::ReadFileBytes(File());
    struct stat was {};
    ASSERT_EQ(::stat(File().c_str(), &was), 0);
    {
        SettingsBatch batch(UserStore());
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(keys::kCell[i].Write(UserStore(), 100 + i));
        EXPECT_TRUE(keys::kEndFile.Write(UserStore(), "/a.htm"));
        EXPECT_TRUE(keys::kEndMsg.Write(UserStore(), 0));
        // The batch reads its own writes; the file holds none of them until the end.
        EXPECT_EQ(keys::kCell[4].Read(UserStore()), 104);
        EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 0);
        EXPECT_EQ(test::ReadFileBytes(File()), before);
        struct stat during {};
        ASSERT_EQ(::stat(File().c_str(), &during), 0);
        EXPECT_EQ(during.st_ino, was.st_ino);
        EXPECT_EQ(batch.Finish(), platform::StoreResult::Saved);
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(keys::kCell[i].Read(UserStore()), 100 + i);
    EXPECT_EQ(keys::kEndFile.Read(UserStore()), "/a.htm");
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 0);
}

TEST_F(SettingsFile, batch_holdsOffOtherWritersUntilItEnds) {
    ASSERT_TRUE(keys::kEndMsg.Write(UserStore(), 1));
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    // Another instance, started before the batch, writes once the batch is open.
    const pid_t other = Spawn(
        [&go] {
            char c = 0;
            ::close(go[1]);
            if (::read(go[0], &c, 1) != 1)
                return 2;
            return keys::kEscToClose.Write(UserStore(), 1) ? 0 : 1;
        },
        false);
    ::close(go[0]);
    SettingsBatch batch(UserStore());
    EXPECT_TRUE(keys::kEndMsg.Write(UserStore(), 2));
    ASSERT_EQ(::write(go[1], "x", 1), 1);
    ::close(go[1]);
    ::usleep(100 * 1000);
    EXPECT_EQ(test::ReadFileBytes(File()).find("EscToClose"), std::string::npos);
    EXPECT_EQ(batch.Finish(), platform::StoreResult::Saved);
    EXPECT_EQ(Wait(other), 0);
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 2);
    EXPECT_EQ(keys::kEscToClose.Read(UserStore()), 1);
}

TEST_F(SettingsFile, batch_onOversizedFile_reportsTooLargeAndLeavesItAlone) {
    std::string huge = "REGEDIT4\n";
    huge += std::string(17 * 1024 * 1024, ';');
    test::WriteFileBytes(File(), huge);
    SettingsBatch batch(UserStore());
    EXPECT_FALSE(keys::kEndMsg.Write(UserStore(), 1));
    EXPECT_EQ(keys::kEndMsg.Read(UserStore()), 0);
    EXPECT_EQ(batch.Finish(), platform::StoreResult::TooLarge);
    EXPECT_EQ(batch.Finish(), platform::StoreResult::Saved);
    EXPECT_TRUE(test::ReadFileBytes(File()) == huge);
}
