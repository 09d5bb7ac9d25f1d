#include "app/GaugeBar.h"

#include "app/MainWindow.h"
#include "controls/Gauge.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace lh;

namespace {

class ProgressDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<MainWindow>();
        w->DeferredStartup();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        bar = w->Progress();
    }

    std::unique_ptr<MainWindow> w;
    GaugeBar* bar = nullptr;
};

// Navy pixels along the first line inside the border, above the percentage text.
int NavyPixels(Gauge& gauge) {
    const QImage image = gauge.grab().toImage();
    int navy = 0;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, 1) == QColor(0, 0, 128))
            ++navy;
    return navy;
}

} // namespace

TEST_F(ProgressDisplayTest, runningPass_replacesTheStatusBarAndBringsItBack) {
    bar->ProgressStart(1000, "URL Add (x.txt)");
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(w->statusBar()->isHidden());
    EXPECT_EQ(bar->ProgressLabel()->text(), QStringLiteral("URL Add (x.txt)"));
    EXPECT_EQ(bar->height(), 19);
    bar->ProgressStep(250);
    EXPECT_EQ(bar->ProgressBar1()->value(), 250);
    bar->ProgressEnd();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(w->statusBar()->isHidden());
}

TEST_F(ProgressDisplayTest, layout_followsTheClientWidth) {
    w->resize(427, w->height());
    bar->ProgressStart(10, "File Open");
    EXPECT_EQ(bar->ProgressBar1()->width(), 213);
    EXPECT_EQ(bar->ProgressLabel()->x(), 221);
    EXPECT_EQ(bar->Gauge1()->width(), 213);
    bar->ProgressEnd();

    bar->SetInfoVisible(false);
    bar->ProgressStart(10, "ignored");
    EXPECT_EQ(bar->ProgressBar1()->width(), 427);
    EXPECT_TRUE(bar->ProgressLabel()->isHidden());
    bar->ProgressEnd();
}

TEST_F(ProgressDisplayTest, maximumZero_standsForAThousandAndStepsStopAtFull) {
    bar->ProgressStart(0, "empty");
    EXPECT_EQ(bar->ProgressBar1()->maximum(), 1000);
    EXPECT_EQ(bar->ProgressBar1()->value(), 0);
    bar->ProgressStep(998);
    bar->ProgressStep(4); // a last line without a line end
    EXPECT_EQ(bar->ProgressBar1()->value(), 1000);
    bar->ProgressEnd();
}

TEST_F(ProgressDisplayTest, switchedOff_showsNothingAndKeepsTheStatusBar) {
    bar->SetGaugeVisible(false);
    bar->ProgressStart(100, "scan");
    bar->ProgressStep(50);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(w->statusBar()->isHidden());
    bar->ProgressEnd();
    EXPECT_FALSE(w->statusBar()->isHidden());
}

TEST_F(ProgressDisplayTest, statusBarSwitchedOffInItsMenu_staysHiddenAfterThePass) {
    w->Actions().statusBarShown->trigger();
    bar->ProgressStart(100, "scan");
    bar->ProgressEnd();
    EXPECT_TRUE(w->statusBar()->isHidden());
}

TEST_F(ProgressDisplayTest, olderLook_drawsNavyToThePercentage) {
    bar->SetNewGauge(false);
    bar->ProgressStart(200, "save");
    EXPECT_TRUE(bar->ProgressBar1()->isHidden());
    Gauge& gauge = *bar->Gauge1();
    EXPECT_FALSE(gauge.isHidden());
    EXPECT_EQ(NavyPixels(gauge), 0);

    bar->ProgressStep(100);
    EXPECT_EQ(gauge.PercentDone(), 50);
    const int inner = gauge.width() - 2;
    EXPECT_EQ(NavyPixels(gauge), inner * 50 / 100);

    bar->ProgressStep(1000);
    EXPECT_EQ(gauge.PercentDone(), 100);
    EXPECT_EQ(NavyPixels(gauge), inner);
    bar->ProgressEnd();
}

TEST_F(ProgressDisplayTest, stepsThatChangeNothingVisible_leaveTheWidgetsAlone) {
    for (const bool newLook : {true, false}) {
        bar->SetNewGauge(newLook);
        bar->ProgressStart(1'000'000, "File Open (big.htm)");
        int barChanges = 0;
        const auto counter = QObject::connect(bar->ProgressBar1(), &QProgressBar::valueChanged,
                                              [&barChanges] { ++barChanges; });
        int lastPercent = 0;
        int percentJumps = 0;
        for (int line = 0; line < 10'000; ++line) {
            bar->ProgressStep(100);
            const int percent = bar->Gauge1()->PercentDone();
            if (percent != lastPercent) {
                EXPECT_EQ(percent, lastPercent + 1) << "a percent went unshown";
                lastPercent = percent;
                ++percentJumps;
            }
        }
        QObject::disconnect(counter);
        if (newLook) {
            EXPECT_EQ(barChanges, 100); // whole percents, not 10,000 lines
            EXPECT_EQ(bar->ProgressBar1()->value(), bar->ProgressBar1()->maximum());
        } else {
            EXPECT_EQ(barChanges, 0);
            EXPECT_EQ(percentJumps, 100);
        }
        bar->ProgressEnd();
    }
}
