#pragma once

#include <functional>

namespace vesk {

// The window's event loop as the core sees it.
class EventPump {
  public:
    virtual ~EventPump() = default;

    // Runs every pending event (timer ticks, clicks, painting) and returns.
    virtual void processMessages() = 0;

    // Runs work on a helper thread and keeps processing events on this thread until it is
    // done, so a slow exchange never freezes the window. Handlers may run meanwhile.
    virtual void runWhilePumping(const std::function<void()>& work) = 0;

    // A plain wait that blocks this thread: nothing is painted and no timer fires meanwhile.
    virtual void blockingWait(int milliseconds) = 0;
};

}  // namespace vesk
