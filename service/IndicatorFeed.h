#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FrameParser.h"
#include "MonotonicClock.h"
#include "Protocol.h"
#include "ReadingStore.h"
#include "StabilityTracker.h"

namespace vesk {

// Turns what the port delivers into the store's state: bytes into frames, frames into
// readings with their stability. It writes one log line per change of state (protocol
// detected, first reading, data lost and back, bad frames, overload), never one per frame.
class IndicatorFeed {
  public:
    using LogSink = std::function<void(const std::string&)>;

    struct Options {
        Protocol protocol = Protocol::Auto;
        std::int64_t stableWindowMs = 1000;
        DecimalValue division;
    };

    IndicatorFeed(Options options, ReadingStore& store, const MonotonicClock& clock, LogSink log);

    // A new connection: detection, stability and the first-reading line start over.
    void restart();
    void onBytes(std::string_view bytes);
    void onFrame(const ParsedFrame& frame);
    // Called while the port is quiet, so that a loss of data is noticed without bytes.
    void onIdle();

  private:
    enum class State { Waiting, Reading, Lost, Overload };

    void onWeight(const ParsedFrame& frame);
    void onBadFrame(const ParsedFrame& frame);
    void noteDetection();
    void noteUnreadBytes();
    void enter(State state, const std::string& line);

    Options options_;
    ReadingStore& store_;
    const MonotonicClock& clock_;
    LogSink log_;
    std::unique_ptr<FrameParser> parser_;
    StabilityTracker tracker_;
    State state_ = State::Waiting;
    std::int64_t lastReadingMs_ = 0;
    bool detectionLogged_ = false;
    bool ambiguityLogged_ = false;
    bool badFrameLogged_ = false;
    // When bytes started coming without any protocol reading them, while detecting.
    std::optional<std::int64_t> unreadSinceMs_;
    bool unreadLogged_ = false;
};

}  // namespace vesk
