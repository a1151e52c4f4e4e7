#pragma once

#include "app/EventPump.h"

namespace vesk {

// The core's view of the Qt event loop of the user-interface thread.
class QtEventPump final : public EventPump {
  public:
    void processMessages() override;
    void runWhilePumping(const std::function<void()>& work) override;
    void blockingWait(int milliseconds) override;
};

}  // namespace vesk
