#include "MonotonicClock.h"

#include <chrono>

namespace vesk {
namespace {

class SteadyClock final : public MonotonicClock {
  public:
    std::int64_t nowMs() const override {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    }
};

}  // namespace

const MonotonicClock& steadyClock() {
    static const SteadyClock clock;
    return clock;
}

}  // namespace vesk
