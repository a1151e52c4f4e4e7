#pragma once

#include <string>

#include "app/UFrmVeskCommStartup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/QtEventPump.h"
#include "app/qt/QtTimer.h"

namespace vesk {

class InstanceChannel;

// The supervisor as one object: the Qt window, its two timers and event loop, and the core
// form they drive.
class StationShell {
  public:
    StationShell(ProcessPort& processes, HttpPort& http, const Clock& clock, std::string exeFolder);

    // Runs the start-up sequence with the window hidden. On a desktop that has no tray the
    // window is put on screen instead, so the operator still has a way in.
    void start(bool trayAvailable);

    // Runs the event loop until the operator's Exit; the exit code of the run.
    int run();

    // Requests from other programs reach the window from now on.
    void serve(InstanceChannel& channel);
    void activateFromOutside();

    MainWindow& window() { return window_; }
    TFrmVeskCommStartup& form() { return form_; }
    QtTimer& minuteTimer() { return minuteTimer_; }
    QtTimer& weightTimer() { return weightTimer_; }

  private:
    MainWindow window_;
    QtTimer minuteTimer_{30000};
    QtTimer weightTimer_{1000};
    QtEventPump pump_;
    TFrmVeskCommStartup form_;
};

}  // namespace vesk
