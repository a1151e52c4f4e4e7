#include "FrameParser.h"

namespace vesk {

std::vector<ParsedFrame> FrameParser::feed(std::string_view bytes) {
    buffer_.append(bytes);
    std::vector<ParsedFrame> frames;
    std::size_t start = 0;
    while (start < buffer_.size()) {
        Scan scan = scanAt(std::string_view(buffer_).substr(start));
        if (scan.outcome == Scan::Outcome::NeedMore) {
            break;
        }
        if (scan.outcome == Scan::Outcome::NotAFrame) {
            ++start;
            continue;
        }
        frames.push_back(std::move(scan.frame));
        start += scan.length;
    }
    buffer_.erase(0, start);
    if (buffer_.size() > kMaxBuffered) {
        buffer_.erase(0, buffer_.size() - kMaxBuffered);
    }
    return frames;
}

}  // namespace vesk
