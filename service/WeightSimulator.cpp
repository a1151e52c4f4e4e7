#include "WeightSimulator.h"

#include <cmath>

namespace vesk {
namespace {

std::uint64_t splitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::int64_t toDivision(double kg) {
    const auto steps = static_cast<std::int64_t>(std::llround(kg / WeightSimulator::kDivisionKg));
    return steps < 0 ? 0 : steps * WeightSimulator::kDivisionKg;
}

}  // namespace

std::uint64_t WeightSimulator::random(std::uint64_t a, std::uint64_t b) const {
    return splitMix(seed_ ^ splitMix(a ^ splitMix(b)));
}

std::int64_t WeightSimulator::between(std::uint64_t cycle, std::uint64_t salt, std::int64_t low,
                                      std::int64_t high) const {
    const auto span = static_cast<std::uint64_t>(high - low + 1);
    return low + static_cast<std::int64_t>(random(cycle, salt) % span);
}

WeightSimulator::Truck WeightSimulator::truckAt(std::int64_t elapsedMs) const {
    const auto cycle = static_cast<std::uint64_t>(elapsedMs / kCycleMs);
    Truck truck{};
    truck.arriveMs = between(cycle, 1, 5000, 12000);
    truck.settleMs = truck.arriveMs + between(cycle, 2, 5000, 8000);
    truck.stableMs = truck.settleMs + between(cycle, 3, 3000, 5000);
    truck.goneMs = kCycleMs - between(cycle, 4, 3000, 6000);
    truck.leaveMs = truck.goneMs - between(cycle, 5, 4000, 6000);
    truck.loadKg = between(cycle, 6, 750, 2450) * kDivisionKg;
    return truck;
}

DecimalValue WeightSimulator::readingAt(std::int64_t elapsedMs) const {
    if (elapsedMs < 0) {
        elapsedMs = 0;
    }
    const Truck truck = truckAt(elapsedMs);
    const std::int64_t t = elapsedMs % kCycleMs;
    const auto cycle = static_cast<std::uint64_t>(elapsedMs / kCycleMs);
    // The indicator updates about ten times a second; the jitter changes with each update.
    const auto tick = static_cast<std::uint64_t>(elapsedMs / 100);
    const double jitter = static_cast<double>(random(cycle, 100 + tick) % 7) - 3.0;
    const auto load = static_cast<double>(truck.loadKg);
    double kg = 0.0;
    if (t < truck.arriveMs || t >= truck.goneMs) {
        kg = 0.0;
    } else if (t < truck.settleMs) {
        const double part = static_cast<double>(t - truck.arriveMs) /
                            static_cast<double>(truck.settleMs - truck.arriveMs);
        kg = load * part + jitter * kDivisionKg * 2;
    } else if (t < truck.stableMs) {
        const double since = static_cast<double>(t - truck.settleMs) / 1000.0;
        const double swing = 0.02 * load * std::exp(-since) * std::cos(since * 6.0);
        kg = load + swing + jitter * kDivisionKg;
    } else if (t < truck.leaveMs) {
        kg = load;
    } else {
        const double part = static_cast<double>(truck.goneMs - t) /
                            static_cast<double>(truck.goneMs - truck.leaveMs);
        kg = load * part + jitter * kDivisionKg * 2;
    }
    return DecimalValue{toDivision(kg), 0};
}

}  // namespace vesk
