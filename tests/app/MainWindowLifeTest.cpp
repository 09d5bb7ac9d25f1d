#include "Portable.h"
#include "ScriptedUi.h"
#include "WidgetTestSupport.h"
#include "app/CollectionView.h"
#include "app/DisplayFontAndTitle.h"
#include "app/MainWindow.h"
#include "app/StatusBarPanels.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace lh;

namespace {

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

// Counts the pop-up hint requests that reach a widget.
class TipCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        tips += event->type() == QEvent::ToolTip ? 1 : 0;
        return false;
    }
    int tips = 0;
};

class MainWindowLife : public test::SettingsTest {
protected:
    // A window over the settings prepared so far, started as the event loop would start it.
    std::unique_ptr<MainWindow> Started() {
        auto w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->DeferredStartup();
        return w;
    }
    std::string Stored() const { return test::SettingsStoreText(); }
    // The designed client area below the menu bar.
    static QSize DesignedSize() {
        test::ScopedSettingsFile nothingStored;
        MainWindow window;
        return {MainWindow::kClientWidth,
                MainWindow::kClientHeight + window.menuBar()->sizeHint().height()};
    }

    test::ScriptedMessageBox boxes;
};

} // namespace

// ---- start-up ------------------------------------------------------------------------------

TEST_F(MainWindowLife, startUp_restoresOptionsHistoryAndDialogPlaces) {
    keys::kEscToClose.Write(ProgramSettings(), 1);
    keys::kOpenToSave.Write(ProgramSettings(), 1);
    keys::kBackFile.Write(ProgramSettings(), 2);
    keys::kFileHistOpen.Write(ProgramSettings(), 0);
    keys::kMenuFile[0].Write(ProgramSettings(), "/d/a.htm");
    keys::kMenuFile[2].Write(ProgramSettings(), "/d/c.htm"); // after an empty slot: not read
    keys::kOpenDir.Write(ProgramSettings(), "/open");
    keys::kOpenFilter.Write(ProgramSettings(), 2);
    keys::kSaveDir.Write(ProgramSettings(), "/save");
    keys::kAddDir.Write(ProgramSettings(), "/add");
    keys::kAddFilter.Write(ProgramSettings(), 2);
    keys::kInfoVisible.Write(ProgramSettings(), 0);
    keys::kShowHint.Write(ProgramSettings(), 0);
    const auto w = Started();

    const MainOptions& o = w->Options();
    EXPECT_TRUE(o.escToClose);
    EXPECT_TRUE(o.openToSave);
    EXPECT_EQ(o.backFile, 2);
    EXPECT_FALSE(o.fileHistOpen);
    EXPECT_TRUE(o.fileHistSave);
    EXPECT_EQ(o.addDir, "/add");
    EXPECT_EQ(o.addFilter, 2);
    EXPECT_FALSE(o.infoVisible);
    EXPECT_TRUE(o.gaugeVisible);
    EXPECT_FALSE(w->Lifecycle().PopupHintsShown());
    EXPECT_EQ(w->RecentFiles().HistorySlots(),
              (std::array<std::string, 5>{"/d/a.htm", "", "", "", ""}));
    EXPECT_TRUE(w->Actions().history[0]->isVisible());
    EXPECT_FALSE(w->Actions().history[1]->isVisible());
    EXPECT_EQ(w->Files().OpenDialog().dir, "/open");
    EXPECT_EQ(w->Files().OpenDialog().filterIndex, 2);
    EXPECT_EQ(w->Files().SaveDialog().dir, "/save");
    EXPECT_EQ(w->Files().SaveDialog().filterIndex, 1);
    EXPECT_EQ(w->windowTitle(), Utf8("Linkhive for Windows - [NewFile]"));
}

// Whatever the start-up was given, the window ends up with a table, so a save never writes an
// empty page; what could not be opened is named.
TEST_F(MainWindowLife, startUp_namesWhatCannotBeOpenedAndStartsANewCollection) {
    test::TempDir dir;
    const std::string folder = dir.File("links");
    std::filesystem::create_directory(folder);
    const std::string kept = dir.File("kept.htm");
    test::WriteFileBytes(kept, "<TITLE>Kept</TITLE>\r\n");
    struct Row {
        const char* what;
        std::vector<std::string> parameters;
        std::string endFile;
        std::string message;
    };
    std::vector<Row> rows = {
        {"folder on the command line",
         {folder},
         kept,
         "「" + folder + "」\nﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません"},
    };
#if LINKHIVE_POSIX_TESTS // pipes and devices by these names are POSIX ones
    // Nobody writes to this pipe: opening it the ordinary way would wait for ever.
    const std::string fifo = dir.File("last.htm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    rows.push_back({"device on the command line",
                    {"/dev/zero"},
                    "",
                    "「/dev/zero」\n通常のﾌｧｲﾙではないため開けません"});
    rows.push_back({"pipe left open at the last exit",
                    {},
                    fifo,
                    "「" + fifo + "」\n通常のﾌｧｲﾙではないため開けません"});
#endif
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        keys::kEndFile.Write(ProgramSettings(), row.endFile);
        test::ScriptedMessageBox messages;
        messages.Answer(Answer::Ok);
        MainWindow w;
        w.SetMessageBoxService(&messages);
        w.SetStartupParameters(row.parameters);
        w.DeferredStartup();
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, row.message);
        EXPECT_EQ(w.windowTitle(), Utf8("Linkhive for Windows - [NewFile]"));
        EXPECT_FALSE(w.Grid()->isHidden());
        EXPECT_EQ(w.Doc().CurrentFile(), "");
    }
}

TEST_F(MainWindowLife, startUp_restoresFontWithRowHeightAndColumnWidths) {
    keys::kFontSize.Write(ProgramSettings(), 12);
    keys::kFontBold.Write(ProgramSettings(), 1);
    keys::kFontItalic.Write(ProgramSettings(), 2); // only exactly 1 counts
    keys::kFontUnderline.Write(ProgramSettings(), 1);
    keys::kCell[2].Write(ProgramSettings(), 300);
    const auto w = Started();
    const QFont& font = w->FontAndTitle().DisplayFont();
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(font.bold());
    EXPECT_FALSE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(font.family(), QApplication::font().family()) << "\"System\" is the default face";
    EXPECT_EQ(w->Grid()->font(), font);
    EXPECT_EQ(w->Grid()->verticalHeader()->defaultSectionSize(), 24);
    const int widths[] = {46, 133, 300, 160, 133};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(w->Grid()->ColumnWidth(c), widths[c]) << "column " << c;
}

TEST_F(MainWindowLife, startUp_absurdStoredSizes_giveAUsableWindow) {
    keys::kFontSize.Write(ProgramSettings(), INT32_MAX);
    for (int c = 0; c < 5; ++c)
        keys::kCell[c].Write(ProgramSettings(), INT32_MAX);
    keys::kPanelVisible1.Write(ProgramSettings(), INT32_MAX);
    const auto w = Started();
    EXPECT_EQ(w->FontAndTitle().DisplayFont().pointSize(), keys::kMaxFontSize);
    EXPECT_EQ(w->Grid()->verticalHeader()->defaultSectionSize(), 2 * keys::kMaxFontSize);
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(w->Grid()->ColumnWidth(c), keys::kMaxStoredWidth) << "column " << c;
    EXPECT_EQ(w->PositionPanel()->width(), keys::kMaxStoredWidth);
}

TEST_F(MainWindowLife, creation_placesTheWindowByTheStoredRules) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize designed = DesignedSize();
    struct Case {
        const char* what;
        int top, left, height, width;
        bool second;
        QRect expected; // empty: placed and sized by the system
    };
    const Case cases[] = {
        {"valid", 30, 40, 300, 500, false, QRect(40, 30, 500, 300)},
        {"top off the screen", 5000, 40, 300, 500, false,
         QRect(40, (screen.height() - designed.height()) / 2, 500, 300)},
        {"height below 27", 30, 40, 20, 500, false, QRect()},
        {"second instance", 30, 40, 300, 500, true, QRect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        keys::kMainTop.Write(ProgramSettings(), c.top);
        keys::kMainLeft.Write(ProgramSettings(), c.left);
        keys::kMainHeight.Write(ProgramSettings(), c.height);
        keys::kMainWidth.Write(ProgramSettings(), c.width);
        MainWindow w(c.second ? StartedAs::SecondInstance : StartedAs::FirstInstance);
        if (c.expected.isEmpty())
            EXPECT_EQ(w.geometry(), StartupAndClose::SystemChosenGeometry(
                                        QGuiApplication::primaryScreen()->availableGeometry()));
        else
            EXPECT_EQ(w.geometry(), c.expected);
    }
}

TEST_F(MainWindowLife, creation_setsThePositionPanelWidth) {
    // The set width, widened where the font needs more for the row and column it shows.
    const auto panelWidth = [] {
        const MainWindow w;
        EXPECT_EQ(w.PositionPanel()->isHidden() ? 0 : w.PositionPanel()->width(),
                  w.StatusPanels().CaretPanelWidth() == 0
                      ? 0
                      : std::max(w.StatusPanels().CaretPanelWidth(),
                                 w.StatusPanels().CaretPanelWidthFor(1)));
        return w.StatusPanels().CaretPanelWidth();
    };
    EXPECT_EQ(panelWidth(), 65);
    keys::kPanelVisible1.Write(ProgramSettings(), 0);
    EXPECT_EQ(panelWidth(), 0);
    keys::kPanelVisible1.Write(ProgramSettings(), -1);
    EXPECT_EQ(panelWidth(), 65);
    keys::kPanelVisible1.Write(ProgramSettings(), 200);
    EXPECT_EQ(panelWidth(), 200);
}

TEST_F(MainWindowLife, startUp_takesTheStoredOrLaunchWindowState) {
    keys::kMainWinState.Write(ProgramSettings(), 1);
    {
        const auto w = Started();
        EXPECT_TRUE(w->isMinimized());
        // Minimised on its own: still a top-level window with its own taskbar entry.
        EXPECT_TRUE(w->isWindow());
        EXPECT_EQ(w->parentWidget(), nullptr);
        EXPECT_EQ(w->windowType(), Qt::Window);
    }
    keys::kMainWinState.Write(ProgramSettings(), 2);
    EXPECT_TRUE(Started()->isMaximized());

    keys::kPositionMemory.Write(ProgramSettings(),
                                0); // the launch state decides, the stored one is ignored
    EXPECT_FALSE(Started()->isMaximized());
    MainWindow launchedMaximised;
    launchedMaximised.setWindowState(Qt::WindowMaximized);
    launchedMaximised.DeferredStartup();
    EXPECT_TRUE(launchedMaximised.isMaximized());
}

// ---- close check ---------------------------------------------------------------------------

TEST_F(MainWindowLife, refusedClose_writesNothingAndKeepsTheWindow) {
    keys::kEndMsg.Write(ProgramSettings(), 1);
    keys::kEndFile.Write(ProgramSettings(), "/gone.htm");
    const auto w = Started();
    w->show();
    w->MarkModified();
    const std::string before = Stored();

    boxes.Answer(Answer::Cancel); // the change prompt
    EXPECT_FALSE(w->close());
    boxes.Answer(Answer::No); // do not save ...
    boxes.Answer(Answer::No); // ... but do not end either
    w->Actions().exit->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Stored(), before);
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[2].text, "プログラムを終了してもよろしいですか？");
    EXPECT_EQ(boxes.shown()[2].style, kConfirmStyle);

    boxes.Answer(Answer::No);
    boxes.Answer(Answer::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(keys::kCell[1].ReadOr(ProgramSettings(), -1), 111);
    EXPECT_NE((Stored() + "\n").find("\n\"EndFile\"=\"\"\n"), std::string::npos)
        << "a never-saved collection leaves none to reopen";
}

TEST_F(MainWindowLife, closeBeforeStartUp_waitsForTheRestoredSettings) {
    keys::kMenuFile[0].Write(ProgramSettings(), "/d/a.htm");
    MainWindow w;
    w.SetMessageBoxService(&boxes);
    EXPECT_FALSE(w.close());
    EXPECT_EQ(keys::kCell[0].ReadOr(ProgramSettings(), -1), -1)
        << "nothing written from unrestored defaults";
    w.DeferredStartup();
    EXPECT_EQ(keys::kCell[0].ReadOr(ProgramSettings(), -1), 38);
    EXPECT_EQ(keys::kMenuFile[0].Read(ProgramSettings()), "/d/a.htm");
}

TEST_F(MainWindowLife, escWhileEditing_cancelsTheEditAndOnlyEscOutsideTheEditorCloses) {
    for (const bool escToClose : {false, true}) {
        SCOPED_TRACE(escToClose);
        keys::kEscToClose.Write(ProgramSettings(), escToClose ? 1 : 0);
        const auto w = Started();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->Grid()->setFocus();
        QTest::keyClick(w->Grid(), Qt::Key_H); // opens the editor on the entry row's cell
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_TRUE(w->isVisible()) << "Esc in the editor only cancels the edit";
        EXPECT_EQ(w->Doc().Table().RecordCount(), 0) << "the typed record is dropped";
        EXPECT_FALSE(w->Doc().IsModified());
        EXPECT_EQ(keys::kCell[0].ReadOr(ProgramSettings(), -1), -1);

        QTest::keyClick(w->Grid(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(w->isVisible(), !escToClose);
        EXPECT_EQ(keys::kCell[0].ReadOr(ProgramSettings(), -1), escToClose ? 38 : -1);
        EXPECT_TRUE(boxes.AllAnswered());
    }
}

// ---- font and title ------------------------------------------------------------------------

TEST_F(MainWindowLife, fontCommand_rescalesColumnsAndStoresTheFont) {
    keys::kCell[1].Write(ProgramSettings(), 100);
    const auto w = Started();
    std::optional<QFont> answer;
    w->FontAndTitle().SetFontChooser([&answer](const QFont& current) {
        EXPECT_EQ(current.pointSize(), 10);
        return answer;
    });
    w->Actions().font->trigger(); // cancelled
    EXPECT_EQ(w->Grid()->ColumnWidth(1), 100);
    EXPECT_EQ(keys::kFontSize.ReadOr(ProgramSettings(), -1), -1);

    QFont chosen(QApplication::font().family(), 12);
    chosen.setBold(true);
    chosen.setUnderline(true);
    answer = chosen;
    w->Actions().font->trigger();
    EXPECT_EQ(w->Grid()->ColumnWidth(1), 120);
    EXPECT_EQ(w->Grid()->ColumnWidth(0), 45); // 38 * 12 / 10, truncated
    EXPECT_EQ(w->Grid()->verticalHeader()->defaultSectionSize(), 24);
    EXPECT_EQ(w->FontAndTitle().DisplayFont(), chosen);
    EXPECT_EQ(keys::kFontSize.Read(ProgramSettings()), 12);
    EXPECT_EQ(keys::kFontName.Read(ProgramSettings()), "System")
        << "the default face keeps its stored name";
    EXPECT_EQ(keys::kFontBold.Read(ProgramSettings()), 1);
    EXPECT_EQ(keys::kFontItalic.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kFontUnderline.Read(ProgramSettings()), 1);
    EXPECT_EQ(keys::kFontStrikeOut.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kFontColor.Read(ProgramSettings()), keys::kFontColor.def);
}

TEST_F(MainWindowLife, titleCommand_setsEncodableNonEmptyTitlesAndMarksModified) {
    struct Case {
        const char* what;
        std::optional<QString> entered;
        std::string title; // cp932 bytes after the command
        bool modified;
        bool refused;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, "Linkhive", false, false},
        {"empty", QString(), "Linkhive", false, false},
        {"unchanged", QStringLiteral("Linkhive"), "Linkhive", true, false},
        {"Japanese", Utf8("リンク集"), "\x83\x8A\x83\x93\x83\x4E\x8F\x57", true, false},
        {"beyond cp932", Utf8("links \xF0\x9F\x94\x97"), "Linkhive", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto w = Started();
        w->FontAndTitle().SetTextInput([&c](const QString& caption, const QString& prompt,
                                            const QString& text, int maxLength) {
            EXPECT_EQ(caption, Utf8("Linkhive for Windows"));
            EXPECT_EQ(prompt, Utf8("このHtmlﾌｧｲﾙのﾀｲﾄﾙを入力してください。"));
            EXPECT_EQ(text, QStringLiteral("Linkhive"));
            EXPECT_EQ(maxLength, 255);
            return c.entered;
        });
        if (c.refused)
            boxes.Answer(Answer::Ok);
        w->Actions().title->trigger();
        EXPECT_EQ(w->Doc().DocumentTitle(), c.title);
        EXPECT_EQ(w->Doc().IsModified(), c.modified);
        EXPECT_TRUE(boxes.AllAnswered());
    }
    // The refusal names the character the title cannot hold.
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text.rfind("「\xF0\x9F\x94\x97」（U+1F517）", 0), 0u)
        << boxes.shown()[0].text;
}

// ---- hints ---------------------------------------------------------------------------------

TEST_F(MainWindowLife, hints_showWhatIsUnderThePointerOnceStartedUp) {
    MainWindow w;
    QAction* newItem = w.Actions().newFile;
    newItem->showStatusText(w.menuBar());
    EXPECT_EQ(w.StatusPanels().HintPanel()->text(), QString()) << "not bound before the start-up";

    keys::kShowHint.Write(ProgramSettings(), 0);
    w.SetMessageBoxService(&boxes);
    w.DeferredStartup();
    newItem->showStatusText(w.menuBar());
    EXPECT_EQ(w.StatusPanels().HintPanel()->text(), Utf8("新しいﾌｧｲﾙの作成"));

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(w.statusBar(), &enter);
    EXPECT_EQ(w.StatusPanels().HintPanel()->text(), Utf8("ここに（行:列）（説明）が表示されます"));
    w.Doc().SetHint("/data/links.htm"); // the loaded file: the window's own hint
    QApplication::sendEvent(w.Grid()->viewport(), &enter);
    EXPECT_EQ(w.StatusPanels().HintPanel()->text(), QStringLiteral("/data/links.htm"));

    TipCounter counter;
    w.Grid()->installEventFilter(&counter);
    QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(w.Grid(), &tip);
    EXPECT_EQ(counter.tips, 0) << "pop-up hints are switched off";
}
