#pragma once

#include <QTimer>
#include <functional>

#include "app/Timer.h"

namespace vesk {

// A window timer on the Qt event loop.
class QtTimer final : public Timer {
  public:
    explicit QtTimer(int intervalMs);

    void setHandler(std::function<void()> onTick);
    void setEnabled(bool on) override;
    bool enabled() const override;
    int interval() const { return timer_.interval(); }
    int remainingMs() const { return timer_.remainingTime(); }

  private:
    QTimer timer_;
    std::function<void()> onTick_;
};

}  // namespace vesk
