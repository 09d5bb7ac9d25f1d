#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/GaugeBar.h"
#include "app/MainWindow.h"
#include "controls/Gauge.h"
#include "dialogs/AboutBox.h"
#include "dialogs/SetBarBox.h"
#include "dialogs/SetOtherBox.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

struct Opened {
    std::string target;
    std::vector<std::string> parameters;
};

// A started window on the screen with a new collection, scripted message boxes and file
// dialogs, a recording opener and a settings file of its own.
class MainWindowCommands : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->SetFileChooser(&chooser);
        w->SetOpener([this](const std::string& target, const std::vector<std::string>& params) {
            opened.push_back({target, params});
            return true;
        });
        w->Timer1Timer();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    void AddRecords(std::initializer_list<const char*> addresses) {
        for (const char* a : addresses)
            w->Doc().Table().AppendRecord("", a, "", "");
        w->Doc().SetFileCaption("");
    }

    // Answers the scan dialog with a file holding `text`.
    std::string ScanFile(const std::string& name, const std::string& text) {
        const std::string path = dir.File(name);
        test::WriteFileBytes(path, text);
        chooser.AnswerOpen(FileDialogResult{path, 1, false});
        return path;
    }

    void Select(qint64 row, int col) {
        w->Grid()->selectionModel()->setCurrentIndex(w->Model()->IndexAt(row, col),
                                                     QItemSelectionModel::ClearAndSelect);
    }

    qint64 CurrentRow() const { return CollectionModel::GridRow(w->Grid()->currentIndex()); }
    int CurrentColumn() const { return CollectionModel::GridColumn(w->Grid()->currentIndex()); }

    // The entry row is fully visible and no space is left below it: the end of the table fills
    // the view.
    bool EntryRowAtTheBottom() const {
        const QRect entry = w->Grid()->visualRect(w->Grid()->currentIndex());
        const int height = w->Grid()->viewport()->height();
        return entry.top() >= 0 && entry.bottom() < height &&
               entry.bottom() + entry.height() >= height;
    }

    QWidget* Editor() const { return w->Grid()->indexWidget(w->Grid()->currentIndex()); }

    void DoubleClick(qint64 row, int col) {
        const QRect cell = w->Grid()->visualRect(w->Model()->IndexAt(row, col));
        // The press and release of the first click come before the double click itself.
        QTest::mouseClick(w->Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(w->Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    // Runs `act` on the modal dialog of type Box once the menu item has opened it.
    template <typename Box> void WhenOpened(std::function<void(Box&)> act) {
        QTimer::singleShot(0, [act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<Box*>(modal)) {
                act(*box);
            } else {
                ADD_FAILURE() << "expected dialog not shown";
                if (modal)
                    modal->close();
            }
        });
    }

    template <typename T> static T* Child(const QWidget& parent, const char* name) {
        T* child = parent.findChild<T*>(QString::fromLatin1(name));
        if (!child)
            ADD_FAILURE() << "no child " << name;
        return child;
    }

    test::ScopedSettingsFile settings;
    test::TempDir dir;
    test::ScriptedMessageBox boxes;
    test::ScriptedFileChooser chooser;
    std::vector<Opened> opened;
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(MainWindowCommands, urlScan_appendsNewAddressesAndBringsTheEntryRowIntoView) {
    AddRecords({"http://A.B/"});
    w->Files().OpenDialog() = {"/collections", 2};
    std::string text = "<a href=\"Http://a.b/\">seen</a>\r\n";
    for (int i = 0; i < 80; ++i)
        text += "see http://host/" + std::to_string(i) + " and http://host/0\r\n";
    ScanFile("page.htm", text);
    Select(1, 3);

    w->Item("EditFileURLItem")->trigger();

    const TableStore& table = w->Doc().Table();
    EXPECT_EQ(table.RecordCount(), 81);
    EXPECT_EQ(table.Cell(2, 2), "http://host/0");
    EXPECT_EQ(table.Cell(81, 2), "http://host/79");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(CurrentRow(), table.EntryRow());
    EXPECT_EQ(CurrentColumn(), 3);
    EXPECT_TRUE(EntryRowAtTheBottom());
    // The strip is gone again and the file commands' dialog is as they left it.
    EXPECT_TRUE(w->Progress()->isHidden());
    EXPECT_FALSE(w->statusBar()->isHidden());
    EXPECT_EQ(w->Files().OpenDialog().dir, "/collections");
    EXPECT_EQ(w->Files().OpenDialog().filterIndex, 2);
    ASSERT_EQ(chooser.openRequests.size(), 1u);
    EXPECT_EQ(chooser.openRequests[0].title, "ファイルから追加[URL]");
    EXPECT_EQ(w->Options().addDir, dir.Path().string());
}

TEST_F(MainWindowCommands, emailScan_marksTheCaptionOnlyWhenSomethingWasAdded) {
    AddRecords({"mailto:name@host"});
    ScanFile("known.txt", "write to Name@HOST today\r\n");
    w->Item("EditFileEMItem")->trigger();
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(CurrentRow(), 2); // the entry row, even when nothing was found

    ScanFile("new.txt", "a@b@c\r\n");
    w->Item("EditFileEMItem")->trigger();
    EXPECT_EQ(w->Doc().Table().Cell(2, 2), "mailto:a@b");
    EXPECT_EQ(w->Doc().Table().Cell(3, 2), "mailto:b@c");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(CurrentRow(), 4);
    EXPECT_EQ(chooser.openRequests.back().title, "ファイルから追加[E-Mail]");
}

TEST_F(MainWindowCommands, doubleClickOnRecord_opensTheAddressAndStampsTheAccessTime) {
    AddRecords({"http://a.b/x", "mailto:name@host"});
    Select(2, 1); // a click on the current cell must not start an editor either
    DoubleClick(2, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "mailto:name@host");
    EXPECT_FALSE(w->Doc().Table().Cell(2, 3).empty());
    EXPECT_TRUE(w->Doc().Table().Cell(1, 3).empty());
    EXPECT_TRUE(w->Doc().IsModified());
    // The double click is the access command, not the cell editor.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_EQ(Editor(), nullptr);
    // Typing still edits.
    QTest::keyClick(w->Grid(), Qt::Key_Z);
    EXPECT_NE(Editor(), nullptr);
}

TEST_F(MainWindowCommands, doubleClickOnEntryRow_doesNothing) {
    AddRecords({"http://a.b/x"});
    DoubleClick(2, 2);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(w->Doc().Table().RowCount(), 3);
}

TEST_F(MainWindowCommands, htmlView_ofAnUnsavedCollectionOpensNothingAfterNo) {
    AddRecords({"http://a.b/x"});
    w->MarkModified();
    boxes.Answer(mb::kIdNo);
    w->Item("EditHtmlItem")->trigger();
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindowCommands, statusBarToggle_hidesShowsAndStoresVisible) {
    QAction* item = w->Item("SetStatusVisItem");
    item->trigger();
    EXPECT_TRUE(w->statusBar()->isHidden());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(keys::kStatusVisible.Read(), 0);

    // A long pass ends with the bar still hidden.
    w->ProgressDisplay().ProgressStart(10, "x");
    w->ProgressDisplay().ProgressEnd();
    EXPECT_TRUE(w->statusBar()->isHidden());

    item->trigger();
    EXPECT_FALSE(w->statusBar()->isHidden());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(keys::kStatusVisible.Read(), 1);
}

TEST_F(MainWindowCommands, statusBarDialogOk_appliesPanelAndProgressLookAtOnce) {
    WhenOpened<TSetBarBox>([](TSetBarBox& box) {
        Child<QCheckBox>(box, "CheckBox5")->click();
        Child<QRadioButton>(box, "RadioButton2")->click();
        Child<QPushButton>(box, "BitBtn1")->click();
    });
    w->Item("SetToolItem")->trigger();
    EXPECT_EQ(w->CaretPanelWidth(), 0);
    EXPECT_EQ(keys::kPanelVisible1.Read(), 0);
    EXPECT_FALSE(w->Options().newGauge);
    EXPECT_TRUE(w->Progress()->ProgressBar1()->isHidden());
    EXPECT_FALSE(w->Progress()->Gauge1()->isHidden());
}

TEST_F(MainWindowCommands, otherSettingsOk_changesWhatTheFileCommandsSeeAndClearsHistoryAtOnce) {
    w->RecentFiles().AddToHistory("/data/a.htm", "/elsewhere");
    w->Files().RebuildHistoryMenu();
    ASSERT_TRUE(w->Item("File1Item")->isVisible());
    WhenOpened<TSetOtherBox>([](TSetOtherBox& box) {
        Child<QPushButton>(box, "Button1")->click();
        Child<QCheckBox>(box, "CheckBox10")->click();
        Child<QRadioButton>(box, "RadioButton2")->click();
        Child<QCheckBox>(box, "CheckBox7")->click();
        Child<QPushButton>(box, "BitBtn1")->click();
    });
    w->Item("SetOthersItem")->trigger();
    EXPECT_EQ(w->Files().Options().backFile, 2);
    EXPECT_TRUE(w->Files().Options().openToSave);
    EXPECT_EQ(keys::kBackFile.Read(), 2);
    EXPECT_EQ(w->RecentFiles().Slot(0), "");
    EXPECT_FALSE(w->Item("File1Item")->isVisible());
    EXPECT_FALSE(w->Item("N2")->isVisible());
}

TEST_F(MainWindowCommands, aboutItem_showsTheAboutBoxOwnedByTheWindow) {
    MainWindow* window = w.get();
    WhenOpened<TAboutBox>([window](TAboutBox& box) {
        EXPECT_EQ(box.parentWidget(), window);
        box.Image1DblClick(); // the feedback note goes through the window's message boxes
        box.accept();
    });
    boxes.Answer(mb::kIdOk);
    w->Item("HelpAboutItem")->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "御意見・御希望等、気軽にメールしてください。");
}
