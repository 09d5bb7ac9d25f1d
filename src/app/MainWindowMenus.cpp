#include "CollectionView.h"
#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace lh {

namespace {

void SetHint(QAction* item, const char* hint) {
    MainWindow::ApplyHint(item, hint);
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption, const char* hint) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
    if (hint)
        SetHint(menu->menuAction(), hint);
    return menu;
}

QAction* AddItem(QWidget* owner, QMenu* menu, const char* name, const char* caption,
                 const char* hint, const QKeySequence& shortcut = QKeySequence()) {
    auto* item = new QAction(QString::fromUtf8(caption), owner);
    item->setObjectName(QString::fromLatin1(name));
    if (hint)
        SetHint(item, hint);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    menu->addAction(item);
    return item;
}

struct EncodingMenuEntry {
    const char* name;
    const char* caption;
    EncodingChoice choice;
};

// The encodings a scan may read files in, "自動判別" first.
constexpr EncodingMenuEntry kEncodingMenu[] = {
    {"EditEncodingAutoItem", "自動判別", EncodingChoice::Auto},
    {"EditEncodingCp932Item", "Shift_JIS", EncodingChoice::Cp932},
    {"EditEncodingUtf8Item", "UTF-8", EncodingChoice::Utf8},
    {"EditEncodingUtf16Item", "UTF-16", EncodingChoice::Utf16},
    {"EditEncodingEucJpItem", "EUC-JP", EncodingChoice::EucJp},
    {"EditEncodingIso2022JpItem", "ISO-2022-JP", EncodingChoice::Iso2022Jp},
};

QAction* AddSeparator(QWidget* owner, QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setParent(owner);
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

} // namespace

void MainWindow::CreateMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    CreateFileMenu();
    CreateEditMenu();
    CreateSettingsMenu();
    CreateHelpMenu();
}

void MainWindow::CreateFileMenu() {
    QMenu* file = AddMenu(menuBar(), "FileMenu", "ﾌｧｲﾙ(&F)", "ﾌｧｲﾙ操作に関するｺﾏﾝﾄﾞ");
    const auto command = [this](QAction* item, void (FileCommands::*run)()) {
        connect(item, &QAction::triggered, this, [this, run] { RunFileCommand(run); });
        return item;
    };
    command(AddItem(this, file, "FileNewItem", "新規作成(&N)", "新しいﾌｧｲﾙの作成",
                    QKeySequence(Qt::CTRL | Qt::Key_N)),
            &FileCommands::NewCollection);
    command(AddItem(this, file, "FileOpenItem", "開く(&O)...", "既存のﾌｧｲﾙを開く",
                    QKeySequence(Qt::CTRL | Qt::Key_O)),
            &FileCommands::OpenChosenFile);
    command(AddItem(this, file, "FileSaveItem", "上書き保存(&S)", "ﾌｧｲﾙを保存する",
                    QKeySequence(Qt::CTRL | Qt::Key_S)),
            &FileCommands::Save);
    command(AddItem(this, file, "FileSaveAsItem", "名前を付けて保存(&A)...",
                    "ﾌｧｲﾙに別の名前を付けて保存する"),
            &FileCommands::SaveAs);
    command(AddItem(this, file, "FileOpenReItem", "読み直し(&R)", "このﾌｧｲﾙを読み直す"),
            &FileCommands::Reopen)
        ->setEnabled(false);
    AddSeparator(this, file, "N4");
    connect(AddItem(this, file, "FileImportItem", "ブックマークの取り込み(&I)...",
                    "ﾌﾞﾗｳｻﾞのﾌﾞｯｸﾏｰｸ、CSV、JSONのﾌｧｲﾙからﾚｺｰﾄﾞを追加する"),
            &QAction::triggered, this, &MainWindow::ImportFromFile);
    connect(AddItem(this, file, "FileExportItem", "エクスポート(&E)...",
                    "ﾌﾞｯｸﾏｰｸ、CSV、JSONのﾌｧｲﾙにﾚｺｰﾄﾞを書き出す"),
            &QAction::triggered, this, &MainWindow::ExportToFile);

    // Printing is not offered: the items exist but stay hidden, with their separator.
    AddSeparator(this, file, "N1")->setVisible(false);
    AddItem(this, file, "FilePrintItem", "印刷(&P)...", "文章を印刷する",
            QKeySequence(Qt::CTRL | Qt::Key_P))
        ->setVisible(false);
    AddItem(this, file, "FilePrinterItem", "ﾌﾟﾘﾝﾀの設定(&R)...", "ﾌﾟﾘﾝﾀの設定をする")
        ->setVisible(false);

    // History items: hidden until the recent-file history fills them.
    AddSeparator(this, file, "N2")->setVisible(false);
    static constexpr const char* kHistoryNames[] = {"File1Item", "File2Item", "File3Item",
                                                    "File4Item", "File5Item"};
    static constexpr const char* kHistoryCaptions[] = {"&1", "&2", "&3", "&4", "&5"};
    static constexpr const char* kHistoryHints[] = {"1 (なし)|", "2 (なし)|", "3 (なし)|",
                                                    "4 (なし)|", "5 (なし)|"};
    for (int slot = 0; slot < 5; ++slot) {
        QAction* item =
            AddItem(this, file, kHistoryNames[slot], kHistoryCaptions[slot], kHistoryHints[slot]);
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, slot] {
            m_grid->FinishEditing();
            m_files->OpenRecent(slot + 1);
        });
    }
    AddSeparator(this, file, "N3");

    connect(AddItem(this, file, "FileExitItem", "終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝの終了"), &QAction::triggered,
            this, &QWidget::close);
}

void MainWindow::CreateEditMenu() {
    QMenu* edit = AddMenu(menuBar(), "EditMenu", "編集(&E)", "編集操作に関するｺﾏﾝﾄﾞ");
    connect(AddItem(this, edit, "EditRecDelItem", "ﾚｺｰﾄﾞ削除(&D)", "現在の行を削除して上につめる"),
            &QAction::triggered, this, &MainWindow::DeleteRecord);
    connect(AddItem(this, edit, "EditRecInsItem", "ﾚｺｰﾄﾞ挿入(&I)", "現在の行の上に新しい行を作る"),
            &QAction::triggered, this, &MainWindow::InsertRecord);
    edit->addSeparator();
    AddItem(this, edit, "EditFileURLItem", "ﾌｧｲﾙから追加[URL](&U)",
            "ﾌｧｲﾙからURL(http:)を探して追加する");
    AddItem(this, edit, "EditFileEMItem", "ﾌｧｲﾙから追加[E-Mail](&E)",
            "ﾌｧｲﾙからE-Mailｱﾄﾞﾚｽを探して追加する");
    AddItem(this, edit, "EditHttpsItem", "https:// も追加する", "URLの検索でhttps://も探す")
        ->setCheckable(true);
    QMenu* encodings = edit->addMenu(QString::fromUtf8("読み込む文字ｺｰﾄﾞ(&C)"));
    encodings->setObjectName(QStringLiteral("EditEncodingMenu"));
    encodings->menuAction()->setObjectName(QStringLiteral("EditEncodingMenuItem"));
    SetHint(encodings->menuAction(), "ﾌｧｲﾙから追加するときの文字ｺｰﾄﾞ");
    auto* group = new QActionGroup(this);
    group->setObjectName(QStringLiteral("EditEncodingGroup"));
    for (const EncodingMenuEntry& entry : kEncodingMenu) {
        QAction* item = AddItem(this, encodings, entry.name, entry.caption, nullptr);
        item->setCheckable(true);
        item->setData(static_cast<int>(entry.choice));
        group->addAction(item);
    }
    edit->addSeparator();
    AddItem(this, edit, "EditHtmlItem", "HTML表示(&H)", "このﾃﾞｰﾀをﾌﾞﾗｳｻﾞで開く",
            QKeySequence(Qt::Key_F5));
    AddItem(this, edit, "EditAccessItem", "ｱｸｾｽ(&A)    [DblClick]", "URL/E-Mailにｱｸｾｽする");
}

void MainWindow::CreateSettingsMenu() {
    QMenu* settings = AddMenu(menuBar(), "SetMenu", "設定(&S)", nullptr);
    QAction* statusVisible = AddItem(this, settings, "SetStatusVisItem", "ｽﾃｰﾀｽﾊﾞｰ(&S)",
                                     "ｽﾃｰﾀｽﾊﾞｰの表示/非表示を切替えます");
    statusVisible->setCheckable(true);
    statusVisible->setChecked(true);
    AddItem(this, settings, "SetToolItem", "ｽﾃｰﾀｽﾊﾞｰ(&B)...", "ｽﾃｰﾀｽﾊﾞｰを設定します");
    settings->addSeparator();
    AddItem(this, settings, "SetFontItem", "ﾌｫﾝﾄ(&F)...", "表示ﾌｫﾝﾄを設定します");
    AddItem(this, settings, "SetOthersItem", "その他(&O)...", "上記以外の設定をします");
    settings->addSeparator();
    AddItem(this, settings, "SetTitleItem", "ﾀｲﾄﾙ(&T)...", nullptr);
}

void MainWindow::CreateHelpMenu() {
    QMenu* help = AddMenu(menuBar(), "HelpMenu", "ﾍﾙﾌﾟ(&H)", nullptr);
    AddItem(this, help, "HelpTopicItem", "ﾄﾋﾟｯｸの検索(&H)", "ﾍﾙﾌﾟのﾄﾋﾟｯｸの検索を表示します",
            QKeySequence(Qt::Key_F1));
    AddItem(this, help, "HelpUseItem", "ﾍﾙﾌﾟの使い方(&U)", "ﾍﾙﾌﾟの使い方を表示します");
    help->addSeparator();
    AddItem(this, help, "HelpHomeItem", "ｲﾝﾀｰﾈｯﾄ ﾛｰｶﾙﾌｧｲﾙ(&F)...",
            "Tessellaのﾎｰﾑﾍﾟｰｼﾞにｱｸｾﾙします");
    AddItem(this, help, "HelpHome2Item", "ｲﾝﾀｰﾈｯﾄ ｼｮｰﾄｶｯﾄ(&S)...",
            "Tessellaのﾎｰﾑﾍﾟｰｼﾞに直接ｱｸｾﾙします");
    help->addSeparator();
    AddItem(this, help, "HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾊﾞｰｼﾞｮﾝ情報を表示します",
            QKeySequence(Qt::Key_F2));
}

} // namespace lh
