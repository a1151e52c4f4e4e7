#include "EqualsFrameParser.h"

#include <algorithm>

namespace vesk {
namespace {

constexpr std::size_t kFrameLength = 9;

std::optional<DecimalValue> decodeDisplay(std::string display) {
    const char sign = display.front();
    if (sign != '0' && sign != '-') {
        return std::nullopt;
    }
    display.front() = sign == '-' ? '-' : '+';
    return DecimalValue::parse(display);
}

}  // namespace

std::string EqualsFrameParser::name() const {
    return order_ == Order::Reversed ? "equals" : "equals-forward";
}

FrameParser::Scan EqualsFrameParser::scanAt(std::string_view bytes) {
    if (bytes.front() != '=') {
        return Scan::notAFrame();
    }
    const std::size_t available = std::min(bytes.size(), kFrameLength);
    // Another '=' inside means this frame was cut off; the next one starts there.
    if (bytes.substr(1, available - 1).find('=') != std::string_view::npos) {
        return Scan::notAFrame();
    }
    if (bytes.size() < kFrameLength) {
        return Scan::needMore();
    }
    std::string display(bytes.substr(1, kFrameLength - 1));
    if (order_ == Order::Reversed) {
        std::reverse(display.begin(), display.end());
    }
    const auto value = decodeDisplay(display);
    if (!value) {
        return Scan::complete(kFrameLength, ParsedFrame::bad("content"));
    }
    return Scan::complete(kFrameLength, ParsedFrame::weight(*value));
}

}  // namespace vesk
