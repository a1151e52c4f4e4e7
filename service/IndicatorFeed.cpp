#include "IndicatorFeed.h"

#include "AutoDetectParser.h"
#include "Freshness.h"

namespace vesk {

IndicatorFeed::IndicatorFeed(Options options, ReadingStore& store, const MonotonicClock& clock,
                             LogSink log)
    : options_(options),
      store_(store),
      clock_(clock),
      log_(std::move(log)),
      tracker_(options.stableWindowMs, options.division) {
    restart();
}

void IndicatorFeed::restart() {
    parser_ = makeFrameParser(options_.protocol);
    tracker_.reset();
    state_ = State::Waiting;
    detectionLogged_ = false;
    ambiguityLogged_ = false;
    badFrameLogged_ = false;
    unreadSinceMs_.reset();
    unreadLogged_ = false;
}

void IndicatorFeed::onBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    store_.bytesArrived();
    const auto frames = parser_->feed(bytes);
    noteDetection();
    for (const auto& frame : frames) {
        onFrame(frame);
    }
}

void IndicatorFeed::onFrame(const ParsedFrame& frame) {
    switch (frame.kind) {
        case ParsedFrame::Kind::Weight:
            onWeight(frame);
            break;
        case ParsedFrame::Kind::Overload:
            store_.recordOverload();
            lastReadingMs_ = clock_.nowMs();
            enter(State::Overload, "称重仪表超载(OL)");
            break;
        case ParsedFrame::Kind::Bad:
            onBadFrame(frame);
            break;
    }
}

void IndicatorFeed::onIdle() {
    const bool silent = clock_.nowMs() - lastReadingMs_ > kReadingLifetimeMs;
    // An overloaded indicator still talks; its silence is a loss of data all the same.
    if ((state_ == State::Reading || state_ == State::Overload) && silent) {
        enter(State::Lost, "3秒内没有收到有效读数，数据中断");
        badFrameLogged_ = false;
    }
}

void IndicatorFeed::onWeight(const ParsedFrame& frame) {
    const std::int64_t nowMs = clock_.nowMs();
    const bool trackedStable = tracker_.add(nowMs, frame.value);
    const bool stable = frame.stable.value_or(trackedStable);
    store_.recordReading(frame.value, stable);
    lastReadingMs_ = nowMs;
    const std::string value = frame.value.toJsonNumber();
    if (state_ == State::Waiting) {
        enter(State::Reading, "收到第一个读数：" + value);
    } else if (state_ != State::Reading) {
        enter(State::Reading, "读数恢复：" + value);
    }
}

void IndicatorFeed::onBadFrame(const ParsedFrame& frame) {
    // Once per connection and once per loss of data: a noisy line sends many.
    if (!badFrameLogged_) {
        log_("收到错误的数据帧(" + frame.problem + ")");
        badFrameLogged_ = true;
    }
}

void IndicatorFeed::noteDetection() {
    const auto* autoParser = dynamic_cast<const AutoDetectParser*>(parser_.get());
    if (autoParser == nullptr) {
        return;
    }
    if (autoParser->detected() != nullptr && !detectionLogged_) {
        log_("识别到称重仪表协议：" + autoParser->detected()->name());
        detectionLogged_ = true;
    }
    if (autoParser->detected() == nullptr && !autoParser->ambiguous()) {
        noteUnreadBytes();
    }
    if (autoParser->detected() == nullptr && autoParser->ambiguous()) {
        store_.recordUnsettledProtocol();
        if (!ambiguityLogged_) {
            log_("数据按多种协议都能解读，无法自动识别协议，请在veskComm.ini中设置Protocol");
            ambiguityLogged_ = true;
        }
    }
}

void IndicatorFeed::noteUnreadBytes() {
    const std::int64_t nowMs = clock_.nowMs();
    if (!unreadSinceMs_) {
        unreadSinceMs_ = nowMs;
    }
    if (!unreadLogged_ && nowMs - *unreadSinceMs_ > kReadingLifetimeMs) {
        log_("收到数据但没有一种协议能够解读，请检查波特率等串口设置和Protocol");
        unreadLogged_ = true;
    }
}

void IndicatorFeed::enter(State state, const std::string& line) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    log_(line);
}

}  // namespace vesk
