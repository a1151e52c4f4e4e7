#pragma once

namespace vesk {

// A repeating timer of the window. Starting it begins a fresh interval; stopping it ends its
// ticks. The shell fires the owner's handler on each tick; tests fire handlers by hand.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;

    // Each handler keeps a counter here (failure count, quiet-tick count).
    int Tag = 0;
};

}  // namespace vesk
