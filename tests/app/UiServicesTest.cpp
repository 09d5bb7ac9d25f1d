#include "app/QtFileChooser.h"
#include "app/QtMessageBox.h"

#include <QAbstractButton>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace lh;

TEST(QtMessageBox, stylesGiveButtonsIconAndDefault) {
    struct Case {
        int style;
        QList<QMessageBox::StandardButton> buttons;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };
    const Case cases[] = {
        {16, {QMessageBox::Ok}, QMessageBox::Critical, QMessageBox::Ok},
        {35,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         QMessageBox::Question,
         QMessageBox::Yes},
        {36, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Question, QMessageBox::Yes},
        {52, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Warning, QMessageBox::Yes},
        {292, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Question, QMessageBox::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
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
    const auto box = QtMessageBox::Build("q", "Other", 35, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Other"));
    EXPECT_EQ(QtMessageBox::ResultOf(*box), mb::kIdCancel); // closed without a button
    const std::pair<QMessageBox::StandardButton, int> presses[] = {
        {QMessageBox::Yes, mb::kIdYes}, {QMessageBox::No, mb::kIdNo}, {QMessageBox::Cancel, 2}};
    for (const auto& [button, id] : presses) {
        const auto b = QtMessageBox::Build("q", "", 35, nullptr);
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
