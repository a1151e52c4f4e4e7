#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "DecimalValue.h"
#include "MonotonicClock.h"
#include "platform/Clock.h"

namespace vesk {

// The reply to "/getdata": the HTTP body and the "code" in it.
struct WeightReply {
    int code = 0;
    std::string body;
};

// What the reader last learnt about the scale, shared between the reader thread and the HTTP
// threads. It answers with a reading only while the reading is fresh; otherwise with a
// non-zero "code" and a "message" saying why. "code" -1 and "_COMMON_CODE_" are never sent:
// the supervisor keeps them for a service it cannot reach.
class ReadingStore {
  public:
    enum Code {
        kReading = 0,
        kPortNotOpen = 1,
        kNoData = 2,
        kNoValidFrame = 3,
        kOverload = 4,
        kProtocolUnsettled = 5,
    };

    ReadingStore(const Clock& wallClock, const MonotonicClock& monotonicClock);

    void portOpened();
    // `why` completes the message, e.g. the port's name and the system's error text.
    void portClosed(std::string why);
    void bytesArrived();
    void recordReading(const DecimalValue& value, bool stable);
    void recordOverload();
    void recordUnsettledProtocol();

    WeightReply reply() const;

  private:
    struct Reading {
        DecimalValue value;
        bool stable = false;
        std::string time;
        std::int64_t atMs = 0;
    };

    bool isFresh(std::optional<std::int64_t> atMs, std::int64_t nowMs) const;
    static WeightReply failure(Code code, const std::string& message);
    static WeightReply success(const Reading& reading);

    const Clock& wallClock_;
    const MonotonicClock& monotonicClock_;
    mutable std::mutex mutex_;
    bool portOpen_ = false;
    std::string closedWhy_ = "尚未打开";
    std::optional<Reading> reading_;
    std::optional<std::int64_t> overloadAtMs_;
    std::optional<std::int64_t> unsettledAtMs_;
    std::optional<std::int64_t> bytesAtMs_;
};

}  // namespace vesk
