#include "QtMessageBox.h"

#include <QAbstractButton>
#include <vector>

namespace lh {

namespace {

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    Answer answer;
};

// Buttons of each button set, in the order the platform places them.
std::vector<ButtonAnswer> ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, Answer::Abort},
                {QMessageBox::Retry, Answer::Retry},
                {QMessageBox::Ignore, Answer::Ignore}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, Answer::Yes},
                {QMessageBox::No, Answer::No},
                {QMessageBox::Cancel, Answer::Cancel}};
    case MessageButtons::YesNo:
        return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
    case MessageButtons::RetryCancel:
        return {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}};
    case MessageButtons::Ok:
        break;
    }
    return {{QMessageBox::Ok, Answer::Ok}};
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> QtMessageBox::Build(const std::string& text,
                                                 const std::string& caption, MessageStyle style,
                                                 QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromStdString(caption.empty() ? kApplicationTitle : caption));
    box->setText(QString::fromStdString(text));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(IconOf(style.icon));
    const std::vector<ButtonAnswer> buttons = ButtonsOf(style.buttons);
    for (const ButtonAnswer& b : buttons)
        box->addButton(b.button);
    const auto def = static_cast<std::size_t>(style.defaultButton);
    box->setDefaultButton(buttons[def < buttons.size() ? def : 0].button);
    // Esc answers Cancel where there is one; otherwise the box picks No (or the only button),
    // the answer that changes nothing.
    if (box->button(QMessageBox::Cancel))
        box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

Answer QtMessageBox::ResultOf(const QMessageBox& box) {
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Closed without a button: the safe answer of the set.
        return box.button(QMessageBox::Cancel) ? Answer::Cancel
               : box.button(QMessageBox::No)   ? Answer::No
                                               : Answer::Ok;
    }
}

Answer QtMessageBox::ShowMessageBox(const std::string& text, const std::string& caption,
                                    MessageStyle style) {
    const std::unique_ptr<QMessageBox> box = Build(text, caption, style, m_owner);
    box->exec();
    return ResultOf(*box);
}

} // namespace lh
