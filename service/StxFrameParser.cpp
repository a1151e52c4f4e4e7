#include "StxFrameParser.h"

#include <cstdint>

namespace vesk {
namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr std::size_t kFrameLength = 12;
constexpr std::size_t kChecksumAt = 9;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the byte may stand at this place of a frame; a misplaced byte means this 0x02 was
// noise or a cut-off frame, and the scan moves on to the next one.
bool fitsPosition(std::size_t at, char c) {
    if (at == 0) {
        return c == kStx;
    }
    if (at == 1) {
        return c == '+' || c == '-';
    }
    if (at < kChecksumAt) {
        return isDigit(c);
    }
    if (at == kFrameLength - 1) {
        return c == kEtx;
    }
    return c != kStx && c != kEtx;
}

int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

}  // namespace

FrameParser::Scan StxFrameParser::scanAt(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size() && at < kFrameLength; ++at) {
        if (!fitsPosition(at, bytes[at])) {
            return Scan::notAFrame();
        }
    }
    if (bytes.size() < kFrameLength) {
        return Scan::needMore();
    }
    std::uint8_t expected = 0;
    for (std::size_t at = 1; at < kChecksumAt; ++at) {
        expected ^= static_cast<std::uint8_t>(bytes[at]);
    }
    const int high = hexValue(bytes[kChecksumAt]);
    const int low = hexValue(bytes[kChecksumAt + 1]);
    if (high < 0 || low < 0 || high * 16 + low != expected) {
        return Scan::complete(kFrameLength, ParsedFrame::bad("checksum"));
    }
    const int decimals = bytes[8] - '0';
    if (decimals > 6) {
        return Scan::complete(kFrameLength, ParsedFrame::bad("decimals"));
    }
    DecimalValue value;
    for (std::size_t at = 2; at < 8; ++at) {
        value.units = value.units * 10 + (bytes[at] - '0');
    }
    value.decimals = decimals;
    if (bytes[1] == '-') {
        value.units = -value.units;
    }
    return Scan::complete(kFrameLength, ParsedFrame::weight(value));
}

}  // namespace vesk
