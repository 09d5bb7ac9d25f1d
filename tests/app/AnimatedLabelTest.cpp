#include "controls/BlinkLabel.h"
#include "controls/Gauge.h"
#include "controls/MarqueeLabel.h"
#include "controls/ProgramPicture.h"
#include "controls/TextShadow.h"

#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace lh {
namespace {

// Whether every pixel of the widget's rendering has the given colour.
bool IsUniform(QWidget& widget, const QColor& colour) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour.rgb())
                return false;
    return true;
}

TEST(Shadow, defaultsAndPublishedNames) {
    TextShadow shadow;
    EXPECT_EQ(shadow.property("Color").value<QColor>(), QColor(128, 128, 128));
    EXPECT_EQ(shadow.property("OffsetLeft").toInt(), 10);
    EXPECT_EQ(shadow.property("OffsetTop").toInt(), 10);
    EXPECT_EQ(shadow.property("Visible").toBool(), true);
}

TEST(Shadow, onChange_firesOnlyForRealChanges) {
    TextShadow shadow;
    QSignalSpy changes(&shadow, &TextShadow::OnChange);
    shadow.SetOffsetLeft(10);
    shadow.SetOffsetTop(10);
    shadow.SetVisible(true);
    shadow.SetColor(QColor(128, 128, 128));
    EXPECT_EQ(changes.count(), 0);
    shadow.SetOffsetLeft(2);
    shadow.SetOffsetTop(-3);
    shadow.SetVisible(false);
    shadow.SetColor(Qt::red);
    EXPECT_EQ(changes.count(), 4);
}

TEST(BlinkLabel, defaults_blinkFromCreation) {
    BlinkLabel label;
    EXPECT_EQ(label.property("BlinkRate").toUInt(), 500u);
    EXPECT_EQ(label.property("AutoSize").toBool(), true);
    EXPECT_EQ(label.property("Transparent").toBool(), false);
    EXPECT_TRUE(label.IsBlinkTimerRunning());
    EXPECT_TRUE(label.IsTextShown());
    auto* shadow = label.property("Shadow").value<TextShadow*>();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->OffsetLeft(), 10);
}

TEST(BlinkLabel, blinkRate_isClampedAndZeroStopsBlinking) {
    const struct {
        unsigned set;
        unsigned read;
        bool running;
    } cases[] = {{30, 100, true},  {1, 100, true},   {99, 100, true},
                 {100, 100, true}, {750, 750, true}, {0, 0, false}};
    for (const auto& c : cases) {
        BlinkLabel label;
        label.setProperty("BlinkRate", c.set);
        EXPECT_EQ(label.BlinkRate(), c.read) << c.set;
        EXPECT_EQ(label.IsBlinkTimerRunning(), c.running) << c.set;
    }
}

TEST(BlinkLabel, rateZeroWhileHidden_showsTextAgain) {
    BlinkLabel label;
    label.TimerTick();
    EXPECT_FALSE(label.IsTextShown());
    label.SetBlinkRate(0);
    EXPECT_TRUE(label.IsTextShown());
    label.SetBlinkRate(200);
    EXPECT_TRUE(label.IsBlinkTimerRunning());
}

TEST(BlinkLabel, textPlace_followsAlignmentAndShadow) {
    TextShadow shadow;
    shadow.SetOffsetLeft(2);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignRight, 100, 40, shadow), 58);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignLeft, 100, 40, shadow), 0);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignHCenter, 101, 40, shadow), 30);
    shadow.SetOffsetLeft(-4);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignLeft, 100, 40, shadow), 4);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignRight, 100, 40, shadow), 60);
    // Centring rounds toward zero, also for a text wider than the label.
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignHCenter, 10, 41, shadow), -15);
    shadow.SetOffsetTop(-3);
    EXPECT_EQ(BlinkLabel::TextTop(shadow), 3);
    shadow.SetVisible(false);
    EXPECT_EQ(BlinkLabel::TextLeft(Qt::AlignLeft, 100, 40, shadow), 0);
    EXPECT_EQ(BlinkLabel::TextTop(shadow), 0);
}

TEST(BlinkLabel, autoSize_takesTheShadowIntoTheExtent) {
    BlinkLabel label(QStringLiteral("Linkhive"));
    label.Shadow()->SetOffsetLeft(2);
    label.Shadow()->SetOffsetTop(2);
    const QFontMetrics fm(label.font());
    EXPECT_EQ(label.width(), fm.horizontalAdvance(QStringLiteral("Linkhive")) + 2);
    EXPECT_EQ(label.height(), fm.height() + 2);
}

TEST(BlinkLabel, hiddenPhase_paintsOnlyTheBackground) {
    BlinkLabel label(QStringLiteral("Linkhive"));
    label.SetColor(Qt::white);
    label.SetFontColor(Qt::black);
    EXPECT_FALSE(IsUniform(label, Qt::white));
    label.TimerTick();
    EXPECT_TRUE(IsUniform(label, Qt::white));
}

TEST(MarqueeLabel, properties_areClamped) {
    MarqueeLabel label;
    EXPECT_EQ(label.Speed(), 100);
    EXPECT_EQ(label.Steps(), 50);
    EXPECT_EQ(label.Direction(), MarqueeLabel::RightToLeft);
    const struct {
        int set;
        int speed;
    } speeds[] = {{0, 1}, {5000, 1000}, {-7, 1}, {1, 1}, {1000, 1000}, {250, 250}};
    for (const auto& c : speeds) {
        label.setProperty("Speed", c.set);
        EXPECT_EQ(label.property("Speed").toInt(), c.speed) << c.set;
    }
    label.setProperty("Steps", -3);
    EXPECT_EQ(label.property("Steps").toInt(), 1);
    label.setProperty("Steps", 0);
    EXPECT_EQ(label.Steps(), 1);
    label.setProperty("Steps", 80);
    EXPECT_EQ(label.Steps(), 80);
}

struct PassRecord {
    int begins = 0;
    int steps = 0;
    int ends = 0;
    std::vector<int> stepSeen;
};

void Record(MarqueeLabel& label, PassRecord& record) {
    QObject::connect(&label, &MarqueeLabel::OnBegin, [&] { ++record.begins; });
    QObject::connect(&label, &MarqueeLabel::OnStep, [&] {
        ++record.steps;
        record.stepSeen.push_back(label.CurrentStep());
    });
    QObject::connect(&label, &MarqueeLabel::OnEnd, [&] { ++record.ends; });
}

void RunToEnd(MarqueeLabel& label) {
    for (int guard = 0; label.IsRunning() && guard < 10000; ++guard)
        label.TimerTick();
}

TEST(MarqueeLabel, start_runsOnePassFromStepZero) {
    MarqueeLabel label;
    PassRecord record;
    Record(label, record);
    label.Start(-1);
    EXPECT_TRUE(label.IsRunning());
    RunToEnd(label);
    EXPECT_EQ(record.begins, 1);
    EXPECT_EQ(record.steps, 50);
    EXPECT_EQ(record.ends, 1);
    EXPECT_EQ(record.stepSeen.front(), 1);
    EXPECT_EQ(record.stepSeen.back(), 50);
    EXPECT_EQ(label.CurrentStep(), 0);
    EXPECT_FALSE(label.IsRunning());
    label.TimerTick(); // a late tick after the pass does nothing
    EXPECT_EQ(record.steps, 50);
}

TEST(MarqueeLabel, start_firstStepWithinRangeIsKept) {
    const struct {
        int first;
        int steps;
        int begins;
    } cases[] = {{60, 50, 1}, {20, 30, 0}, {0, 50, 1}, {50, 1, 0}, {-5, 50, 1}};
    for (const auto& c : cases) {
        MarqueeLabel label;
        PassRecord record;
        Record(label, record);
        label.Start(c.first);
        RunToEnd(label);
        EXPECT_EQ(record.steps, c.steps) << c.first;
        EXPECT_EQ(record.begins, c.begins) << c.first;
        EXPECT_EQ(record.ends, 1) << c.first;
    }
}

TEST(MarqueeLabel, startWhileRunning_changesNothing) {
    MarqueeLabel label;
    label.Start(0);
    label.TimerTick();
    label.TimerTick();
    label.Start(30);
    EXPECT_EQ(label.CurrentStep(), 2);
}

TEST(MarqueeLabel, ownTimer_carriesAPassToItsEnd) {
    MarqueeLabel label;
    label.SetSpeed(1);
    label.SetSteps(5);
    PassRecord record;
    Record(label, record);
    QSignalSpy ended(&label, &MarqueeLabel::OnEnd);
    label.Start(-1);
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(record.begins, 1);
    EXPECT_EQ(record.steps, 5);
    EXPECT_FALSE(label.IsRunning());
}

TEST(MarqueeLabel, textLeft_crossesTheLabelAndRoundsHalfToEven) {
    TextShadow shadow;
    shadow.SetOffsetLeft(0);
    using M = MarqueeLabel;
    // At rest the text lies just outside, and at the last step just outside the other side.
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 0, 50, 257, 100, shadow), 257);
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 50, 50, 257, 100, shadow), -100);
    EXPECT_EQ(M::TextLeft(M::LeftToRight, 0, 50, 257, 100, shadow), -100);
    EXPECT_EQ(M::TextLeft(M::LeftToRight, 50, 50, 257, 100, shadow), 257);
    // Halves: 0.5 x 5 = 2.5 goes to 2, 0.5 x 7 = 3.5 goes to 4.
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 1, 2, 3, 2, shadow), 0);
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 1, 2, 5, 2, shadow), 2);
    EXPECT_EQ(M::TextLeft(M::LeftToRight, 1, 2, 3, 2, shadow), 0);
    // A shadow to the left moves the text right by its offset; one to the right does not.
    shadow.SetOffsetLeft(-3);
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 0, 50, 257, 100, shadow), 260);
    shadow.SetOffsetLeft(3);
    EXPECT_EQ(M::TextLeft(M::RightToLeft, 0, 50, 257, 100, shadow), 257);
}

TEST(MarqueeLabel, textTop_centresAndTruncatesTowardZero) {
    TextShadow shadow;
    shadow.SetOffsetTop(0);
    EXPECT_EQ(MarqueeLabel::TextTop(17, 17, shadow), 0);
    EXPECT_EQ(MarqueeLabel::TextTop(12, 17, shadow), 0);
    EXPECT_EQ(MarqueeLabel::TextTop(30, 17, shadow), 6);
    shadow.SetOffsetTop(10);
    EXPECT_EQ(MarqueeLabel::TextTop(20, 17, shadow), -3);
    shadow.SetVisible(false);
    EXPECT_EQ(MarqueeLabel::TextTop(20, 17, shadow), 1);
}

TEST(MarqueeLabel, atRest_showsOnlyTheBackground_midPassTheText) {
    MarqueeLabel label;
    label.resize(200, 20);
    label.SetCaption(QStringLiteral("Linkhive"));
    label.SetColor(Qt::white);
    label.SetFontColor(Qt::black);
    EXPECT_TRUE(IsUniform(label, Qt::white));
    label.Start(25);
    label.TimerTick();
    EXPECT_FALSE(IsUniform(label, Qt::white));
}

TEST(Gauge, percentDone_truncatesAndKeepsWithinRange) {
    EXPECT_EQ(Gauge::PercentDone(0, 100, 0), 0);
    EXPECT_EQ(Gauge::PercentDone(0, 3, 2), 66);
    EXPECT_EQ(Gauge::PercentDone(0, 0, 0), 0);
    EXPECT_EQ(Gauge::PercentDone(0, 2'000'000'000, 1'999'999'999), 99);
    Gauge gauge;
    gauge.SetMaxValue(1000);
    gauge.SetProgress(1500);
    EXPECT_EQ(gauge.Progress(), 1000);
    EXPECT_EQ(gauge.PercentDone(), 100);
    gauge.SetProgress(-4);
    EXPECT_EQ(gauge.Progress(), 0);
}

TEST(ProgramPicture, everySizeIsDrawnOnATransparentGround) {
    for (const int size : kProgramIconSizes) {
        const QImage image = PaintProgramPicture(size);
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
    EXPECT_EQ(ProgramPixmap().size(), QSize(32, 32));
    EXPECT_EQ(ProgramIcon().availableSizes().size(), std::size(kProgramIconSizes));
}

} // namespace
} // namespace lh
