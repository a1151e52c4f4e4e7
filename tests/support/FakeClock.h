#pragma once

#include "platform/Clock.h"

namespace vesk::test {

// A clock that stands still until a test moves it.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(LocalTime start = {2024, 9, 14, 8, 5, 3, 27}) : now_(start) {}
    LocalTime now() const override { return now_; }
    void set(const LocalTime& time) { now_ = time; }

  private:
    LocalTime now_;
};

}  // namespace vesk::test
