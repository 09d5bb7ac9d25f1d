#include "ScriptedUi.h"
#include "WidgetTestSupport.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/MainWindow.h"
#include "dialogs/ProgramSettings.h"
#include "platform/FileSystem.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>

using namespace lh;

namespace {

class MainWindowExchange : public test::SettingsTest {
protected:
    void SetUp() override {
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->SetFileChooser(&chooser);
        w->DeferredStartup();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    // Types into the entry row's name without closing the editor.
    void TypeIntoEntryRow(const QString& text) {
        const QModelIndex index =
            w->GridEditing().ViewIndexOf(w->Doc().Table().RecordCount(), TableStore::kName);
        w->Grid()->setFocus();
        w->Grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        w->Grid()->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(w->Grid()->indexWidget(index));
        ASSERT_NE(editor, nullptr);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(editor, &press);
    }

    test::TempDir dir;
    test::ScriptedMessageBox boxes;
    test::ScriptedFileChooser chooser;
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(MainWindowExchange, importKeepsTheTypedRowAndBringsTheNewEndIntoView) {
    TypeIntoEntryRow(QStringLiteral("typed"));
    chooser.AnswerOpen(FileDialogResult{test::DataPath("edge-bookmarks.html"), 1, false});
    boxes.Answer(Answer::Ok);

    w->Actions().importRecords->trigger();

    const TableStore& table = w->Doc().Table();
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.Text(0, TableStore::kName), "typed");
    EXPECT_EQ(table.Text(2, TableStore::kAddress), "mailto:someone@example.com");
    EXPECT_TRUE(w->Doc().IsModified());
    EXPECT_EQ(w->GridEditing().CurrentRecord(), table.RecordCount());
    EXPECT_EQ(chooser.openRequests.at(0).title, "ブックマークの取り込み");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "2 件のレコードを追加しました。");
}

TEST_F(MainWindowExchange, exportWritesTheTableAndLeavesTheDocumentAsItWas) {
    w->Doc().Table().AppendRecord("n", "http://a/", "", "");
    w->Doc().ResetState({});
    chooser.AnswerSave(FileDialogResult{dir.File("out.csv"), 2, false});
    boxes.Answer(Answer::Ok);

    w->Actions().exportRecords->trigger();

    EXPECT_EQ(test::ReadFileBytes(dir.File("out.csv")),
              "\xEF\xBB\xBFNo.,名前,URL/E-Mail,ｱｸｾｽ日時,備考\r\n1,n,http://a/,,\r\n");
    EXPECT_FALSE(w->Doc().IsModified());
    EXPECT_EQ(w->Doc().Table().RecordCount(), 1);
}

// Each dialog opens where it was last used, also after the program was closed and started again.
TEST_F(MainWindowExchange, importAndExportDialogsOpenInTheFolderLastUsedForEach) {
    const std::string data = test::DataPath("edge-bookmarks.html");
    chooser.AnswerOpen(FileDialogResult{data, 4, false});
    boxes.Answer(Answer::Ok);
    w->Actions().importRecords->trigger();
    ASSERT_TRUE(w->Doc().Undo()); // nothing to save at close
    chooser.AnswerSave(FileDialogResult{dir.File("out.json"), 3, false});
    boxes.Answer(Answer::Ok);
    w->Actions().exportRecords->trigger();
    const std::string dataFolder = platform::DirectoryPart(data);
    const std::string exportFolder = platform::DirectoryPart(dir.File("out.json"));
    ASSERT_NE(dataFolder, exportFolder);
    EXPECT_EQ(chooser.openRequests.at(0).initialDir, "") << "nothing stored: the dialog's choice";
    ASSERT_TRUE(w->close());
    EXPECT_EQ(keys::kImportDir.Read(ProgramSettings()), dataFolder);
    EXPECT_EQ(keys::kImportFilter.Read(ProgramSettings()), 4);
    EXPECT_EQ(keys::kExportDir.Read(ProgramSettings()), exportFolder);
    EXPECT_EQ(keys::kExportFilter.Read(ProgramSettings()), 3);

    MainWindow next;
    next.SetMessageBoxService(&boxes);
    next.SetFileChooser(&chooser);
    next.DeferredStartup();
    chooser.AnswerOpen(std::nullopt);
    next.Actions().importRecords->trigger();
    chooser.AnswerSave(std::nullopt);
    next.Actions().exportRecords->trigger();
    ASSERT_EQ(chooser.openRequests.size(), 2u);
    EXPECT_EQ(chooser.openRequests[1].initialDir, dataFolder);
    EXPECT_EQ(chooser.openRequests[1].filterIndex, 4);
    ASSERT_EQ(chooser.saveRequests.size(), 2u);
    EXPECT_EQ(chooser.saveRequests[1].initialDir, exportFolder);
    EXPECT_EQ(chooser.saveRequests[1].filterIndex, 3);
    EXPECT_EQ(next.Doc().Table().RecordCount(), 0);
}
