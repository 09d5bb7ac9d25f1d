#include "StartedWindowTest.h"
#include "WidgetTestSupport.h"
#include "app/CollectionGrid.h"
#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/JapaneseTranslator.h"
#include "app/MainWindow.h"
#include "app/QtMessageBox.h"
#include "app/RefusedCharacter.h"
#include "app/StatusBarPanels.h"
#include "core/TableLayout.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

// A button or menu text as the user reads it: without the access key marks "(&Y)" and "&".
QString Plain(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    return text;
}

// The toolkit's dialogs as the program sets them up, for the length of one test.
class JapaneseDialogs : public test::SettingsTest {
protected:
    void SetUp() override { m_translator = JapaneseTranslator::Install(*qApp); }
    void TearDown() override {
        QCoreApplication::removeTranslator(m_translator);
        delete m_translator;
        QLocale::setDefault(m_locale);
    }
    QLocale m_locale;
    JapaneseTranslator* m_translator = nullptr;
};

} // namespace

// The tests run under C.UTF-8: the texts are Japanese because the program asks for them, from
// the toolkit's catalogue when it is installed and from the program's own texts otherwise.
TEST_F(JapaneseDialogs, messageBoxButtonsReadJapanese) {
    const auto box = QtMessageBox::Build("?", "", kSavePromptStyle, nullptr);
    EXPECT_EQ(Plain(box->button(QMessageBox::Yes)->text()), Utf8("はい"));
    EXPECT_EQ(Plain(box->button(QMessageBox::No)->text()), Utf8("いいえ"));
    EXPECT_EQ(Plain(box->button(QMessageBox::Cancel)->text()), Utf8("キャンセル"));
}

TEST_F(JapaneseDialogs, fileDialogAcceptButtonReadsOpenOrSave) {
    struct Case {
        QFileDialog::AcceptMode mode;
        QDialogButtonBox::StandardButton button;
        const char* text;
        const char* title;
    };
    const Case cases[] = {
        {QFileDialog::AcceptOpen, QDialogButtonBox::Open, "開く", "開く"},
        {QFileDialog::AcceptSave, QDialogButtonBox::Save, "保存", "名前を付けて保存"}};
    for (const Case& c : cases) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(c.mode);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(c.button), nullptr) << c.text;
        EXPECT_EQ(Plain(buttons->button(c.button)->text()), Utf8(c.text));
        ASSERT_NE(buttons->button(QDialogButtonBox::Cancel), nullptr);
        EXPECT_EQ(Plain(buttons->button(QDialogButtonBox::Cancel)->text()), Utf8("キャンセル"));
        EXPECT_EQ(dialog.windowTitle(), Utf8(c.title));
    }
}

TEST(JapaneseTranslatorFallback, coversTheButtonTextsOnlyInButtonContexts) {
    struct Case {
        const char* context;
        const char* source;
        const char* expected;
    };
    const Case cases[] = {
        {"QPlatformTheme", "&Yes", "はい(&Y)"},
        {"QPlatformTheme", "&No", "いいえ(&N)"},
        {"QPlatformTheme", "Cancel", "キャンセル"},
        {"QGnomeTheme", "&Cancel", "キャンセル"},
        {"QPlatformTheme", "Open", "開く"},
        {"QFileDialog", "&Open", "開く(&O)"},
        {"QPlatformTheme", "Save", "保存"},
        {"QFileDialog", "&Save", "保存(&S)"},
        {"QPlatformTheme", "Apply", ""},
        {"QMenu", "Open", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JapaneseTranslator::FallbackText(c.context, c.source), Utf8(c.expected))
            << c.context << " " << c.source;
}

TEST(FirstWindow, systemChoice_isThreeQuartersWideTwoThirdsHighAndCentred) {
    struct Case {
        QRect available;
        QRect placed;
    };
    const Case cases[] = {
        {QRect(0, 0, 1920, 1080), QRect(240, 180, 1440, 720)},
        {QRect(0, 27, 1366, 741), QRect(171, 151, 1024, 494)},  // a panel along the top
        {QRect(1920, 0, 800, 600), QRect(2020, 100, 600, 400)}, // a second screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartupAndClose::SystemChosenGeometry(c.available), c.placed) << c.available.x();
}

class FirstStart : public test::SettingsTest {};

TEST_F(FirstStart, nothingStored_windowTakesTheSystemsChoice) {
    MainWindow w;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w.geometry(), StartupAndClose::SystemChosenGeometry(available));
}

namespace {

// A started window with a new collection.
class StartedWindow : public test::StartedWindowTest<test::SettingsTest> {
protected:
    // Replaces the collection at once, as a load does.
    void LoadRecords(TableStore::Row count) {
        TableStore loaded;
        loaded.Reserve(count);
        for (TableStore::Row r = 0; r < count; ++r)
            loaded.AppendRecord("", "", "", "");
        w->Doc().Table().Swap(loaded);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(StartedWindow, cornerAboveTheNumbersShowsTheirHeading) {
    auto* corner = w->Grid()->findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(w->Grid()->CornerText(), QStringLiteral("No."));
    const QImage withHeading = corner->grab().toImage();
    w->Grid()->SetCornerText(QString());
    const QImage blank = corner->grab().toImage();
    EXPECT_NE(withHeading, blank) << "the heading is drawn";
}

TEST_F(StartedWindow, numberColumnAndCaretPanelGrowWithTheRowCount) {
    const int setNumberWidth = w->Grid()->ColumnWidth(0);
    QHeaderView* numbers = w->Grid()->verticalHeader();
    const int margin = numbers->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, numbers);
    for (const TableStore::Row records : {TableStore::Row{3}, TableStore::Row{999'999}}) {
        LoadRecords(records);
        const QString last = QString::number(records + 1); // the entry row's number
        // The numbers fit between the header's margins; the set width is kept for the settings.
        EXPECT_GE(numbers->width(), numbers->fontMetrics().horizontalAdvance(last) + 2 * margin)
            << records;
        EXPECT_GE(numbers->width(), setNumberWidth);
        EXPECT_EQ(w->Grid()->ColumnWidth(0), setNumberWidth);

        w->GridEditing().SetCurrentCell(records, TableStore::kRemark); // the entry row
        QLabel* panel = w->PositionPanel();
        EXPECT_EQ(panel->text().toStdString(), CellPositionText(records + 1, 4));
        EXPECT_GE(panel->contentsRect().width(),
                  panel->fontMetrics().horizontalAdvance(panel->text()))
            << records;
    }
    // Back to a short collection: the set widths again where they suffice.
    LoadRecords(0);
    EXPECT_EQ(w->StatusPanels().CaretPanelWidth(), 65);
}

TEST_F(StartedWindow, refusedCharacterIsNamedWithItsCodePoint) {
    struct Case {
        const char* typed;
        const char* named;
    };
    const Case cases[] = {
        {"ab\xED\x95\x9C", "「\xED\x95\x9C」（U+D55C）"},        // Hangul
        {"\xF0\x9F\x98\x80", "「\xF0\x9F\x98\x80」（U+1F600）"}, // beyond 16 bits
        {"x\xE2\x80\x8D", "U+200D"},                             // a joiner shows nothing
    };
    for (const Case& c : cases) {
        const std::optional<char32_t> refused = FirstUnencodableCharacter(Utf8(c.typed));
        ASSERT_TRUE(refused.has_value()) << c.named;
        const std::string text = RefusedCellCharacterText(*refused);
        EXPECT_EQ(text.rfind(c.named, 0), 0u) << text;
        // One clause a line: the box never has to break a line inside a word.
        const QLabel probe(QString::fromStdString(text));
        for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n')))
            EXPECT_LT(probe.fontMetrics().horizontalAdvance(line), 420) << text;
    }
    EXPECT_FALSE(FirstUnencodableCharacter(Utf8("日本 ｱｸｾｽ abc")).has_value());
}

// The user guide lists every command of the menus, in menu order, with its key.
TEST(UserGuide, listsEveryMenuCommandInMenuOrder) {
    QFile guide(QStringLiteral(LINKHIVE_HELP_FILE));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(guide.readAll());
    QStringList listed;
    QStringList listedKeys;
    const QRegularExpression row(QStringLiteral("<td class=\"cmd\">([^<]*)</td><td>([^<]*)</td>"));
    for (auto it = row.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        listed << m.captured(1);
        listedKeys << m.captured(2);
    }

    MainWindow w;
    QStringList commands;
    QStringList keys;
    for (QAction* menuAction : w.menuBar()->actions()) {
        ASSERT_NE(menuAction->menu(), nullptr);
        for (QAction* item : menuAction->menu()->actions()) {
            if (item->isSeparator())
                continue;
            // The recent files are one entry; items never shown are no commands.
            const auto& history = w.Actions().history;
            const bool isHistory = std::find(history.begin(), history.end(), item) != history.end();
            if (isHistory) {
                if (!commands.contains(Utf8("1 ～ 5"))) {
                    commands << Utf8("1 ～ 5");
                    keys << QString();
                }
                continue;
            }
            if (!item->isVisible())
                continue;
            commands << Plain(item->text()).section(QStringLiteral("  "), 0, 0).trimmed();
            keys << item->shortcut().toString(QKeySequence::PortableText);
        }
    }
    EXPECT_EQ(listed, commands);
    ASSERT_EQ(listedKeys.size(), keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (!keys[i].isEmpty()) {
            EXPECT_EQ(listedKeys[i], keys[i]) << commands[i].toStdString();
        }
    }
}
