#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ParsedFrame.h"

namespace vesk {

// Cuts an indicator's byte stream into frames. Bytes come in whatever pieces the port hands
// over: a frame split across reads is kept until it is complete, joined frames are split, and
// bytes that cannot start a frame are skipped until the next frame start.
class FrameParser {
  public:
    virtual ~FrameParser() = default;

    // The protocol's name as the settings spell it.
    virtual std::string name() const = 0;

    // Takes the next bytes read from the port; returns the frames they complete, in order.
    virtual std::vector<ParsedFrame> feed(std::string_view bytes);

  protected:
    struct Scan {
        enum class Outcome { NeedMore, NotAFrame, Frame };
        Outcome outcome = Outcome::NotAFrame;
        std::size_t length = 0;  // bytes the frame takes, for Frame
        ParsedFrame frame;

        static Scan needMore() { return {Outcome::NeedMore, 0, {}}; }
        static Scan notAFrame() { return {Outcome::NotAFrame, 0, {}}; }
        static Scan complete(std::size_t length, ParsedFrame frame) {
            return {Outcome::Frame, length, std::move(frame)};
        }
    };

    // Looks at the bytes from a possible frame start. NotAFrame drops the first byte as
    // noise and looks again from the next one, which is how the stream resynchronises.
    virtual Scan scanAt(std::string_view bytes) = 0;

  private:
    // A frame never gets this long; more buffered bytes than this are noise.
    static constexpr std::size_t kMaxBuffered = 4096;
    std::string buffer_;
};

}  // namespace vesk
