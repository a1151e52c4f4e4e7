#include "SerialReader.h"

#include <chrono>
#include <thread>

namespace vesk {

SerialReader::SerialReader(SerialSettings settings, IndicatorFeed& feed, ReadingStore& store,
                           const MonotonicClock& clock, LogSink log, Opener opener)
    : settings_(std::move(settings)),
      feed_(feed),
      store_(store),
      clock_(clock),
      log_(std::move(log)),
      opener_(std::move(opener)) {}

void SerialReader::run(const std::atomic<bool>& stop) {
    while (!stop) {
        if (open()) {
            readUntilLost(stop);
        }
        pause(stop, kReopenIntervalMs);
    }
    port_.reset();
}

bool SerialReader::open() {
    std::string error;
    port_ = opener_(settings_, error);
    if (!port_) {
        store_.portClosed(error);
        // Repeated failures of the same kind are one state, not one line per attempt.
        if (error != lastOpenError_) {
            log_(error);
            lastOpenError_ = error;
        }
        return false;
    }
    lastOpenError_.clear();
    log_("串口" + settings_.portName + (everOpened_ ? "已重新打开" : "已打开"));
    everOpened_ = true;
    feed_.restart();
    store_.portOpened();
    return true;
}

void SerialReader::readUntilLost(const std::atomic<bool>& stop) {
    char buffer[512];
    std::int64_t lastPresenceCheck = clock_.nowMs();
    while (!stop) {
        const auto result = port_->read(buffer, sizeof buffer, kReadTimeoutMs);
        if (result.failed) {
            lose(result.error);
            return;
        }
        feed_.onBytes(std::string_view(buffer, result.count));
        feed_.onIdle();
        if (clock_.nowMs() - lastPresenceCheck >= kPresenceCheckMs) {
            lastPresenceCheck = clock_.nowMs();
            if (!port_->stillPresent()) {
                lose("设备已移除");
                return;
            }
        }
    }
}

void SerialReader::lose(const std::string& why) {
    port_.reset();
    const std::string text = "串口" + settings_.portName + "已断开(" + why + ")";
    store_.portClosed(text);
    log_(text + "，每" + std::to_string(kReopenIntervalMs / 1000) + "秒尝试重新打开");
    lastOpenError_.clear();
}

void SerialReader::pause(const std::atomic<bool>& stop, int ms) {
    for (int waited = 0; waited < ms && !stop; waited += 50) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace vesk
