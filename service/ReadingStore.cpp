#include "ReadingStore.h"

#include <nlohmann/json.hpp>

#include "Freshness.h"

namespace vesk {

ReadingStore::ReadingStore(const Clock& wallClock, const MonotonicClock& monotonicClock)
    : wallClock_(wallClock), monotonicClock_(monotonicClock) {}

void ReadingStore::portOpened() {
    std::lock_guard lock(mutex_);
    portOpen_ = true;
    // Nothing read before the port was lost belongs to the new connection.
    reading_.reset();
    overloadAtMs_.reset();
    unsettledAtMs_.reset();
    bytesAtMs_.reset();
}

void ReadingStore::portClosed(std::string why) {
    std::lock_guard lock(mutex_);
    portOpen_ = false;
    closedWhy_ = std::move(why);
}

void ReadingStore::bytesArrived() {
    std::lock_guard lock(mutex_);
    bytesAtMs_ = monotonicClock_.nowMs();
}

void ReadingStore::recordReading(const DecimalValue& value, bool stable) {
    const std::string time = formatLocalTime(wallClock_.now(), "yyyy-MM-dd HH:mm:ss");
    std::lock_guard lock(mutex_);
    reading_ = Reading{value, stable, time, monotonicClock_.nowMs()};
}

void ReadingStore::recordOverload() {
    std::lock_guard lock(mutex_);
    overloadAtMs_ = monotonicClock_.nowMs();
}

void ReadingStore::recordUnsettledProtocol() {
    std::lock_guard lock(mutex_);
    unsettledAtMs_ = monotonicClock_.nowMs();
}

WeightReply ReadingStore::reply() const {
    std::lock_guard lock(mutex_);
    if (!portOpen_) {
        return failure(kPortNotOpen, "串口未打开：" + closedWhy_);
    }
    const std::int64_t nowMs = monotonicClock_.nowMs();
    const bool readingFresh = reading_ && isFresh(reading_->atMs, nowMs);
    const bool overloadFresh = isFresh(overloadAtMs_, nowMs);
    if (overloadFresh && (!readingFresh || *overloadAtMs_ > reading_->atMs)) {
        return failure(kOverload, "称重仪表超载(OL)，没有读数");
    }
    if (readingFresh) {
        return success(*reading_);
    }
    if (isFresh(unsettledAtMs_, nowMs)) {
        return failure(kProtocolUnsettled,
                       "无法自动识别称重仪表的协议(数据按多种协议都能解读)，"
                       "请在veskComm.ini中设置Protocol");
    }
    if (isFresh(bytesAtMs_, nowMs)) {
        return failure(kNoValidFrame,
                       "3秒内收到的数据中没有有效的数据帧(校验或格式错误)，请检查波特率和协议设置");
    }
    return failure(kNoData, "3秒内未收到称重仪表的数据");
}

bool ReadingStore::isFresh(std::optional<std::int64_t> atMs, std::int64_t nowMs) const {
    return atMs && nowMs - *atMs <= kReadingLifetimeMs;
}

WeightReply ReadingStore::failure(Code code, const std::string& message) {
    nlohmann::json body{{"code", static_cast<int>(code)}, {"message", message}};
    // The reason may carry the system's error text or a port name in the local code page
    // rather than UTF-8; a strict writer would throw and turn every reply into an error.
    return {code, body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

WeightReply ReadingStore::success(const Reading& reading) {
    // Written by hand: the value must keep the indicator's own digits, which a JSON library
    // would turn into a binary double.
    std::string body = R"({"code":0,"comm":{"value":)" + reading.value.toJsonNumber();
    body += R"(,"stable":)";
    body += reading.stable ? "true" : "false";
    body += R"(,"time":")" + reading.time + R"("}})";
    return {kReading, body};
}

}  // namespace vesk
