#include "ScriptedUi.h"
#include "WidgetTestSupport.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/GaugeBar.h"
#include "app/MainWindow.h"
#include "app/StatusBarPanels.h"
#include "controls/Gauge.h"
#include "dialogs/AboutBox.h"
#include "dialogs/BarSettingsDialog.h"
#include "dialogs/OtherSettingsDialog.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

using namespace lh;
using test::Child;

namespace {

// A started window on the screen with a new collection, scripted message boxes and file
// dialogs, a recording opener and a settings file of its own.
class MainWindowCommands : public test::SettingsTest {
protected:
    void SetUp() override {
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->SetFileChooser(&chooser);
        w->SetOpener([this](const std::string& target, const std::vector<std::string>&) {
            opened.push_back(target);
            return true;
        });
        w->DeferredStartup();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    void AddRecords(std::initializer_list<const char*> addresses) {
        for (const char* a : addresses)
            w->Doc().Table().AppendRecord("", a, "", "");
        w->Doc().ResetState("");
    }

    // Answers the next scan dialog with a file holding `text`.
    void ScanFile(const std::string& name, const std::string& text) {
        test::WriteFileBytes(dir.File(name), text);
        chooser.AnswerOpen(FileDialogResult{dir.File(name), 1, false});
    }

    void Select(TableStore::Row record, int field) {
        w->Grid()->selectionModel()->setCurrentIndex(w->GridEditing().ViewIndexOf(record, field),
                                                     QItemSelectionModel::ClearAndSelect);
    }

    TableStore::Row CurrentRecord() const { return w->GridEditing().CurrentRecord(); }

    // Fully visible with no room left below it: the end of the table fills the view.
    void ExpectEntryRowCurrentAtTheBottom() const {
        EXPECT_EQ(CurrentRecord(), w->Doc().Table().RecordCount());
        const QRect entry = w->Grid()->visualRect(w->Grid()->currentIndex());
        const int height = w->Grid()->viewport()->height();
        EXPECT_GE(entry.top(), 0);
        EXPECT_LT(entry.bottom(), height);
        EXPECT_GE(entry.bottom() + entry.height(), height);
    }

    void DoubleClick(TableStore::Row record, int field) {
        const QPoint at =
            w->Grid()->visualRect(w->GridEditing().ViewIndexOf(record, field)).center();
        // The first click's press and release come before the double click itself.
        QTest::mouseClick(w->Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(w->Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // Runs `act` on the modal dialog the next menu command opens.
    template <typename Box> static void WhenOpened(std::function<void(Box&)> act) {
        QTimer::singleShot(0, [act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<Box*>(modal))
                return act(*box);
            ADD_FAILURE() << "expected dialog not shown";
            if (modal)
                modal->close();
        });
    }

    test::TempDir dir;
    test::ScriptedMessageBox boxes;
    test::ScriptedFileChooser chooser;
    std::vector<std::string> opened;
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(MainWindowCommands, urlScan_appendsNewAddressesAndShowsTheEntryRowAtTheBottom) {
    AddRecords({"http://A.B/"});
    w->Files().OpenDialog() = {"/collections", 2};
    std::string text = "<a href=\"Http://a.b/\">seen</a>\r\n";
    for (int i = 0; i < 80; ++i)
        text += "see http://host/" + std::to_string(i) + " and http://host/0\r\n";
    ScanFile("page.htm", text);
    Select(0, TableStore::kAccess);

    w->Actions().scanUrls->trigger();

    const TableStore& table = w->Doc().Table();
    EXPECT_EQ(table.RecordCount(), 81);
    EXPECT_EQ(table.Text(80, TableStore::kAddress), "http://host/79");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(CurrentRecord(), table.RecordCount());
    EXPECT_EQ(w->GridEditing().CurrentField(), TableStore::kAccess);
    ExpectEntryRowCurrentAtTheBottom();
    // The strip is gone again, and the file commands' dialog is as they left it.
    EXPECT_TRUE(w->Progress()->isHidden());
    EXPECT_FALSE(w->statusBar()->isHidden());
    EXPECT_EQ(w->Files().OpenDialog().dir, "/collections");
    EXPECT_EQ(w->Files().OpenDialog().filterIndex, 2);
    EXPECT_EQ(chooser.openRequests.at(0).title, "ファイルから追加[URL]");
}

TEST_F(MainWindowCommands, emailScan_marksTheCaptionOnlyWhenSomethingWasAdded) {
    AddRecords({"mailto:name@host"});
    for (int i = 0; i < 40; ++i)
        w->Doc().Table().AppendRecord("", "", "", "");
    Select(w->Doc().Table().RecordCount(), TableStore::kName);
    w->Grid()->scrollToTop();
    ScanFile("known.txt", "write to Name@HOST today\r\n");
    w->Actions().scanEmails->trigger();
    EXPECT_EQ(w->Doc().Table().RecordCount(), 41);
    EXPECT_FALSE(w->Doc().IsModified());
    ExpectEntryRowCurrentAtTheBottom(); // also when nothing was added

    ScanFile("new.txt", "a@b@c\r\n");
    w->Actions().scanEmails->trigger();
    EXPECT_EQ(w->Doc().Table().Text(42, TableStore::kAddress), "mailto:b@c");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(CurrentRecord(), 43);
}

TEST_F(MainWindowCommands, doubleClick_opensARecordsAddressWithoutAnEditorButNotTheEntryRow) {
    AddRecords({"http://a.b/x", "mailto:name@host"});
    DoubleClick(2, TableStore::kAddress);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(w->Doc().Table().RecordCount(), 2);

    Select(1, TableStore::kName); // a click on the current cell must not leave an editor behind
    DoubleClick(1, TableStore::kName);
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:name@host"});
    EXPECT_FALSE(w->Doc().Table().Text(1, TableStore::kAccess).empty());
    EXPECT_TRUE(w->Doc().Table().Text(0, TableStore::kAccess).empty());
    EXPECT_TRUE(w->Doc().IsModified());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_EQ(w->Grid()->indexWidget(w->Grid()->currentIndex()), nullptr);
}

TEST_F(MainWindowCommands, statusBarToggle_hidesShowsAndStoresVisible) {
    QAction* item = w->Actions().statusBarShown;
    item->trigger();
    EXPECT_TRUE(w->statusBar()->isHidden());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(keys::kStatusVisible.Read(ProgramSettings()), 0);
    // A long pass ends with the bar still hidden.
    w->ProgressDisplay().ProgressStart(10, "x");
    w->ProgressDisplay().ProgressEnd();
    EXPECT_TRUE(w->statusBar()->isHidden());

    item->trigger();
    EXPECT_FALSE(w->statusBar()->isHidden());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(keys::kStatusVisible.Read(ProgramSettings()), 1);
}

TEST_F(MainWindowCommands, statusBarToggledDuringAPass_takesEffectWhenThePassEnds) {
    QAction* item = w->Actions().statusBarShown;
    w->ProgressDisplay().ProgressStart(10, "x");
    ASSERT_TRUE(w->statusBar()->isHidden()) << "the strip holds the bar's place";
    item->trigger(); // off
    w->ProgressDisplay().ProgressEnd();
    EXPECT_TRUE(w->statusBar()->isHidden());

    w->ProgressDisplay().ProgressStart(10, "x");
    item->trigger(); // on
    EXPECT_TRUE(w->statusBar()->isHidden()) << "never over the running strip";
    w->ProgressDisplay().ProgressEnd();
    EXPECT_FALSE(w->statusBar()->isHidden());
}

TEST_F(MainWindowCommands, statusBarDialogOk_appliesPanelAndProgressLookAtOnce) {
    WhenOpened<BarSettingsDialog>([](BarSettingsDialog& box) {
        Child<QCheckBox>(box, "caretPanelBox")->click();
        Child<QRadioButton>(box, "blockGaugeButton")->click();
        Child<QPushButton>(box, "okButton")->click();
    });
    w->Actions().statusBarSettings->trigger();
    EXPECT_EQ(w->StatusPanels().CaretPanelWidth(), 0);
    EXPECT_TRUE(w->PositionPanel()->isHidden());
    EXPECT_TRUE(w->Progress()->SystemBar()->isHidden());
    EXPECT_FALSE(w->Progress()->BlockGauge()->isHidden());
}

TEST_F(MainWindowCommands, otherSettingsOk_changesWhatTheFileCommandsSee_clearedHistoryAtOnce) {
    w->RecentFiles().AddToHistory("/data/a.htm", "/elsewhere");
    w->Files().RebuildHistoryMenu();
    ASSERT_TRUE(w->Actions().history[0]->isVisible());
    WhenOpened<OtherSettingsDialog>([](OtherSettingsDialog& box) {
        Child<QPushButton>(box, "clearHistoryButton")->click();
        Child<QCheckBox>(box, "backupBox")->click();
        Child<QRadioButton>(box, "tildeBackupButton")->click();
        Child<QPushButton>(box, "okButton")->click();
    });
    w->Actions().otherSettings->trigger();
    EXPECT_EQ(w->Files().Options().backFile, 2);
    EXPECT_EQ(w->RecentFiles().Slot(0), "");
    EXPECT_FALSE(w->Actions().history[0]->isVisible());
    EXPECT_FALSE(w->Actions().historySeparator->isVisible());
}

TEST_F(MainWindowCommands, aboutBox_hiddenMessageComesUpOverTheBoxItself) {
    w->SetMessageBoxService(nullptr); // the program's own message boxes
    std::string owner;
    WhenOpened<AboutBox>([&owner](AboutBox& box) {
        QTimer::singleShot(0, [&owner] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* message = qobject_cast<QMessageBox*>(window);
                    message && message->isVisible()) {
                    if (const QWidget* parent = message->parentWidget())
                        owner = parent->objectName().toStdString();
                    message->accept();
                }
        });
        QTest::mouseDClick(Child<QLabel>(box, "picture"), Qt::LeftButton);
        box.accept();
    });
    w->Actions().about->trigger();
    EXPECT_EQ(owner, "AboutBox");
}

// Commands that read, replace or append to the records store the text being typed into a cell
// first; the others leave the editor open with its text.
TEST_F(MainWindowCommands, commands_storeTheCellBeingTypedOnlyWhenTheyUseTheRecords) {
    const MainActions& a = w->Actions();
    const auto cancelOpen = [this] { chooser.AnswerOpen(std::nullopt); };
    struct Case {
        const char* what;
        QAction* action;
        std::function<void()> prepare;
        bool stored;
    };
    const Case cases[] = {
        {"access", a.access, [] {}, true},
        {"URL scan", a.scanUrls, cancelOpen, true},
        {"e-mail scan", a.scanEmails, cancelOpen, true},
        {"import", a.importRecords, cancelOpen, true},
        {"export", a.exportRecords, [this] { chooser.AnswerSave(std::nullopt); }, true},
        {"help topics", a.helpTopics, [] {}, false},
        {"https option", a.httpsScan, [] {}, false},
    };
    AddRecords({"http://a/"});
    int typedCount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before(w->Doc().Table().Text(0, TableStore::kAddress));
        Select(0, TableStore::kAddress);
        w->Grid()->setFocus();
        w->Grid()->edit(w->Grid()->currentIndex());
        auto* editor = qobject_cast<QLineEdit*>(w->Grid()->indexWidget(w->Grid()->currentIndex()));
        ASSERT_NE(editor, nullptr);
        const std::string typed = "http://typed" + std::to_string(++typedCount) + "/";
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromStdString(typed)); // typed, as a user does
        c.prepare();

        c.action->trigger();

        EXPECT_EQ(w->Doc().Table().Text(0, TableStore::kAddress), c.stored ? typed : before);
        if (c.action == a.access) {
            EXPECT_EQ(opened, std::vector<std::string>{typed}) << "the typed address is opened";
        }
        w->Grid()->FinishEditing();
    }
}

TEST_F(MainWindowCommands, encodingItems_standForTheirEncodingAndShowTheStoredChoice) {
    struct Case {
        EncodingChoice choice;
        const char* caption;
    };
    const Case cases[] = {
        {EncodingChoice::Auto, "自動判別"}, {EncodingChoice::Cp932, "Shift_JIS"},
        {EncodingChoice::Utf8, "UTF-8"},    {EncodingChoice::Utf16, "UTF-16"},
        {EncodingChoice::EucJp, "EUC-JP"},  {EncodingChoice::Iso2022Jp, "ISO-2022-JP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QAction* item = w->Actions().Encoding(c.choice);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QString::fromUtf8(c.caption));
        item->trigger();
        EXPECT_EQ(w->Options().scan.encoding, c.choice);
        EXPECT_EQ(keys::kScanEncoding.Read(ProgramSettings()), EncodingChoiceName(c.choice));
        for (const Case& other : cases)
            EXPECT_EQ(w->Actions().Encoding(other.choice)->isChecked(), other.choice == c.choice);
    }
}

// Every item of the menus is reachable through its member, so no command is left unwired.
TEST_F(MainWindowCommands, everyMenuItemIsAMemberOfTheActions) {
    const MainActions& a = w->Actions();
    std::vector<const QAction*> members = {a.newFile,
                                           a.open,
                                           a.save,
                                           a.saveAs,
                                           a.reopen,
                                           a.importRecords,
                                           a.exportRecords,
                                           a.print,
                                           a.printerSetup,
                                           a.exit,
                                           a.undo,
                                           a.redo,
                                           a.deleteRecord,
                                           a.insertRecord,
                                           a.removeDuplicates,
                                           a.scanUrls,
                                           a.scanEmails,
                                           a.httpsScan,
                                           a.openPage,
                                           a.access,
                                           a.find,
                                           a.findNext,
                                           a.findPrevious,
                                           a.applyViewOrder,
                                           a.statusBarShown,
                                           a.statusBarSettings,
                                           a.font,
                                           a.otherSettings,
                                           a.title,
                                           a.helpTopics,
                                           a.helpUsage,
                                           a.homePage,
                                           a.homeShortcut,
                                           a.about,
                                           a.printSeparator,
                                           a.historySeparator,
                                           a.encodingMenu->menuAction()};
    members.insert(members.end(), a.history.begin(), a.history.end());
    members.insert(members.end(), a.encodings.begin(), a.encodings.end());
    const QMenu* menus[] = {a.fileMenu, a.editMenu, a.settingsMenu, a.helpMenu, a.encodingMenu};
    for (const QMenu* menu : menus) {
        ASSERT_NE(menu, nullptr);
        for (const QAction* item : menu->actions()) {
            // Plain separators between groups carry nothing to reach.
            if (item->isSeparator() && item != a.printSeparator && item != a.historySeparator)
                continue;
            EXPECT_NE(std::find(members.begin(), members.end(), item), members.end())
                << item->text().toStdString();
        }
    }
    EXPECT_EQ(std::count(members.begin(), members.end(), nullptr), 0);
}
