#include <gtest/gtest.h>

#include <vector>

#include "StabilityTracker.h"

namespace vesk {
namespace {

struct Step {
    std::int64_t atMs;
    std::int64_t kg;
    bool stable;
};

void play(StabilityTracker& tracker, const std::vector<Step>& steps) {
    for (const auto& step : steps) {
        EXPECT_EQ(tracker.add(step.atMs, DecimalValue{step.kg, 0}), step.stable)
            << "at " << step.atMs << " ms, " << step.kg << " kg";
    }
}

TEST(StabilityTracker, StableOnlyAfterAWholeWindowWithinOneDivision) {
    StabilityTracker tracker(1000, DecimalValue{20, 0});
    play(tracker, {
                      {0, 12340, false},     // one reading proves nothing yet
                      {500, 12360, false},   // within a division, window not yet covered
                      {1000, 12340, true},   // covered, spread 20 = one division
                      {1100, 12380, false},  // spread 40
                      {1900, 12380, false},  // 12340 at 1000 still within the window
                      {2100, 12380, true},   // 12380 has held since 1100
                  });
}

TEST(StabilityTracker, DefaultDivisionIsOneStepOfTheLastDigit) {
    StabilityTracker tracker(1000, DecimalValue{});
    play(tracker, {{0, 100, false}, {600, 101, false}, {1200, 101, true}, {1300, 103, false}});
    tracker.reset();
    // With two decimals one step is 0.01.
    EXPECT_FALSE(tracker.add(0, DecimalValue{1234, 2}));
    EXPECT_TRUE(tracker.add(1000, DecimalValue{1235, 2}));
    EXPECT_FALSE(tracker.add(1100, DecimalValue{1237, 2}));
}

TEST(StabilityTracker, ALossOfDataStartsOver) {
    StabilityTracker tracker(1000, DecimalValue{20, 0});
    play(tracker, {{0, 500, false}, {1000, 500, true}, {9000, 500, false}, {10000, 500, true}});
}

}  // namespace
}  // namespace vesk
