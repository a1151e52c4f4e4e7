#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "FakeMonotonicClock.h"
#include "SimulatorSource.h"
#include "WeightSimulator.h"
#include "support/FakeClock.h"

namespace vesk {
namespace {

TEST(WeightSimulator, IsAFunctionOfSeedAndTime) {
    const WeightSimulator a(7), sameSeed(7), otherSeed(8);
    bool differs = false;
    for (std::int64_t t = 0; t < 5 * WeightSimulator::kCycleMs; t += 250) {
        ASSERT_EQ(a.readingAt(t), sameSeed.readingAt(t)) << t;
        differs = differs || !(a.readingAt(t) == otherSeed.readingAt(t));
    }
    EXPECT_TRUE(differs);
}

TEST(WeightSimulator, TrucksDriveOnSettleHoldAndLeave) {
    const WeightSimulator simulator(42);
    for (std::int64_t cycle = 0; cycle < 20; ++cycle) {
        SCOPED_TRACE(cycle);
        const std::int64_t base = cycle * WeightSimulator::kCycleMs;
        const auto truck = simulator.truckAt(base);
        EXPECT_EQ(simulator.readingAt(base).units, 0);
        EXPECT_EQ(simulator.readingAt(base + truck.arriveMs - 1).units, 0);
        EXPECT_EQ(simulator.readingAt(base + truck.goneMs).units, 0);
        EXPECT_EQ(simulator.readingAt(base + WeightSimulator::kCycleMs - 1).units, 0);
        for (std::int64_t t = truck.stableMs; t < truck.leaveMs; t += 100) {
            ASSERT_EQ(simulator.readingAt(base + t).units, truck.loadKg) << t;
        }
        std::set<std::int64_t> climbing, wobbling;
        for (std::int64_t t = truck.arriveMs; t < truck.stableMs; t += 100) {
            const auto kg = simulator.readingAt(base + t).units;
            EXPECT_EQ(kg % WeightSimulator::kDivisionKg, 0);
            EXPECT_GE(kg, 0);
            (t < truck.settleMs ? climbing : wobbling).insert(kg);
        }
        EXPECT_GT(climbing.size(), 10u);
        EXPECT_GT(wobbling.size(), 3u);
        EXPECT_LT(*climbing.begin(), truck.loadKg / 2);
    }
}

TEST(SimulatorSource, ServesChangingReadingsWithCodeZero) {
    test::FakeClock wall;
    test::FakeMonotonicClock clock;
    ReadingStore store(wall, clock);
    IndicatorFeed feed({Protocol::Simulator, 1000, DecimalValue{}}, store, clock,
                       [](const std::string&) {});
    SimulatorSource source(3, feed, store, clock);
    std::set<std::string> values;
    std::set<bool> stability;
    for (int i = 0; i < 2 * WeightSimulator::kCycleMs / SimulatorSource::kUpdateIntervalMs; ++i) {
        source.step();
        const auto reply = nlohmann::json::parse(store.reply().body);
        ASSERT_EQ(reply["code"], 0);
        values.insert(reply["comm"]["value"].dump());
        stability.insert(reply["comm"]["stable"].get<bool>());
        clock.advance(SimulatorSource::kUpdateIntervalMs);
    }
    EXPECT_GT(values.size(), 20u);
    EXPECT_EQ(stability.size(), 2u);
}

}  // namespace
}  // namespace vesk
