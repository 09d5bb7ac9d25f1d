#include "ScriptedUi.h"
#include "WidgetTestSupport.h"
#include "app/MainWindow.h"
#include "app/StatusBarPanels.h"
#include "dialogs/ProgramSettings.h"
#include "util/RegistrySettingsStore.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusTipEvent>
#include <QTest>
#include <QUrl>
#include <memory>

using namespace lh;

namespace {

// A started window with a new collection, scripted message boxes and file dialogs.
class MainWindowScan : public test::SettingsTest {
protected:
    void SetUp() override { Start(); }

    void Start() {
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->SetFileChooser(&chooser);
        w->DeferredStartup();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    std::string File(const std::string& name, const std::string& bytes) {
        test::WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }

    // Drops `mime` on the window and lets the queued work after the drop run.
    void Drop(QMimeData* mime) {
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &enter);
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &event);
        QCoreApplication::processEvents();
        delete mime;
    }

    std::vector<std::string> Column(int field) const {
        std::vector<std::string> cells;
        const TableStore& table = w->Doc().Table();
        for (TableStore::Row r = 0; r < table.RecordCount(); ++r)
            cells.emplace_back(table.Text(r, field));
        return cells;
    }

    test::TempDir dir;
    test::ScriptedMessageBox boxes;
    test::ScriptedFileChooser chooser;
    std::unique_ptr<MainWindow> w;
};

using Cells = std::vector<std::string>;

} // namespace

TEST_F(MainWindowScan, editMenuOptions_startAsStoredAndAreStoredWhenChanged) {
    QAction* https = w->Actions().httpsScan;
    QAction* automatic = w->Actions().Encoding(EncodingChoice::Auto);
    QAction* utf8 = w->Actions().Encoding(EncodingChoice::Utf8);
    ASSERT_TRUE(https && automatic && utf8);
    EXPECT_TRUE(https->isCheckable());
    EXPECT_FALSE(https->isChecked());
    EXPECT_EQ(automatic->text(), QString::fromUtf8("自動判別"));
    EXPECT_TRUE(automatic->isChecked());

    https->trigger();
    utf8->trigger();
    EXPECT_TRUE(https->isChecked());
    EXPECT_TRUE(utf8->isChecked());
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_EQ(ProgramSettings().ReadInteger("OtherSet", "ScanHttps", -1), 1);
    EXPECT_EQ(ProgramSettings().ReadText("OtherSet", "ScanEncoding", ""), "utf-8");

    // A new window starts with what was stored.
    Start();
    EXPECT_TRUE(w->Actions().httpsScan->isChecked());
    EXPECT_TRUE(w->Actions().Encoding(EncodingChoice::Utf8)->isChecked());
}

TEST_F(MainWindowScan, scanOfAUtf8File_findsHttpsWhenAskedAndReportsInTheStatusBar) {
    w->Doc().Table().AppendRecord("", "http://a.example/x", "", "");
    // "あhttp://a.example/x", "いhttps://b.example/y", "うhttp://c.example/z" with LF line ends.
    const std::string text = "\xE3\x81\x82http://a.example/x\n\xE3\x81\x84https://b.example/y\n"
                             "\xE3\x81\x86http://c.example/z\n";
    w->Actions().httpsScan->trigger();
    chooser.AnswerOpen(FileDialogResult{File("u.txt", text), 1, false});

    w->Actions().scanUrls->trigger();

    EXPECT_EQ(Column(TableStore::kAddress),
              (Cells{"http://a.example/x", "https://b.example/y", "http://c.example/z"}));
    const std::string report =
        "UTF-8 として読み込みました。3 件見つかり、2 件追加、1 件は登録済み。";
    EXPECT_EQ(w->StatusPanels().HintText().toStdString(), report);
    // The pointer passing over the table (no hint of its own) leaves the report in place; a
    // menu's hint shows, and the report comes back when the hint goes.
    QStatusTipEvent idle(QString{});
    QCoreApplication::sendEvent(w.get(), &idle);
    EXPECT_EQ(w->StatusPanels().HintText().toStdString(), report);
    QStatusTipEvent hint(QStringLiteral("a menu hint"));
    QCoreApplication::sendEvent(w.get(), &hint);
    EXPECT_EQ(w->StatusPanels().HintText(), QStringLiteral("a menu hint"));
    QCoreApplication::sendEvent(w.get(), &idle);
    EXPECT_EQ(w->StatusPanels().HintText().toStdString(), report);
}

TEST_F(MainWindowScan, droppedFiles_areScannedInOrderAfterTheProgramQuestion) {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(File("b.txt", "http://b/\r\n"))),
                   QUrl::fromLocalFile(QString::fromStdString(File("tool.exe", "http://x/"))),
                   QUrl::fromLocalFile(QString::fromStdString(File("a.txt", "http://a/ a@b")))});
    boxes.Answer(Answer::No);

    Drop(mime);

    EXPECT_EQ(Column(TableStore::kAddress), (Cells{"http://b/", "http://a/"}));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("プログラムの可能性があります。"), std::string::npos);
    EXPECT_TRUE(w->Doc().IsModified());
}

TEST_F(MainWindowScan, droppedLinks_becomeRecordsNamedByTheirTitles) {
    w->Doc().Table().AppendRecord("", "http://held.example/", "", "");
    struct Case {
        const char* what;
        QMimeData* mime;
        std::string report;
    };
    auto* moz = new QMimeData;
    // Firefox: the address and the title in UTF-16.
    const QString mozText = QString::fromUtf8("https://ja.example/page\n日本語のページ");
    moz->setData(QStringLiteral("text/x-moz-url"),
                 QByteArray(reinterpret_cast<const char*>(mozText.utf16()),
                            static_cast<int>(mozText.size() * 2)));
    auto* list = new QMimeData;
    list->setUrls({QUrl(QStringLiteral("http://list.example/a"))});
    auto* text = new QMimeData;
    text->setText(QStringLiteral("  mailto:someone@example.jp\n"));
    auto* held = new QMimeData;
    held->setText(QStringLiteral("HTTP://HELD.example/"));
    auto* prose = new QMimeData;
    prose->setText(QStringLiteral("not an address at all"));

    Drop(moz);
    Drop(list);
    Drop(text);
    EXPECT_EQ(w->StatusPanels().HintText().toStdString(),
              "mailto:someone@example.jp を追加しました。");
    Drop(held);
    EXPECT_EQ(w->StatusPanels().HintText().toStdString(),
              "HTTP://HELD.example/ はすでに登録されています。");
    Drop(prose);

    EXPECT_EQ(Column(TableStore::kAddress),
              (Cells{"http://held.example/", "https://ja.example/page", "http://list.example/a",
                     "mailto:someone@example.jp"}));
    // "日本語のページ" in code page 932.
    EXPECT_EQ(Column(TableStore::kName),
              (Cells{"", "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x79\x81\x5B\x83\x57", "", ""}));
}
