#pragma once

#include <atomic>
#include <cstdint>

#include "IndicatorFeed.h"
#include "MonotonicClock.h"
#include "ReadingStore.h"
#include "WeightSimulator.h"

namespace vesk {

// Stands in for the indicator on a station without one: hands the simulator's weight to the
// feed ten times a second, like a real indicator's stream.
class SimulatorSource {
  public:
    static constexpr int kUpdateIntervalMs = 100;

    SimulatorSource(std::uint64_t seed, IndicatorFeed& feed, ReadingStore& store,
                    const MonotonicClock& clock);

    // One update at the clock's current time.
    void step();
    // Runs until `stop` becomes true.
    void run(const std::atomic<bool>& stop);

  private:
    WeightSimulator simulator_;
    IndicatorFeed& feed_;
    const MonotonicClock& clock_;
    std::int64_t startMs_;
};

}  // namespace vesk
