#include "app/QtFileChooser.h"
#include "app/QtMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace lh;

TEST(QtMessageBox, stylesGiveButtonsIconAndDefault) {
    struct Case {
        MessageStyle style;
        QList<QMessageBox::StandardButton> buttons;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };
    const Case cases[] = {
        {kErrorStyle, {QMessageBox::Ok}, QMessageBox::Critical, QMessageBox::Ok},
        {kSavePromptStyle,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         QMessageBox::Question,
         QMessageBox::Yes},
        {kConfirmStyle,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Question,
         QMessageBox::Yes},
        {kWarnYesNoStyle,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Warning,
         QMessageBox::Yes},
        {kProgramWarningStyle,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Question,
         QMessageBox::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons.size()) * 100 + static_cast<int>(c.icon));
        const auto box = QtMessageBox::Build("text", "", c.style, nullptr);
        QList<QMessageBox::StandardButton> buttons;
        for (QAbstractButton* b : box->buttons())
            buttons << box->standardButton(b);
        std::sort(buttons.begin(), buttons.end());
        QList<QMessageBox::StandardButton> expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(box->icon(), c.icon);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.defaultButton);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Linkhive for Windows"));
        EXPECT_EQ(box->text(), QStringLiteral("text"));
    }
}

TEST(QtMessageBox, givenCaptionAndPressedButtonsMapToResultCodes) {
    const auto box = QtMessageBox::Build("q", "Other", kSavePromptStyle, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Other"));
    EXPECT_EQ(QtMessageBox::ResultOf(*box), Answer::Cancel); // closed without a button
    const std::pair<QMessageBox::StandardButton, Answer> presses[] = {
        {QMessageBox::Yes, Answer::Yes},
        {QMessageBox::No, Answer::No},
        {QMessageBox::Cancel, Answer::Cancel}};
    for (const auto& [button, id] : presses) {
        const auto b = QtMessageBox::Build("q", "", kSavePromptStyle, nullptr);
        b->show();
        b->button(button)->click();
        EXPECT_EQ(QtMessageBox::ResultOf(*b), id);
    }
}

TEST(QtFileChooser, programFiltersBecomeToolkitFilters) {
    // "*.*" becomes "*": the all-files entry must list names without a dot as well.
    EXPECT_EQ(
        QtFileChooser::ToNameFilters("HTMLﾌｧｲﾙ(*.HTM;*.HTML)|*.htm;*.html|すべてのﾌｧｲﾙ (*.*)|*.*"),
        (QStringList{QString::fromUtf8("HTMLﾌｧｲﾙ(*.HTM;*.HTML) (*.htm *.html)"),
                     QString::fromUtf8("すべてのﾌｧｲﾙ (*.*) (*)")}));
    EXPECT_EQ(QtFileChooser::ToNameFilters("Text|*.txt|Dangling"),
              QStringList{QStringLiteral("Text (*.txt)")});
    EXPECT_TRUE(QtFileChooser::ToNameFilters("").isEmpty());
}

TEST(QtFileChooser, dialogColumnsFitJapaneseTypeAndDate) {
    // The toolkit's default widths cut "HTML ドキュメント" and the dates to a few letters.
    QtFileChooser chooser(nullptr);
    int typeWidth = 0, dateWidth = 0, needType = 0, needDate = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const QFontMetrics metrics(dialog->font());
        needType = metrics.horizontalAdvance(QStringLiteral("HTML ドキュメント"));
        needDate = metrics.horizontalAdvance(QStringLiteral("2026/12/07 17:42"));
        if (auto* list = dialog->findChild<QTreeView*>()) {
            typeWidth = list->header()->sectionSize(2);
            dateWidth = list->header()->sectionSize(3);
        }
        dialog->reject();
    });
    FileDialogRequest request;
    request.filter = "HTMLﾌｧｲﾙ(*.HTM;*.HTML)|*.htm;*.html";
    EXPECT_FALSE(chooser.ChooseOpenFile(request).has_value());
    EXPECT_GT(typeWidth, needType);
    EXPECT_GT(dateWidth, needDate);
}
