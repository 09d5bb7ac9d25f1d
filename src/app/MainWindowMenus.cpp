#include "CollectionGrid.h"
#include "CollectionView.h"
#include "DisplayFontAndTitle.h"
#include "MainWindow.h"
#include "StatusBarPanels.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace lh {

namespace {

QMenu* AddMenu(QMenuBar* bar, const char* caption, const char* hint) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    if (hint)
        MainWindow::ApplyHint(menu->menuAction(), hint);
    return menu;
}

QAction* AddSeparator(QObject* owner, QMenu* menu) {
    QAction* separator = menu->addSeparator();
    separator->setParent(owner);
    return separator;
}

struct EncodingMenuEntry {
    const char* caption;
    EncodingChoice choice;
};

// The encodings a scan may read files in, in the order of EncodingChoice.
constexpr EncodingMenuEntry kEncodingMenu[] = {
    {"自動判別", EncodingChoice::Auto}, {"Shift_JIS", EncodingChoice::Cp932},
    {"UTF-8", EncodingChoice::Utf8},    {"UTF-16", EncodingChoice::Utf16},
    {"EUC-JP", EncodingChoice::EucJp},  {"ISO-2022-JP", EncodingChoice::Iso2022Jp},
};

constexpr const char* kUndoCaption = "元に戻す(&Z)";
constexpr const char* kRedoCaption = "やり直し(&Y)";

// The caption of an undo or redo item: the command, then the step it would apply.
QString StepCaption(const char* caption, const std::string& step) {
    QString text = QString::fromUtf8(caption);
    if (!step.empty())
        text += QStringLiteral(" - ") + QString::fromStdString(step);
    return text;
}

} // namespace

QAction* MainWindow::AddCommand(QMenu* menu, const CommandText& text, OpenEditor editor,
                                std::function<void()> handler) {
    auto* item = new QAction(QString::fromUtf8(text.caption), this);
    if (text.hint)
        ApplyHint(item, text.hint);
    if (text.shortcut.key() != Qt::Key_unknown)
        item->setShortcut(QKeySequence(text.shortcut));
    menu->addAction(item);
    if (handler)
        connect(item, &QAction::triggered, this,
                [this, editor, handler = std::move(handler)] { RunCommand(editor, handler); });
    return item;
}

void MainWindow::RunCommand(OpenEditor editor, const std::function<void()>& command) {
    // The text being typed into a cell is stored before a command that reads, replaces or
    // appends to the records, or that may ask to save them.
    if (editor == OpenEditor::Commit)
        m_grid->FinishEditing();
    command();
}

void MainWindow::CreateMenus() {
    CreateFileMenu();
    CreateEditMenu();
    CreateSettingsMenu();
    CreateHelpMenu();
}

void MainWindow::CreateFileMenu() {
    MainActions& a = m_actions;
    a.fileMenu = AddMenu(menuBar(), "ﾌｧｲﾙ(&F)", "ﾌｧｲﾙ操作に関するｺﾏﾝﾄﾞ");
    QMenu* file = a.fileMenu;
    const auto fileCommand = [this](void (FileCommands::*run)()) {
        return [this, run] { ((*m_files).*run)(); };
    };
    const OpenEditor commit = OpenEditor::Commit;
    a.newFile = AddCommand(file, {"新規作成(&N)", "新しいﾌｧｲﾙの作成", Qt::CTRL | Qt::Key_N}, commit,
                           fileCommand(&FileCommands::NewCollection));
    a.open = AddCommand(file, {"開く(&O)...", "既存のﾌｧｲﾙを開く", Qt::CTRL | Qt::Key_O}, commit,
                        fileCommand(&FileCommands::OpenChosenFile));
    a.save = AddCommand(file, {"上書き保存(&S)", "ﾌｧｲﾙを保存する", Qt::CTRL | Qt::Key_S}, commit,
                        fileCommand(&FileCommands::Save));
    a.saveAs = AddCommand(file, {"名前を付けて保存(&A)...", "ﾌｧｲﾙに別の名前を付けて保存する"},
                          commit, fileCommand(&FileCommands::SaveAs));
    a.reopen = AddCommand(file, {"読み直し(&R)", "このﾌｧｲﾙを読み直す"}, commit,
                          fileCommand(&FileCommands::Reopen));
    a.reopen->setEnabled(false);
    AddSeparator(this, file);
    // Records go in behind the row being typed into.
    a.importRecords = AddCommand(
        file,
        {"ブックマークの取り込み(&I)...", "ﾌﾞﾗｳｻﾞのﾌﾞｯｸﾏｰｸ、CSV、JSONのﾌｧｲﾙからﾚｺｰﾄﾞを追加する"},
        commit, [this] { m_exchange->ImportWithDialog(); });
    a.exportRecords =
        AddCommand(file, {"エクスポート(&E)...", "ﾌﾞｯｸﾏｰｸ、CSV、JSONのﾌｧｲﾙにﾚｺｰﾄﾞを書き出す"},
                   commit, [this] { m_exchange->ExportWithDialog(); });

    // Printing is not offered: the items exist but stay hidden, with their separator.
    a.printSeparator = AddSeparator(this, file);
    a.printSeparator->setVisible(false);
    a.print = AddCommand(file, {"印刷(&P)...", "文章を印刷する", Qt::CTRL | Qt::Key_P},
                         OpenEditor::Leave, nullptr);
    a.print->setVisible(false);
    a.printerSetup =
        AddCommand(file, {"ﾌﾟﾘﾝﾀの設定(&R)...", "ﾌﾟﾘﾝﾀの設定をする"}, OpenEditor::Leave, nullptr);
    a.printerSetup->setVisible(false);

    // History items: hidden until the recent-file history fills them.
    a.historySeparator = AddSeparator(this, file);
    a.historySeparator->setVisible(false);
    static constexpr CommandText kHistory[] = {
        {"&1", "1 (なし)|"}, {"&2", "2 (なし)|"}, {"&3", "3 (なし)|"},
        {"&4", "4 (なし)|"}, {"&5", "5 (なし)|"},
    };
    static_assert(std::size(kHistory) == MainActions::kHistorySlots);
    for (int slot = 0; slot < static_cast<int>(MainActions::kHistorySlots); ++slot) {
        QAction* item = AddCommand(file, kHistory[slot], commit,
                                   [this, slot] { m_files->OpenRecent(slot + 1); });
        item->setVisible(false);
        a.history[static_cast<std::size_t>(slot)] = item;
    }
    AddSeparator(this, file);

    // The close check stores the open cell itself.
    a.exit =
        AddCommand(file, {"終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝの終了"}, OpenEditor::Leave, [this] { close(); });
}

void MainWindow::CreateEditMenu() {
    MainActions& a = m_actions;
    a.editMenu = AddMenu(menuBar(), "編集(&E)", "編集操作に関するｺﾏﾝﾄﾞ");
    QMenu* edit = a.editMenu;
    const OpenEditor commit = OpenEditor::Commit;
    // The text being typed is stored first, so undo takes back that edit as a whole; inside
    // the cell editor the keys undo its typing instead.
    const auto applyStep = [this](bool (Document::*apply)(TableStore::Row*)) {
        return [this, apply] {
            const int field = m_collectionGrid->CurrentField();
            TableStore::Row where = -1;
            if ((m_doc.*apply)(&where) && where >= 0)
                m_collectionGrid->SetCurrentCell(std::min(where, m_doc.Table().RecordCount()),
                                                 field >= 0 ? field : TableStore::kName);
        };
    };
    a.undo = AddCommand(edit, {kUndoCaption, "直前の操作を取り消す", Qt::CTRL | Qt::Key_Z}, commit,
                        applyStep(&Document::Undo));
    a.redo = AddCommand(edit, {kRedoCaption, "取り消した操作をやり直す", Qt::CTRL | Qt::Key_Y},
                        commit, applyStep(&Document::Redo));
    a.redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    const auto showSteps = [this] {
        const EditHistory& edits = m_doc.Edits();
        m_actions.undo->setText(StepCaption(kUndoCaption, edits.UndoName()));
        m_actions.undo->setEnabled(edits.CanUndo());
        m_actions.redo->setText(StepCaption(kRedoCaption, edits.RedoName()));
        m_actions.redo->setEnabled(edits.CanRedo());
    };
    showSteps();
    m_doc.AddStateObserver(showSteps);
    edit->addSeparator();
    a.deleteRecord = AddCommand(edit, {"ﾚｺｰﾄﾞ削除(&D)", "現在の行を削除して上につめる"}, commit,
                                [this] { DeleteRecord(); });
    a.insertRecord = AddCommand(edit, {"ﾚｺｰﾄﾞ挿入(&I)", "現在の行の上に新しい行を作る"}, commit,
                                [this] { InsertRecord(); });
    a.removeDuplicates =
        AddCommand(edit, {"重複の削除(&R)", "前のﾚｺｰﾄﾞと同じURL/E-Mailのﾚｺｰﾄﾞを削除する"}, commit,
                   [this] { RemoveDuplicates(); });
    edit->addSeparator();
    // A scan appends behind the row being typed into.
    a.scanUrls = AddCommand(edit, {"ﾌｧｲﾙから追加[URL](&U)", "ﾌｧｲﾙからURL(http:)を探して追加する"},
                            commit, [this] { m_scans->ScanFileForUrls(); });
    a.scanEmails =
        AddCommand(edit, {"ﾌｧｲﾙから追加[E-Mail](&E)", "ﾌｧｲﾙからE-Mailｱﾄﾞﾚｽを探して追加する"},
                   commit, [this] { m_scans->ScanFileForEmails(); });
    a.httpsScan = AddCommand(edit, {"https:// も追加する", "URLの検索でhttps://も探す"},
                             OpenEditor::Leave, [this] { ToggleHttpsScan(); });
    a.httpsScan->setCheckable(true);
    a.encodingMenu = edit->addMenu(QString::fromUtf8("読み込む文字ｺｰﾄﾞ(&C)"));
    ApplyHint(a.encodingMenu->menuAction(), "ﾌｧｲﾙから追加するときの文字ｺｰﾄﾞ");
    a.encodingGroup = new QActionGroup(this);
    for (const EncodingMenuEntry& entry : kEncodingMenu) {
        const EncodingChoice choice = entry.choice;
        QAction* item = AddCommand(a.encodingMenu, {entry.caption, nullptr}, OpenEditor::Leave,
                                   [this, choice] { SetScanEncoding(choice); });
        item->setCheckable(true);
        a.encodingGroup->addAction(item);
        a.encodings[static_cast<std::size_t>(choice)] = item;
    }
    edit->addSeparator();
    a.openPage = AddCommand(edit, {"HTML表示(&H)", "このﾃﾞｰﾀをﾌﾞﾗｳｻﾞで開く", Qt::Key_F5}, commit,
                            [this] { OpenCollectionPage(); });
    a.access = AddCommand(edit, {"ｱｸｾｽ(&A)    [DblClick]", "URL/E-Mailにｱｸｾｽする"}, commit,
                          [this] { AccessRecord(); });
    CreateFindCommands(edit);
}

void MainWindow::CreateSettingsMenu() {
    MainActions& a = m_actions;
    a.settingsMenu = AddMenu(menuBar(), "設定(&S)", nullptr);
    QMenu* settings = a.settingsMenu;
    const OpenEditor commit = OpenEditor::Commit;
    // The item is checkable, so the toolkit has already flipped its tick; the wish kept with the
    // status bar is what the toggle inverts, and it sets the tick again.
    a.statusBarShown = AddCommand(settings, {"ｽﾃｰﾀｽﾊﾞｰ(&S)", "ｽﾃｰﾀｽﾊﾞｰの表示/非表示を切替えます"},
                                  OpenEditor::Leave, [this] { lh::ToggleStatusBar(*m_statusBar); });
    a.statusBarShown->setCheckable(true);
    a.statusBarShown->setChecked(true);
    a.statusBarSettings = AddCommand(settings, {"ｽﾃｰﾀｽﾊﾞｰ(&B)...", "ｽﾃｰﾀｽﾊﾞｰを設定します"}, commit,
                                     [this] { ShowBarSettings(); });
    settings->addSeparator();
    a.font = AddCommand(settings, {"ﾌｫﾝﾄ(&F)...", "表示ﾌｫﾝﾄを設定します"}, OpenEditor::Leave,
                        [this] { m_fontAndTitle->ChooseFont(); });
    a.otherSettings = AddCommand(settings, {"その他(&O)...", "上記以外の設定をします"}, commit,
                                 [this] { ShowOtherSettings(); });
    settings->addSeparator();
    a.title = AddCommand(settings, {"ﾀｲﾄﾙ(&T)...", nullptr}, commit,
                         [this] { m_fontAndTitle->EditTitle(); });
}

void MainWindow::CreateHelpMenu() {
    MainActions& a = m_actions;
    a.helpMenu = AddMenu(menuBar(), "ﾍﾙﾌﾟ(&H)", nullptr);
    QMenu* help = a.helpMenu;
    const OpenEditor leave = OpenEditor::Leave;
    a.helpTopics =
        AddCommand(help, {"ﾄﾋﾟｯｸの検索(&H)", "ﾍﾙﾌﾟのﾄﾋﾟｯｸの検索を表示します", Qt::Key_F1}, leave,
                   [this] { m_launch->ShowHelpTopics(); });
    a.helpUsage = AddCommand(help, {"ﾍﾙﾌﾟの使い方(&U)", "ﾍﾙﾌﾟの使い方を表示します"}, leave,
                             [this] { m_launch->ShowUserGuide(); });
    help->addSeparator();
    a.homePage = AddCommand(help, {"ｲﾝﾀｰﾈｯﾄ ﾛｰｶﾙﾌｧｲﾙ(&F)...", "Tessellaのﾎｰﾑﾍﾟｰｼﾞにｱｸｾﾙします"},
                            leave, [this] { m_launch->OpenHomePage(); });
    a.homeShortcut =
        AddCommand(help, {"ｲﾝﾀｰﾈｯﾄ ｼｮｰﾄｶｯﾄ(&S)...", "Tessellaのﾎｰﾑﾍﾟｰｼﾞに直接ｱｸｾﾙします"}, leave,
                   [this] { m_launch->OpenHomeShortcut(); });
    help->addSeparator();
    a.about = AddCommand(help, {"ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾊﾞｰｼﾞｮﾝ情報を表示します", Qt::Key_F2},
                         OpenEditor::Commit, [this] { ShowAbout(); });
}

} // namespace lh
