#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "IndicatorFeed.h"
#include "ReadingStore.h"
#include "SerialPort.h"

namespace vesk {

// Keeps the indicator's port open and feeds what it sends to the IndicatorFeed. A port that
// cannot be opened, fails or disappears is closed and tried again every few seconds, for as
// long as the service runs.
class SerialReader {
  public:
    using LogSink = std::function<void(const std::string&)>;
    using Opener = std::function<std::unique_ptr<SerialPort>(const SerialSettings&, std::string&)>;

    static constexpr int kReopenIntervalMs = 2000;
    static constexpr int kReadTimeoutMs = 200;
    static constexpr int kPresenceCheckMs = 1000;

    SerialReader(SerialSettings settings, IndicatorFeed& feed, ReadingStore& store,
                 const MonotonicClock& clock, LogSink log, Opener opener = openSerialPort);

    // Runs until `stop` becomes true.
    void run(const std::atomic<bool>& stop);

  private:
    bool open();
    void readUntilLost(const std::atomic<bool>& stop);
    void lose(const std::string& why);
    static void pause(const std::atomic<bool>& stop, int ms);

    SerialSettings settings_;
    IndicatorFeed& feed_;
    ReadingStore& store_;
    const MonotonicClock& clock_;
    LogSink log_;
    Opener opener_;
    std::unique_ptr<SerialPort> port_;
    std::string lastOpenError_;
    bool everOpened_ = false;
};

}  // namespace vesk
