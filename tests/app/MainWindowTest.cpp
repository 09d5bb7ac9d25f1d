#include "app/MainWindow.h"

#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "core/CollectionFile.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace lh;

namespace {
QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

TEST(MainWindow, beforeStartUp_showsTheBareCaptionAndTheSystemChosenPlace) {
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), Utf8("Linkhive for Windows"));
    // Nothing stored: not the designed 427 x 270, but the place the system would give it.
    EXPECT_EQ(w.geometry(), StartupAndClose::SystemChosenGeometry(
                                QGuiApplication::primaryScreen()->availableGeometry()));
    EXPECT_TRUE(w.Grid()->isHidden());
    EXPECT_EQ(w.PositionPanel()->text(), Utf8("    0:    0"));
    EXPECT_EQ(w.statusBar()->height(), 19);
    EXPECT_EQ(w.statusBar()->statusTip(), Utf8("ここに（行:列）（説明）が表示されます"));
}

TEST(MainWindow, menus_haveTheirCaptionsInOrder) {
    MainWindow w;
    QStringList captions;
    for (QAction* a : w.menuBar()->actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{Utf8("ﾌｧｲﾙ(&F)"), Utf8("編集(&E)"), Utf8("設定(&S)"),
                                     Utf8("ﾍﾙﾌﾟ(&H)")}));
}

TEST(MainWindow, menuItems_carryCaptionShortcutHintAndVisibility) {
    MainWindow w;
    const MainActions& a = w.Actions();
    struct Item {
        const QAction* action;
        const char* caption;
        const char* shortcut;
        const char* hint;
        bool visible;
    };
    const Item items[] = {
        {a.newFile, "新規作成(&N)", "Ctrl+N", "新しいﾌｧｲﾙの作成", true},
        {a.open, "開く(&O)...", "Ctrl+O", "既存のﾌｧｲﾙを開く", true},
        {a.save, "上書き保存(&S)", "Ctrl+S", "ﾌｧｲﾙを保存する", true},
        {a.saveAs, "名前を付けて保存(&A)...", "", "ﾌｧｲﾙに別の名前を付けて保存する", true},
        {a.reopen, "読み直し(&R)", "", "このﾌｧｲﾙを読み直す", true},
        {a.print, "印刷(&P)...", "Ctrl+P", "文章を印刷する", false},
        {a.printerSetup, "ﾌﾟﾘﾝﾀの設定(&R)...", "", "ﾌﾟﾘﾝﾀの設定をする", false},
        {a.history[0], "&1", "", "", false},
        {a.history[4], "&5", "", "", false},
        {a.exit, "終了(&X)", "", "ｱﾌﾟﾘｹｰｼｮﾝの終了", true},
        {a.deleteRecord, "ﾚｺｰﾄﾞ削除(&D)", "", "現在の行を削除して上につめる", true},
        {a.insertRecord, "ﾚｺｰﾄﾞ挿入(&I)", "", "現在の行の上に新しい行を作る", true},
        {a.scanUrls, "ﾌｧｲﾙから追加[URL](&U)", "", "ﾌｧｲﾙからURL(http:)を探して追加する", true},
        {a.scanEmails, "ﾌｧｲﾙから追加[E-Mail](&E)", "", "ﾌｧｲﾙからE-Mailｱﾄﾞﾚｽを探して追加する", true},
        {a.openPage, "HTML表示(&H)", "F5", "このﾃﾞｰﾀをﾌﾞﾗｳｻﾞで開く", true},
        {a.access, "ｱｸｾｽ(&A)    [DblClick]", "", "URL/E-Mailにｱｸｾｽする", true},
        {a.statusBarShown, "ｽﾃｰﾀｽﾊﾞｰ(&S)", "", "ｽﾃｰﾀｽﾊﾞｰの表示/非表示を切替えます", true},
        {a.statusBarSettings, "ｽﾃｰﾀｽﾊﾞｰ(&B)...", "", "ｽﾃｰﾀｽﾊﾞｰを設定します", true},
        {a.font, "ﾌｫﾝﾄ(&F)...", "", "表示ﾌｫﾝﾄを設定します", true},
        {a.otherSettings, "その他(&O)...", "", "上記以外の設定をします", true},
        {a.title, "ﾀｲﾄﾙ(&T)...", "", "", true},
        {a.helpTopics, "ﾄﾋﾟｯｸの検索(&H)", "F1", "ﾍﾙﾌﾟのﾄﾋﾟｯｸの検索を表示します", true},
        {a.helpUsage, "ﾍﾙﾌﾟの使い方(&U)", "", "ﾍﾙﾌﾟの使い方を表示します", true},
        {a.homePage, "ｲﾝﾀｰﾈｯﾄ ﾛｰｶﾙﾌｧｲﾙ(&F)...", "", "Tessellaのﾎｰﾑﾍﾟｰｼﾞにｱｸｾﾙします", true},
        {a.homeShortcut, "ｲﾝﾀｰﾈｯﾄ ｼｮｰﾄｶｯﾄ(&S)...", "", "Tessellaのﾎｰﾑﾍﾟｰｼﾞに直接ｱｸｾﾙします", true},
        {a.about, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "F2", "ﾊﾞｰｼﾞｮﾝ情報を表示します", true},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        ASSERT_NE(item.action, nullptr);
        EXPECT_EQ(item.action->text(), Utf8(item.caption));
        EXPECT_EQ(item.action->shortcut().toString(QKeySequence::PortableText),
                  Utf8(item.shortcut));
        EXPECT_EQ(item.action->statusTip(), Utf8(item.hint));
        EXPECT_EQ(item.action->isVisible(), item.visible);
    }
    EXPECT_TRUE(w.Actions().statusBarShown->isChecked());
    EXPECT_FALSE(w.Actions().reopen->isEnabled());
}

TEST(MainWindow, startUp_setsUpTheTableAndOpensANewCollection) {
    MainWindow w;
    w.DeferredStartup();
    EXPECT_EQ(w.windowTitle(), Utf8("Linkhive for Windows - [NewFile]"));
    EXPECT_FALSE(w.Grid()->isHidden());
    EXPECT_EQ(w.Doc().DocumentTitle(), "Linkhive");
    EXPECT_EQ(w.Model()->rowCount(), 1); // the entry row
    EXPECT_EQ(w.Model()->headerData(0, Qt::Vertical).toString(), Utf8("1"));

    // Default font size 10: rows twice the point size, widths scaled from size 9.
    EXPECT_EQ(w.Grid()->verticalHeader()->defaultSectionSize(), 20);
    const int widths[] = {38, 111, 277, 133, 111};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(w.Grid()->ColumnWidth(c), widths[c]) << "column " << c;

    QStringList headings;
    for (int c = 0; c < 4; ++c)
        headings << w.Model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings,
              (QStringList{Utf8("名前"), Utf8("URL/E-Mail"), Utf8("ｱｸｾｽ日時"), Utf8("備考")}));
}

TEST(MainWindow, caption_followsModifiedAndWriteProtectStates) {
    MainWindow w;
    w.DeferredStartup();
    w.MarkModified();
    w.MarkModified();
    EXPECT_EQ(w.windowTitle(), Utf8("*Linkhive for Windows - [NewFile]"));

    w.Doc().ResetState("/tmp/x/links.htm", true);
    w.MarkModified();
    EXPECT_EQ(w.windowTitle(), Utf8("*Linkhive for Windows - [links.htm] (上書禁止)"));

    // A file called "*" must not vanish into the toolkit's own modified placeholder.
    w.Doc().ResetState("/tmp/x/*");
    EXPECT_EQ(w.windowTitle().remove(QStringLiteral("[*][*]")), Utf8("Linkhive for Windows - "));
}

TEST(MainWindow, newCommand_asksForChangesThenClearsTableButKeepsTheTitle) {
    MainWindow w;
    test::ScriptedMessageBox boxes;
    w.SetMessageBoxService(&boxes);
    w.DeferredStartup();
    w.Doc().Table().AppendRecord("a", "http://a", "", "");
    w.Doc().SetDocumentTitle("Mine");
    w.MarkModified();

    boxes.Answer(Answer::Cancel);
    w.Actions().newFile->trigger();
    EXPECT_EQ(w.Doc().Table().RecordCount(), 1);

    boxes.Answer(Answer::No);
    w.Actions().newFile->trigger();
    EXPECT_EQ(w.Doc().Table().RecordCount(), 0);
    EXPECT_EQ(w.Doc().DocumentTitle(), "Mine");
    EXPECT_EQ(w.Doc().CurrentFile(), "");
    EXPECT_EQ(w.windowTitle(), Utf8("Linkhive for Windows - [NewFile]"));
    EXPECT_FALSE(w.Actions().reopen->isEnabled());
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].style, kSavePromptStyle);
}

TEST(MainWindow, loadingAFile_bringsTheFirstRowAndColumnToTheTopLeft) {
    test::TempDir dir;
    TableStore table;
    for (int i = 0; i < 300; ++i)
        table.AppendRecord("name", "http://example.com/" + std::to_string(i), "", "");
    const std::string path = dir.File("many.htm");
    NullProgress none;
    IoError error;
    ASSERT_TRUE(SaveCollectionFile(path, table, "Many", BackupKind::None, none, error));

    MainWindow w;
    w.DeferredStartup();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.Files().OpenDocument(path, OpenMode::Normal));
    w.Grid()->SetColumnWidth(2, 4000);
    QCoreApplication::processEvents();
    QScrollBar* across = w.Grid()->horizontalScrollBar();
    QScrollBar* down = w.Grid()->verticalScrollBar();
    ASSERT_GT(across->maximum(), 0);
    ASSERT_GT(down->maximum(), 0);
    across->setValue(across->maximum());
    down->setValue(down->maximum());

    ASSERT_TRUE(w.Files().OpenDocument(path, OpenMode::Normal));
    EXPECT_EQ(across->value(), across->minimum());
    EXPECT_EQ(down->value(), down->minimum());
}

TEST(MainWindow, historyMenu_followsTheRecentFiles) {
    MainWindow w;
    w.DeferredStartup();
    w.RecentFiles().AddToHistory("/data/a.htm", "/elsewhere");
    w.Files().RebuildHistoryMenu();
    EXPECT_TRUE(w.Actions().historySeparator->isVisible());
    EXPECT_TRUE(w.Actions().history[0]->isVisible());
    EXPECT_TRUE(w.Actions().history[0]->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_FALSE(w.Actions().history[1]->isVisible());
}

TEST(MainWindow, activationByAnotherStart_restoresAMinimisedWindow) {
    MainWindow w;
    w.showMinimized();
    ASSERT_TRUE(w.isMinimized());
    w.ActivateFromAnotherStart();
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.ActivationCount(), 1);
}
