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

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(8, 8, 32, 32);
    m_image1->setPixmap(ProgramPixmap());
    m_image1->installEventFilter(this);
    m_image2 = new QLabel(this);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setGeometry(8, 39, 32, 32);
    m_image2->hide();
    // The empty picture takes the real one's place, so flipping the two makes it blink.
    m_image2->move(m_image2->x(), m_image1->y());

    m_blinkLabel1 = new BlinkLabel(this);
    m_blinkLabel1->setObjectName(QStringLiteral("BlinkLabel1"));
    m_blinkLabel1->setGeometry(51, 3, 294, 30);
    m_blinkLabel1->setFont(FormFont(24));
    m_blinkLabel1->SetFontColor(Qt::black);
    m_blinkLabel1->SetBlinkRate(0);
    m_blinkLabel1->Shadow()->SetOffsetLeft(2);
    m_blinkLabel1->Shadow()->SetOffsetTop(2);
    m_blinkLabel1->SetCaption(QString::fromUtf8(kApplicationTitle));
    connect(m_blinkLabel1, &BlinkLabel::OnDblClick, this, &AboutBox::BlinkLabel1DblClick);

    m_blinkLabel2 = new BlinkLabel(this);
    m_blinkLabel2->setObjectName(QStringLiteral("BlinkLabel2"));
    m_blinkLabel2->setGeometry(61, 31, 204, 18);
    m_blinkLabel2->SetFontColor(Qt::black);
    m_blinkLabel2->Shadow()->SetOffsetLeft(1);
    m_blinkLabel2->Shadow()->SetOffsetTop(1);
    m_blinkLabel2->SetCaption(QString::fromUtf8(keys::kToolVersion));

    AddCopyrightNotice(this, kCopyrightLine1, 101, 47)->setObjectName(QStringLiteral("Label3"));
    AddCopyrightNotice(this, kCopyrightLine2, 101, 63)->setObjectName(QStringLiteral("Label4"));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(32, 82, 289, 2);

    m_marqueeLabel1 = new MarqueeLabel(this);
    m_marqueeLabel1->setObjectName(QStringLiteral("MarqueeLabel1"));
    m_marqueeLabel1->setGeometry(48, 107, 257, 17);
    m_marqueeLabel1->SetFontColor(Qt::black);
    m_marqueeLabel1->Shadow()->SetOffsetLeft(0);
    m_marqueeLabel1->Shadow()->SetOffsetTop(0);
    m_marqueeLabel1->SetCaption(QString::fromUtf8(kFreeUseLine));

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(272, 32, 75, 25);
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_timer.setInterval(kTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &AboutBox::Timer1Timer);
    m_timer.start();

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

void AboutBox::Timer1Timer() {
    m_image1->setVisible(!m_image1->isVisible());
    m_image2->setVisible(!m_image2->isVisible());
    m_marqueeLabel1->Start(-1);
}

void AboutBox::Image1DblClick() {
    ShowInformation(kFeedbackText, kApplicationTitle);
}

void AboutBox::BlinkLabel1DblClick() {
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
    if (watched == m_image1 && event->type() == QEvent::MouseButtonDblClick) {
        Image1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::done(int result) {
    m_timer.stop();
    StorePosition(*this, keys::kAboutPlacement);
    QDialog::done(result);
}

} // namespace lh
