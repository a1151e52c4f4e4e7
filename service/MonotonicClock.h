#pragma once

#include <cstdint>

namespace vesk {

// Milliseconds that only ever move forward, for ages and time-outs: the wall clock may be
// set back by the operator or by time synchronisation while the service runs.
class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual std::int64_t nowMs() const = 0;
};

const MonotonicClock& steadyClock();

}  // namespace vesk
