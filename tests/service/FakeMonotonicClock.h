#pragma once

#include "MonotonicClock.h"

namespace vesk::test {

// Monotonic time that moves only when a test says so.
class FakeMonotonicClock final : public MonotonicClock {
  public:
    std::int64_t nowMs() const override { return nowMs_; }
    void advance(std::int64_t ms) { nowMs_ += ms; }

  private:
    std::int64_t nowMs_ = 1000000;
};

}  // namespace vesk::test
