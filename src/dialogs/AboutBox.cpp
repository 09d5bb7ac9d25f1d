#include "AboutBox.h"

#include "controls/BlinkLabel.h"
#include "controls/MarqueeLabel.h"
#include "controls/ProgramPicture.h"
#include "core/UsageRecord.h"
#include "core/UserInterface.h"
#include "dialogs/Copyright.h"
#include "dialogs/CopyrightNotice.h"
#include "dialogs/FormFont.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SavedPlacement.h"
#include "util/Codec.h"
#include "util/SettingKeys.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

namespace lh {

namespace {

constexpr const char* kFeedbackText = "御意見・御希望等、気軽にメールしてください。";
constexpr const char* kStatisticsCaption = "裏ﾊﾞｰｼﾞｮﾝ情報";

// A usage-record value for display, or "不明" when none is stored.
std::string UsageValue(const StringSetting& key) {
    const std::string unknown = keys::kUsageUnknown;
    const std::string stored = key.ReadOr(ProgramSettings(), unknown);
    if (stored == unknown)
        return unknown;
#ifdef _WIN32
    // Stored texts are in the ANSI code page there.
    return SjisToUtf8Lossy(stored);
#else
    return stored;
#endif
}

std::string WithUnit(const std::string& value, const char* unit) {
    return value == keys::kUsageUnknown ? value : value + unit;
}

} // namespace

AboutBox::AboutBox(AboutBoxContext context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(FormFont());
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    setPalette(black);
    setFixedSize(354, 125);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setGeometry(8, 8, 32, 32);
    m_picture->setPixmap(ProgramPixmap());
    m_picture->installEventFilter(this);
    m_blankPicture = new QLabel(this);
    m_blankPicture->setObjectName(QStringLiteral("blankPicture"));
    m_blankPicture->setGeometry(8, 39, 32, 32);
    m_blankPicture->hide();
    // The empty picture takes the real one's place, so flipping the two makes it blink.
    m_blankPicture->move(m_blankPicture->x(), m_picture->y());

    m_titleLabel = new BlinkLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setGeometry(51, 3, 294, 30);
    m_titleLabel->setFont(FormFont(24));
    m_titleLabel->SetFontColor(Qt::black);
    m_titleLabel->SetBlinkRate(0);
    m_titleLabel->Shadow()->SetOffsetLeft(2);
    m_titleLabel->Shadow()->SetOffsetTop(2);
    m_titleLabel->SetCaption(QString::fromUtf8(kApplicationTitle));
    connect(m_titleLabel, &BlinkLabel::OnDblClick, this, &AboutBox::ShowUsageStatistics);

    m_versionLabel = new BlinkLabel(this);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    m_versionLabel->setGeometry(61, 31, 204, 18);
    m_versionLabel->SetFontColor(Qt::black);
    m_versionLabel->Shadow()->SetOffsetLeft(1);
    m_versionLabel->Shadow()->SetOffsetTop(1);
    m_versionLabel->SetCaption(QString::fromUtf8(keys::kToolVersion));

    AddCopyrightNotice(this, kCopyrightLine1, 101, 47)
        ->setObjectName(QStringLiteral("copyrightLine1"));
    AddCopyrightNotice(this, kCopyrightLine2, 101, 63)
        ->setObjectName(QStringLiteral("copyrightLine2"));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("separator"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(32, 82, 289, 2);

    m_scrollingLine = new MarqueeLabel(this);
    m_scrollingLine->setObjectName(QStringLiteral("scrollingLine"));
    m_scrollingLine->setGeometry(48, 107, 257, 17);
    m_scrollingLine->SetFontColor(Qt::black);
    m_scrollingLine->Shadow()->SetOffsetLeft(0);
    m_scrollingLine->Shadow()->SetOffsetTop(0);
    m_scrollingLine->SetCaption(QString::fromUtf8(kFreeUseLine));

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(272, 32, 75, 25);
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_animationTimer.setInterval(kAnimationInterval);
    connect(&m_animationTimer, &QTimer::timeout, this, &AboutBox::AnimationTick);
    m_animationTimer.start();

    PlaceBySavedPosition(*this, keys::kAboutPlacement);
}

std::string AboutBox::ThisRunStartText() {
    const DayTime start = ProcessUsageRecord().StartTime();
    // An instance that did not record its start has no start time; 0 would read as 1899.
    return start == 0 ? std::string() : DateTimeText(start);
}

std::string AboutBox::UsageStatisticsText(const std::string& startTimeText) {
    const std::string thisStart = startTimeText.empty() ? keys::kUsageUnknown : startTimeText;
    std::string text;
    text += "インストール日(時間)： " + UsageValue(keys::kInstDay) + "\n";
    text += "\n";
    text += "前回起動日(時間)： " + UsageValue(keys::kLastStartDay) + "\n";
    text += "前回終了日(時間)： " + UsageValue(keys::kLastEndDay) + "\n";
    text += "今回起動日(時間)： " + thisStart + "\n";
    text += "\n";
    text += "総起動回数： " + WithUnit(UsageValue(keys::kNumber), "回") + "\n";
    text += "総起動時間： " + WithUnit(UsageValue(keys::kAllTime), "時間");
    return text;
}

void AboutBox::AnimationTick() {
    m_picture->setVisible(!m_picture->isVisible());
    m_blankPicture->setVisible(!m_blankPicture->isVisible());
    m_scrollingLine->Start(-1);
}

void AboutBox::ShowFeedbackNote() {
    ShowInformation(kFeedbackText, kApplicationTitle);
}

void AboutBox::ShowUsageStatistics() {
    ShowInformation(UsageStatisticsText(m_context.startTimeText), kStatisticsCaption);
}

void AboutBox::ShowInformation(const std::string& text, const std::string& caption) {
    if (m_context.messages) {
        m_context.messages->ShowMessageBox(text, caption, kInformationStyle);
        return;
    }
    QMessageBox::information(this, QString::fromUtf8(caption), QString::fromUtf8(text));
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::MouseButtonDblClick) {
        ShowFeedbackNote();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::done(int result) {
    m_animationTimer.stop();
    StorePosition(*this, keys::kAboutPlacement);
    QDialog::done(result);
}

} // namespace lh
