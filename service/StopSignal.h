#pragma once

#include <functional>

namespace vesk {

// Calls `onStop` once, on a thread of its own, when the system asks the process to end
// (Ctrl+C, a polite kill). Must be called before any other thread is started, so that none of
// them takes the request instead.
void callOnStopRequest(std::function<void()> onStop);

}  // namespace vesk
