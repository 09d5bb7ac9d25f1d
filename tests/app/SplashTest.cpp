#include "WidgetTestSupport.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SplashStep.h"
#include "dialogs/SplashWindow.h"
#include "util/SettingKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace lh {
namespace {

class SplashTest : public test::SettingsTest {
protected:
    void TearDown() override {
        ReleaseSplash();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    int m_recorded = 0;

    bool Step(bool guardExists) {
        return ShowSplash({[guardExists] { return guardExists; }, [this] { ++m_recorded; }});
    }
};

TEST_F(SplashTest, firstInstance_recordsAndShowsTheWindow) {
    EXPECT_TRUE(Step(false));
    EXPECT_EQ(m_recorded, 1);
    SplashWindow* splash = ActiveSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(splash->size(), QSize(354, 135));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(splash->x(), (screen.width() - 354) / 2);
    EXPECT_EQ(splash->y(), (screen.height() - 135) / 2);
}

TEST_F(SplashTest, furtherInstance_showsNothingAndRecordsByDefault) {
    EXPECT_FALSE(Step(true));
    EXPECT_EQ(m_recorded, 1);
    EXPECT_EQ(ActiveSplash(), nullptr);
}

TEST_F(SplashTest, settingsDecideRecordingAndWindow) {
    const struct {
        bool guard;
        int secondStart;
        int splashVisible;
        int recorded;
        bool shown;
    } cases[] = {
        {false, 0, 1, 1, true}, {false, 1, 0, 1, false}, {false, 0, 2, 1, false},
        {true, 0, 1, 0, false}, {true, 1, 1, 1, false},  {true, 2, 1, 0, false},
    };
    for (const auto& c : cases) {
        keys::k2ndStart.Write(ProgramSettings(), c.secondStart);
        keys::kSplashVisible.Write(ProgramSettings(), c.splashVisible);
        m_recorded = 0;
        EXPECT_EQ(Step(c.guard), c.shown) << c.guard << c.secondStart << c.splashVisible;
        EXPECT_EQ(m_recorded, c.recorded) << c.guard << c.secondStart << c.splashVisible;
        EXPECT_EQ(ActiveSplash() != nullptr, c.shown);
        ReleaseSplash();
    }
}

TEST_F(SplashTest, release_letsTheWindowGoEvenIfTheSettingChangedMeanwhile) {
    ASSERT_TRUE(Step(false));
    QPointer<SplashWindow> splash = ActiveSplash();
    keys::kSplashVisible.Write(ProgramSettings(), 0);
    ReleaseSplash();
    EXPECT_EQ(ActiveSplash(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
    ReleaseSplash(); // nothing left: harmless
}

} // namespace
} // namespace lh
