#include "StatusWordFrameParser.h"

#include <cstdint>

namespace vesk {
namespace {

constexpr char kStx = 0x02;
constexpr char kCr = 0x0D;
constexpr std::size_t kWeightAt = 4;
constexpr std::size_t kTareAt = 10;
constexpr std::size_t kCrAt = 16;
constexpr std::size_t kBareLength = 17;

bool isStatusWord(char c) {
    return c >= 0x20 && c < 0x7F;
}
bool isDigitOrBlank(char c) {
    return (c >= '0' && c <= '9') || c == ' ';
}

bool fitsPosition(std::size_t at, char c) {
    if (at == 0) {
        return c == kStx;
    }
    if (at < kWeightAt) {
        return isStatusWord(c);
    }
    if (at < kCrAt) {
        return isDigitOrBlank(c);
    }
    return c == kCr;
}

std::uint8_t expectedChecksum(std::string_view frame) {
    unsigned sum = 0;
    for (const char c : frame) {
        sum += static_cast<std::uint8_t>(c);
    }
    return static_cast<std::uint8_t>((0x80 - (sum & 0x7F)) & 0x7F);
}

// Six digits, blanks allowed only before the first digit.
std::optional<std::int64_t> readDigits(std::string_view field) {
    std::int64_t result = 0;
    bool seenDigit = false;
    for (const char c : field) {
        if (c == ' ') {
            if (seenDigit) {
                return std::nullopt;
            }
            continue;
        }
        seenDigit = true;
        result = result * 10 + (c - '0');
    }
    if (!seenDigit) {
        return std::nullopt;
    }
    return result;
}

// Word A's code for the decimal point: 0 and 1 are displays with one or two fixed trailing
// zeros, 2 is a whole number, 3 to 7 give one to five decimals.
std::optional<ParsedFrame> decode(std::string_view frame) {
    const auto wordA = static_cast<std::uint8_t>(frame[1]);
    const auto wordB = static_cast<std::uint8_t>(frame[2]);
    const auto weight = readDigits(frame.substr(kWeightAt, 6));
    if (!weight || !readDigits(frame.substr(kTareAt, 6))) {
        return std::nullopt;
    }
    DecimalValue value{*weight, 0};
    const int code = wordA & 0x07;
    if (code == 0) {
        value.units *= 100;
    } else if (code == 1) {
        value.units *= 10;
    } else {
        value.decimals = code - 2;
    }
    if (wordB & 0x02) {
        value.units = -value.units;
    }
    const bool moving = (wordB & 0x08) != 0;
    return ParsedFrame::weight(value, !moving);
}

}  // namespace

FrameParser::Scan StatusWordFrameParser::scanAt(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size() && at < kBareLength; ++at) {
        if (!fitsPosition(at, bytes[at])) {
            return Scan::notAFrame();
        }
    }
    if (bytes.size() < kBareLength) {
        return Scan::needMore();
    }
    auto frame = decode(bytes.substr(0, kBareLength));
    if (!frame) {
        return Scan::notAFrame();
    }
    return withChecksum(bytes, std::move(*frame));
}

FrameParser::Scan StatusWordFrameParser::withChecksum(std::string_view bytes, ParsedFrame frame) {
    if (checksum_ == Checksum::Absent) {
        return Scan::complete(kBareLength, std::move(frame));
    }
    if (bytes.size() < kBareLength + 1) {
        return Scan::needMore();
    }
    const auto expected = expectedChecksum(bytes.substr(0, kBareLength));
    const auto next = static_cast<std::uint8_t>(bytes[kBareLength]);
    if (checksum_ == Checksum::Unknown && next == kStx) {
        if (bytes.size() < kBareLength + 2) {
            return Scan::needMore();
        }
        if (bytes[kBareLength + 1] != kStx) {
            checksum_ = Checksum::Absent;
            return Scan::complete(kBareLength, std::move(frame));
        }
    }
    if (next != expected) {
        // A STX where the checksum belongs starts the next frame; leave it for that one.
        const std::size_t length = next == kStx ? kBareLength : kBareLength + 1;
        return Scan::complete(length, ParsedFrame::bad("checksum"));
    }
    checksum_ = Checksum::Present;
    return Scan::complete(kBareLength + 1, std::move(frame));
}

}  // namespace vesk
