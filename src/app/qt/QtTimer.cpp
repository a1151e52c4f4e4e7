#include "app/qt/QtTimer.h"

namespace vesk {

QtTimer::QtTimer(int intervalMs) {
    timer_.setInterval(intervalMs);
    // Ticks are counted (failure and quiet-tick counters); a coarse timer would let them drift.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTick_)
            onTick_();
    });
}

void QtTimer::setHandler(std::function<void()> onTick) {
    onTick_ = std::move(onTick);
}

void QtTimer::setEnabled(bool on) {
    // Switching on a running timer must not push its next tick further away.
    if (on && !timer_.isActive())
        timer_.start();
    else if (!on)
        timer_.stop();
}

bool QtTimer::enabled() const {
    return timer_.isActive();
}

}  // namespace vesk
