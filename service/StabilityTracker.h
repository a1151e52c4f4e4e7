#pragma once

#include <cstdint>
#include <deque>

#include "DecimalValue.h"

namespace vesk {

// Decides "at rest" for indicators whose frames carry no motion flag: stable once the
// readings have stayed within one division of each other for a whole window. A reading holds
// until the next one, so the last reading before the window still counts for its start.
class StabilityTracker {
  public:
    // A division of zero means one step of the last displayed digit.
    StabilityTracker(std::int64_t windowMs, DecimalValue division);

    // Adds a reading taken at the monotonic time nowMs and says whether the scale is at rest.
    bool add(std::int64_t nowMs, const DecimalValue& value);
    void reset() { readings_.clear(); }

  private:
    struct Sample {
        std::int64_t atMs;
        std::int64_t micros;
    };

    std::int64_t divisionMicros(const DecimalValue& value) const;

    std::int64_t windowMs_;
    DecimalValue division_;
    std::deque<Sample> readings_;
};

}  // namespace vesk
