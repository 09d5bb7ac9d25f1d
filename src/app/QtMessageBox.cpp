#include "QtMessageBox.h"

#include <QAbstractButton>
#include <vector>

namespace lh {

namespace {

constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;

struct ButtonCode {
    QMessageBox::StandardButton button;
    int id;
};

// Buttons of each button set, in the order the platform places them.
std::vector<ButtonCode> ButtonsOf(int style) {
    switch (style & 0xF) {
    case mb::kOkCancel:
        return {{QMessageBox::Ok, mb::kIdOk}, {QMessageBox::Cancel, mb::kIdCancel}};
    case 0x2:
        return {{QMessageBox::Abort, kIdAbort},
                {QMessageBox::Retry, kIdRetry},
                {QMessageBox::Ignore, kIdIgnore}};
    case mb::kYesNoCancel:
        return {{QMessageBox::Yes, mb::kIdYes},
                {QMessageBox::No, mb::kIdNo},
                {QMessageBox::Cancel, mb::kIdCancel}};
    case mb::kYesNo:
        return {{QMessageBox::Yes, mb::kIdYes}, {QMessageBox::No, mb::kIdNo}};
    case 0x5:
        return {{QMessageBox::Retry, kIdRetry}, {QMessageBox::Cancel, mb::kIdCancel}};
    default:
        return {{QMessageBox::Ok, mb::kIdOk}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0xF0) {
    case mb::kIconHand:
        return QMessageBox::Critical;
    case mb::kIconQuestion:
        return QMessageBox::Question;
    case mb::kIconExclamation:
        return QMessageBox::Warning;
    case mb::kIconAsterisk:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

std::unique_ptr<QMessageBox> QtMessageBox::Build(const std::string& text,
                                                 const std::string& caption, int style,
                                                 QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromStdString(caption.empty() ? kApplicationTitle : caption));
    box->setText(QString::fromStdString(text));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(IconOf(style));
    const std::vector<ButtonCode> buttons = ButtonsOf(style);
    for (const ButtonCode& b : buttons)
        box->addButton(b.button);
    const std::size_t def = static_cast<std::size_t>((style & 0xF00) >> 8);
    box->setDefaultButton(buttons[def < buttons.size() ? def : 0].button);
    // Esc answers Cancel where there is one; otherwise the box picks No (or the only button),
    // the answer that changes nothing.
    if (box->button(QMessageBox::Cancel))
        box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

int QtMessageBox::ResultOf(const QMessageBox& box) {
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok:
        return mb::kIdOk;
    case QMessageBox::Cancel:
        return mb::kIdCancel;
    case QMessageBox::Abort:
        return kIdAbort;
    case QMessageBox::Retry:
        return kIdRetry;
    case QMessageBox::Ignore:
        return kIdIgnore;
    case QMessageBox::Yes:
        return mb::kIdYes;
    case QMessageBox::No:
        return mb::kIdNo;
    default:
        // Closed without a button: the safe answer of the set.
        return box.button(QMessageBox::Cancel) ? mb::kIdCancel
               : box.button(QMessageBox::No)   ? mb::kIdNo
                                               : mb::kIdOk;
    }
}

int QtMessageBox::ShowMessageBox(const std::string& text, const std::string& caption, int style) {
    const std::unique_ptr<QMessageBox> box = Build(text, caption, style, m_owner);
    box->exec();
    return ResultOf(*box);
}

} // namespace lh
