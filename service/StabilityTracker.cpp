#include "StabilityTracker.h"

#include <algorithm>

#include "Freshness.h"

namespace vesk {

StabilityTracker::StabilityTracker(std::int64_t windowMs, DecimalValue division)
    : windowMs_(windowMs), division_(division) {}

bool StabilityTracker::add(std::int64_t nowMs, const DecimalValue& value) {
    // Across a loss of data nothing is known about what the scale did.
    const std::int64_t gapLimit = std::max(windowMs_, kReadingLifetimeMs);
    if (!readings_.empty() && nowMs - readings_.back().atMs > gapLimit) {
        readings_.clear();
    }
    readings_.push_back({nowMs, value.micros()});
    const std::int64_t windowStart = nowMs - windowMs_;
    while (readings_.size() >= 2 && readings_[1].atMs <= windowStart) {
        readings_.pop_front();
    }
    if (readings_.front().atMs > windowStart) {
        return false;
    }
    const auto [low, high] =
        std::minmax_element(readings_.begin(), readings_.end(),
                            [](const Sample& a, const Sample& b) { return a.micros < b.micros; });
    return high->micros - low->micros <= divisionMicros(value);
}

std::int64_t StabilityTracker::divisionMicros(const DecimalValue& value) const {
    if (division_.units > 0) {
        return division_.micros();
    }
    return DecimalValue{1, value.decimals}.micros();
}

}  // namespace vesk
