#include "Portable.h"
#include "ProgramProcess.h"
#include "app/ActivationChannel.h"
#include "app/MainWindow.h"
#include "core/CollectionFile.h"
#include "core/UsageRecord.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <filesystem>
#include <gtest/gtest.h>

using namespace lh;

namespace {

// The real program started on a prepared settings file, asked to end, and its settings read.
class ProgramLifeTest : public ::testing::Test {
protected:
    test::ScopedRuntimeDir m_runtime;
    test::ScopedSettingsFile m_settings;
    test::TempDir m_dir;

    void SetUp() override {
        // The guard is the session's on Windows: the program would start as a second instance.
        if (test::ScopedRuntimeDir::SharedWithARunningProgram())
            GTEST_SKIP() << "a Linkhive is running in this session and would take part in the test";
    }

    // Runs the program until its window is up, then ends it the orderly way.
    void RunAndClose(const QStringList& arguments = {}) {
        test::Program program(arguments);
        ASSERT_TRUE(program.Start());
        ASSERT_FALSE(program.WaitForWindow().isEmpty());
        EXPECT_TRUE(program.Terminate());
    }

    // Whether the settings file holds this exact value line (an empty text reads as missing).
    bool Holds(const std::string& line) const {
        const std::string text = "\n" + test::SettingsStoreText() + "\n";
        return text.find("\n" + line + "\n") != std::string::npos;
    }

    std::string MakeCollection(const std::string& path) {
        TableStore table;
        table.AppendRecord("a", "http://a/", "", "");
        NullProgress none;
        IoError error;
        EXPECT_TRUE(SaveCollectionFile(path, table, "Saved", BackupKind::None, none, error));
        return path;
    }

    // The size the system gives a window with nothing stored, as this process's toolkit lays
    // the same window out.
    static QSize SystemChosenSize() {
        test::ScopedSettingsFile nothingStored;
        MainWindow window;
        return window.size();
    }

    // The designed size: the designed client area below the menu bar.
    static QSize DesignedSize() {
        test::ScopedSettingsFile nothingStored;
        MainWindow window;
        return {MainWindow::kClientWidth,
                MainWindow::kClientHeight + window.menuBar()->sizeHint().height()};
    }
};

} // namespace

TEST_F(ProgramLifeTest, firstStart_storesDefaultLayoutNewCollectionAndUsageRecord) {
    RunAndClose();
    const int widths[] = {38, 111, 277, 133, 111};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(keys::kCell[c].Read(ProgramSettings()), widths[c]) << "column " << c;
    EXPECT_EQ(keys::kMainWinState.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kMainWidth.Read(ProgramSettings()), SystemChosenSize().width());
    EXPECT_EQ(keys::kMainHeight.Read(ProgramSettings()), SystemChosenSize().height());
    EXPECT_EQ(keys::kNumber.Read(ProgramSettings()), "1");
    double hours = -1;
    EXPECT_TRUE(ParseGeneralNumber(keys::kAllTime.Read(ProgramSettings()), hours));
    EXPECT_GE(hours, 0);
    EXPECT_NE(keys::kLastStartDay.Read(ProgramSettings()), "");
    const std::string stored = test::SettingsStoreText();
    EXPECT_EQ(stored.find("\"EndFile\""), std::string::npos) << "a new collection leaves none";
    EXPECT_EQ(stored.find("\"MenuFile"), std::string::npos);
    EXPECT_EQ(keys::kOpenFilter.Read(ProgramSettings()), 1);
}

TEST_F(ProgramLifeTest, storedTopOffTheScreen_isCentredWithTheDesignedHeight) {
    keys::kMainTop.Write(ProgramSettings(), 5000);
    keys::kMainLeft.Write(ProgramSettings(), 10);
    keys::kMainHeight.Write(ProgramSettings(), 400);
    keys::kMainWidth.Write(ProgramSettings(), 600);
    RunAndClose();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(keys::kMainTop.Read(ProgramSettings()),
              (screen.height() - DesignedSize().height()) / 2);
    EXPECT_EQ(keys::kMainLeft.Read(ProgramSettings()), 10);
    EXPECT_EQ(keys::kMainHeight.Read(ProgramSettings()), 400);
    EXPECT_EQ(keys::kMainWidth.Read(ProgramSettings()), 600);
}

TEST_F(ProgramLifeTest, storedHeightBelowTheLimit_leavesPlacementAndSizeToTheSystem) {
    keys::kMainTop.Write(ProgramSettings(), 10);
    keys::kMainLeft.Write(ProgramSettings(), 10);
    keys::kMainHeight.Write(ProgramSettings(), 20);
    keys::kMainWidth.Write(ProgramSettings(), 600);
    RunAndClose();
    EXPECT_EQ(keys::kMainHeight.Read(ProgramSettings()), SystemChosenSize().height());
    EXPECT_EQ(keys::kMainWidth.Read(ProgramSettings()), SystemChosenSize().width());
}

TEST_F(ProgramLifeTest, commandLineNameWithBlanks_isJoinedAndOpened) {
    std::filesystem::create_directory(m_dir.Path() / "My Links");
    const std::string list = MakeCollection(m_dir.File(test::NativePath("My Links/list.htm")));
    const std::string other = MakeCollection(m_dir.File("other.htm"));
    RunAndClose({QString::fromStdString(m_dir.File("My")),
                 QString::fromStdString(test::NativePath("Links/list.htm")),
                 QString::fromStdString(other)});
    EXPECT_EQ(keys::kEndFile.Read(ProgramSettings()), list);
    EXPECT_EQ(keys::kMenuFile[0].Read(ProgramSettings()), list);
    EXPECT_EQ(keys::kMenuFile[1].Read(ProgramSettings()), "");
}

TEST_F(ProgramLifeTest, endFileDeletedMeanwhile_opensNewAndForgetsIt) {
    const std::string history = MakeCollection(m_dir.File("kept.htm"));
    keys::kEndFile.Write(ProgramSettings(), m_dir.File("deleted.htm"));
    keys::kMenuFile[0].Write(ProgramSettings(), history);
    RunAndClose();
    EXPECT_TRUE(Holds("\"EndFile\"=\"\""));
    EXPECT_EQ(keys::kMenuFile[0].Read(ProgramSettings()), history)
        << "the history is kept as it was";
}

TEST_F(ProgramLifeTest, secondInstance_runsMaximisedAndKeepsTheStoredPlacement) {
    keys::kMainTop.Write(ProgramSettings(), 40);
    keys::kMainLeft.Write(ProgramSettings(), 50);
    keys::kMainHeight.Write(ProgramSettings(), 300);
    keys::kMainWidth.Write(ProgramSettings(), 500);
    keys::kMainWinState.Write(ProgramSettings(), 2);
    test::Program first;
    ASSERT_TRUE(first.Start());
    ASSERT_FALSE(first.WaitForWindow().isEmpty());
    test::Program second;
    ASSERT_TRUE(second.Start());
    const QString secondWindow = second.WaitForWindow();
    ASSERT_FALSE(secondWindow.isEmpty());
    EXPECT_TRUE(SendActivationRequest(secondWindow, kStatusRequest, 5000).endsWith("second=1"));

    EXPECT_TRUE(second.Terminate());
    EXPECT_EQ(first.Process().state(), QProcess::Running);
    EXPECT_EQ(keys::kMainWinState.Read(ProgramSettings()), 2);
    EXPECT_EQ(keys::kMainTop.Read(ProgramSettings()), 40);
    EXPECT_EQ(keys::kMainLeft.Read(ProgramSettings()), 50);
    EXPECT_EQ(keys::kMainHeight.Read(ProgramSettings()), 300);
    EXPECT_EQ(keys::kMainWidth.Read(ProgramSettings()), 500);
    EXPECT_EQ(keys::kNumber.Read(ProgramSettings()), "3")
        << "both starts count on top of the prepared settings";
    EXPECT_TRUE(first.Terminate());
}

TEST_F(ProgramLifeTest, captionQuery_namesTheStartupFileOnceItIsLoaded) {
    const std::string list = MakeCollection(m_dir.File("list.htm"));
    test::Program program({QString::fromStdString(list)});
    ASSERT_TRUE(program.Start());
    const QString window = program.WaitForWindow();
    ASSERT_FALSE(window.isEmpty());
    // An early answer may come before the start-up has run; the load's caption follows.
    QByteArray caption;
    for (int i = 0; i < 200 && !caption.contains("list.htm"); ++i)
        caption = SendActivationRequest(window, kCaptionRequest, 5000);
    EXPECT_EQ(caption, QByteArray("Linkhive for Windows - [list.htm]"));
    EXPECT_TRUE(program.Terminate());
}
