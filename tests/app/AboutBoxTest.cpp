#include "dialogs/AboutBox.h"

#include "ScriptedUi.h"
#include "WidgetTestSupport.h"
#include "controls/BlinkLabel.h"
#include "controls/MarqueeLabel.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <optional>
#include <utility>
#include <vector>

namespace lh {
namespace {

using test::Child;

class AboutBoxTest : public test::SettingsTest {
protected:
    test::ScriptedMessageBox m_messages;

    std::unique_ptr<AboutBox> Open(std::string startTime = "2026/03/01 9:00:00") {
        return std::make_unique<AboutBox>(AboutBoxContext{std::move(startTime), &m_messages});
    }
};

TEST_F(AboutBoxTest, statistics_withoutRecord_showUnknownWithoutUnits) {
    EXPECT_EQ(AboutBox::UsageStatisticsText("2026/03/01 9:00:00"),
              "インストール日(時間)： 不明\n"
              "\n"
              "前回起動日(時間)： 不明\n"
              "前回終了日(時間)： 不明\n"
              "今回起動日(時間)： 2026/03/01 9:00:00\n"
              "\n"
              "総起動回数： 不明\n"
              "総起動時間： 不明");
}

TEST_F(AboutBoxTest, statistics_fromAPreparedRecord) {
    keys::kInstDay.Write(ProgramSettings(), "2025/12/24 18:30:00");
    keys::kNumber.Write(ProgramSettings(), "3");
    keys::kAllTime.Write(ProgramSettings(), "3.50000000465661");
    keys::kLastStartDay.Write(ProgramSettings(), "2026/02/28 8:00:00");
    keys::kLastEndDay.Write(ProgramSettings(), "2026/02/28 9:30:00");
    EXPECT_EQ(AboutBox::UsageStatisticsText("2026/03/01 9:00:00"),
              "インストール日(時間)： 2025/12/24 18:30:00\n"
              "\n"
              "前回起動日(時間)： 2026/02/28 8:00:00\n"
              "前回終了日(時間)： 2026/02/28 9:30:00\n"
              "今回起動日(時間)： 2026/03/01 9:00:00\n"
              "\n"
              "総起動回数： 3回\n"
              "総起動時間： 3.50000000465661時間");
}

TEST_F(AboutBoxTest, statistics_firstStart_countHasItsUnitTimeIsUnknown) {
    keys::kInstDay.Write(ProgramSettings(), "2026/03/01 9:00:00");
    keys::kNumber.Write(ProgramSettings(), "1");
    const std::string text = AboutBox::UsageStatisticsText("2026/03/01 9:00:00");
    EXPECT_NE(text.find("前回起動日(時間)： 不明\n前回終了日(時間)： 不明\n"), std::string::npos);
    EXPECT_NE(text.find("総起動回数： 1回\n総起動時間： 不明"), std::string::npos);
}

TEST_F(AboutBoxTest, layout_captionsAndSharedPicturePlace) {
    auto box = Open();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(box->size(), QSize(354, 125));
    auto* title = Child<BlinkLabel>(*box, "titleLabel");
    EXPECT_EQ(title->Caption(), QStringLiteral("Linkhive for Windows"));
    EXPECT_EQ(title->BlinkRate(), 0u);
    auto* version = Child<BlinkLabel>(*box, "versionLabel");
    EXPECT_EQ(version->Caption(), QStringLiteral("Tessella Tool   Ver1.00"));
    EXPECT_EQ(version->BlinkRate(), 500u);
    EXPECT_EQ(Child<QLabel>(*box, "blankPicture")->y(), Child<QLabel>(*box, "picture")->y());
    EXPECT_FALSE(Child<QLabel>(*box, "picture")->pixmap().isNull());
}

TEST_F(AboutBoxTest, timer_blinksThePictureAndStartsOnePassAtATime) {
    auto box = Open();
    box->show();
    auto* picture = Child<QLabel>(*box, "picture");
    auto* blankPicture = Child<QLabel>(*box, "blankPicture");
    auto* marquee = Child<MarqueeLabel>(*box, "scrollingLine");
    EXPECT_TRUE(picture->isVisible());
    EXPECT_FALSE(marquee->IsRunning());
    box->AnimationTick();
    EXPECT_FALSE(picture->isVisible());
    EXPECT_TRUE(blankPicture->isVisible());
    EXPECT_TRUE(marquee->IsRunning());
    marquee->TimerTick();
    marquee->TimerTick();
    box->AnimationTick();
    EXPECT_TRUE(picture->isVisible());
    EXPECT_FALSE(blankPicture->isVisible());
    EXPECT_EQ(marquee->CurrentStep(), 2);
}

// Columns of the label that carry ink at its current step, as first and last; none at rest.
std::optional<std::pair<int, int>> InkColumns(MarqueeLabel& label) {
    const QImage frame = label.grab().toImage();
    const QRgb background = label.Color().rgb();
    std::optional<std::pair<int, int>> ink;
    for (int x = 0; x < frame.width(); ++x)
        for (int y = 0; y < frame.height(); ++y)
            if (frame.pixel(x, y) != background) {
                ink = ink ? std::make_pair(ink->first, x) : std::make_pair(x, x);
                break;
            }
    return ink;
}

TEST_F(AboutBoxTest, scrollingLine_carriesTheWholeTextAcrossTheLabel) {
    auto box = Open();
    box->show();
    auto* marquee = Child<MarqueeLabel>(*box, "scrollingLine");
    const int textWidth = marquee->fontMetrics().horizontalAdvance(marquee->Caption());
    ASSERT_LT(textWidth, marquee->width());
    marquee->Start(-1);
    std::vector<std::pair<int, int>> passes;
    for (int step = 1; step <= marquee->Steps(); ++step) {
        marquee->TimerTick();
        if (const auto ink = InkColumns(*marquee))
            passes.push_back(*ink);
    }
    ASSERT_GE(passes.size(), 10u) << "the text shows during most of the pass";
    // It comes in at the right edge and leaves at the left one, moving left all the way.
    EXPECT_GT(passes.front().first, marquee->width() * 3 / 4);
    EXPECT_LT(passes.back().second, marquee->width() / 4);
    int widest = 0;
    for (std::size_t i = 0; i < passes.size(); ++i) {
        widest = std::max(widest, passes[i].second - passes[i].first + 1);
        if (i > 0) {
            EXPECT_LT(passes[i].first + passes[i].second,
                      passes[i - 1].first + passes[i - 1].second)
                << i;
        }
    }
    // At some steps the whole text is in view at once.
    EXPECT_GE(widest, textWidth * 9 / 10);
}

TEST_F(AboutBoxTest, doubleClicks_showTheHiddenMessages) {
    auto box = Open("");
    m_messages.Answer(Answer::Ok);
    m_messages.Answer(Answer::Ok);
    QTest::mouseDClick(Child<QLabel>(*box, "picture"), Qt::LeftButton);
    QTest::mouseDClick(Child<BlinkLabel>(*box, "titleLabel"), Qt::LeftButton);
    ASSERT_EQ(m_messages.shown().size(), 2u);
    EXPECT_EQ(m_messages.shown()[0].text, "御意見・御希望等、気軽にメールしてください。");
    EXPECT_EQ(m_messages.shown()[0].caption, "Linkhive for Windows");
    EXPECT_EQ(m_messages.shown()[0].style, kInformationStyle);
    EXPECT_EQ(m_messages.shown()[1].caption, "裏ﾊﾞｰｼﾞｮﾝ情報");
    // This run's start was not recorded: unknown rather than a date of 1899.
    EXPECT_EQ(m_messages.shown()[1].text, AboutBox::UsageStatisticsText(""));
    EXPECT_NE(m_messages.shown()[1].text.find("今回起動日(時間)： 不明\n"), std::string::npos);
    EXPECT_EQ(m_messages.shown()[1].style, kInformationStyle);
}

TEST_F(AboutBoxTest, escape_closesAndTheNextOpeningComesUpThere) {
    auto box = Open();
    box->show();
    box->move(33, 44);
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(keys::kAboutTop.Read(ProgramSettings()), 44);
    EXPECT_EQ(keys::kAboutLeft.Read(ProgramSettings()), 33);
    EXPECT_EQ(Open()->pos(), QPoint(33, 44));
}

TEST_F(AboutBoxTest, placementOffTheScreen_isCentred) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    keys::kAboutTop.Write(ProgramSettings(), 9999);
    keys::kAboutLeft.Write(ProgramSettings(), -20);
    auto box = Open();
    EXPECT_EQ(box->y(), (screen.height() - box->frameGeometry().height()) / 2);
    EXPECT_EQ(box->x(), (screen.width() - box->frameGeometry().width()) / 2);
}

} // namespace
} // namespace lh
