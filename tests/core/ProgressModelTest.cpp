#include "core/ProgressModel.h"

#include <gtest/gtest.h>
#include <limits>

using namespace lh;

namespace {

// Steps through a whole pass one unit at a time and counts the redraws the model asks for;
// every redraw must show a new display step, and no display step may be skipped unshown.
struct PassResult {
    int redraws = 0;
    bool everyRedrawShowsANewStep = true;
    bool endsShowingTheLastStep = false;
};

PassResult RunPass(std::int64_t max, int steps, std::int64_t stride) {
    ProgressModel m;
    m.SetDisplaySteps(steps);
    m.Start(max);
    PassResult r;
    std::int64_t shown = m.DisplayStep();
    for (std::int64_t done = 0; done < max; done += stride) {
        m.Step(stride);
        const bool behind = m.DisplayBehind();
        if (behind != (m.DisplayStep() != shown))
            r.everyRedrawShowsANewStep = false;
        if (behind) {
            ++r.redraws;
            m.ShowingNow();
            shown = m.DisplayStep();
        }
    }
    r.endsShowingTheLastStep = !m.DisplayBehind() && shown == steps;
    return r;
}

} // namespace

TEST(ProgressDisplaySteps, redrawOnlyWhenTheLookChanges) {
    struct Case {
        std::int64_t max;
        int steps;
        std::int64_t stride;
        int redraws;
    } const cases[] = {
        {1'000'000, 100, 1, 100}, // a line at a time: one redraw per percent
        {1'000'000, 100, 212, 100},
        {1'000, 213, 1, 213}, // bar pixels
        {37, 100, 1, 37},     // fewer positions than looks: every position is a look of its own
        {1, 100, 1, 1},
        {1'000, 100, 1'000, 1}, // one step to the end
    };
    for (const Case& c : cases) {
        const PassResult r = RunPass(c.max, c.steps, c.stride);
        EXPECT_EQ(r.redraws, c.redraws) << c.max << "/" << c.steps << "/" << c.stride;
        EXPECT_TRUE(r.everyRedrawShowsANewStep) << c.max << "/" << c.steps;
        EXPECT_TRUE(r.endsShowingTheLastStep) << c.max << "/" << c.steps;
    }
}

TEST(ProgressDisplaySteps, stepsMatchTheTruncatedShare) {
    ProgressModel m;
    m.SetDisplaySteps(100);
    m.Start(3);
    m.Step(1);
    EXPECT_EQ(m.DisplayStep(), m.Percent());
    m.Step(1);
    EXPECT_EQ(m.DisplayStep(), 66);
    m.ShowingNow();
    m.Step(-2);
    EXPECT_TRUE(m.DisplayBehind()); // going back is a change as well
    m.ShowingNow();
    EXPECT_EQ(m.DisplayStep(), 0);
    EXPECT_FALSE(m.DisplayBehind());
}

TEST(ProgressDisplaySteps, hugeRangesNeitherOverflowNorStall) {
    ProgressModel m;
    m.SetDisplaySteps(1 << 20);
    const std::int64_t max = std::numeric_limits<std::int64_t>::max() - 1;
    m.Start(max);
    m.Step(max / 2);
    EXPECT_TRUE(m.DisplayBehind());
    m.ShowingNow();
    EXPECT_EQ(m.DisplayStep(), (1 << 20) / 2);
    m.Step(max);
    EXPECT_TRUE(m.DisplayBehind());
    m.ShowingNow();
    EXPECT_EQ(m.DisplayStep(), 1 << 20);
    m.Step(1);
    EXPECT_FALSE(m.DisplayBehind());
}
