#include "FindBar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace lh {

namespace {

QAction* AddChoice(QMenu* menu, const char* caption, const char* name) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromUtf8(name));
    item->setCheckable(true);
    item->setChecked(true);
    return item;
}

QString Grouped(std::size_t n) {
    QString digits = QString::number(static_cast<qulonglong>(n));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

} // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);

    auto* caption = new QLabel(QString::fromUtf8("検索:"), this);
    layout->addWidget(caption);
    m_query = new QLineEdit(this);
    m_query->setObjectName(QStringLiteral("findQuery"));
    m_query->setClearButtonEnabled(true);
    m_query->setStatusTip(
        QString::fromUtf8("入力した文字を含むﾚｺｰﾄﾞを探す (大文字と小文字は区別しない)"));
    caption->setBuddy(m_query);
    layout->addWidget(m_query, 1);

    m_query->setMinimumWidth(60);

    m_options = new QToolButton(this);
    m_options->setObjectName(QStringLiteral("findOptions"));
    m_options->setText(QString::fromUtf8("列"));
    m_options->setPopupMode(QToolButton::InstantPopup);
    m_options->setStatusTip(QString::fromUtf8("探す列と、一致した行だけ表示するかを選ぶ"));
    auto* choices = new QMenu(m_options);
    m_name = AddChoice(choices, "名前", "findInName");
    m_address = AddChoice(choices, "URL/E-Mail", "findInAddress");
    m_remark = AddChoice(choices, "備考", "findInRemark");
    choices->addSeparator();
    m_onlyMatches = AddChoice(choices, "一致した行だけ表示", "findOnlyMatches");
    m_onlyMatches->setStatusTip(
        QString::fromUtf8("外すとすべての行を表示し、F3/Shift+F3で一致した行へ移る"));
    m_options->setMenu(choices);
    layout->addWidget(m_options);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("findCount"));
    layout->addWidget(m_count);

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("findClose"));
    m_close->setText(QString::fromUtf8("×"));
    m_close->setAutoRaise(true);
    m_close->setStatusTip(QString::fromUtf8("検索をやめて全部の行を表示する [Esc]"));
    layout->addWidget(m_close);

    connect(m_query, &QLineEdit::textChanged, this, &FindBar::Changed);
    for (QAction* choice : {m_name, m_address, m_remark, m_onlyMatches})
        connect(choice, &QAction::toggled, this, &FindBar::Changed);
    connect(m_close, &QToolButton::clicked, this, &FindBar::CloseRequested);
}

QString FindBar::Query() const {
    return m_query->text();
}

FindColumns FindBar::Columns() const {
    return FindColumns{m_name->isChecked(), m_address->isChecked(), m_remark->isChecked()};
}

bool FindBar::OnlyMatches() const {
    return m_onlyMatches->isChecked();
}

void FindBar::FocusQuery() {
    m_query->setFocus(Qt::ShortcutFocusReason);
    m_query->selectAll();
}

QString FindBar::CountText(std::size_t matches, std::size_t records) {
    return Grouped(matches) + QStringLiteral(" / ") + Grouped(records) + QString::fromUtf8(" 件");
}

void FindBar::ShowCount(std::size_t matches, std::size_t records) {
    m_count->setText(CountText(matches, records));
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit CloseRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace lh
