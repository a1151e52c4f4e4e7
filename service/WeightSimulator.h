#pragma once

#include <cstdint>

#include "DecimalValue.h"

namespace vesk {

// A truck scale with no hardware behind it, for demonstration stations: every minute a truck
// drives on, the weight climbs and wobbles, settles and holds, the truck drives off and the
// scale shows zero until the next one. The weight is a pure function of the seed and the
// time, so a test can ask for any moment.
class WeightSimulator {
  public:
    static constexpr std::int64_t kCycleMs = 60000;
    static constexpr std::int64_t kDivisionKg = 20;

    explicit WeightSimulator(std::uint64_t seed) : seed_(seed) {}

    // The displayed weight in kilograms (no decimals) at elapsedMs after the start.
    DecimalValue readingAt(std::int64_t elapsedMs) const;

    struct Truck {
        std::int64_t arriveMs;  // scale empty before this
        std::int64_t settleMs;  // climbing until here, wobbling after
        std::int64_t stableMs;  // holding the load from here
        std::int64_t leaveMs;   // driving off from here
        std::int64_t goneMs;    // empty again from here
        std::int64_t loadKg;
    };
    // The truck of the cycle that holds elapsedMs, with its times inside that cycle.
    Truck truckAt(std::int64_t elapsedMs) const;

  private:
    std::uint64_t random(std::uint64_t a, std::uint64_t b) const;
    std::int64_t between(std::uint64_t cycle, std::uint64_t salt, std::int64_t low,
                         std::int64_t high) const;

    std::uint64_t seed_;
};

}  // namespace vesk
