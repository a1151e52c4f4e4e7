#include "SimulatorSource.h"

#include <chrono>
#include <thread>

namespace vesk {

SimulatorSource::SimulatorSource(std::uint64_t seed, IndicatorFeed& feed, ReadingStore& store,
                                 const MonotonicClock& clock)
    : simulator_(seed), feed_(feed), clock_(clock), startMs_(clock.nowMs()) {
    store.portOpened();
}

void SimulatorSource::step() {
    const auto reading = simulator_.readingAt(clock_.nowMs() - startMs_);
    feed_.onFrame(ParsedFrame::weight(reading));
}

void SimulatorSource::run(const std::atomic<bool>& stop) {
    while (!stop) {
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(kUpdateIntervalMs));
    }
}

}  // namespace vesk
