#include "AsciiLineParser.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace vesk {
namespace {

constexpr std::size_t kMaxLine = 40;
constexpr std::array<std::string_view, 3> kStates{"ST,", "US,", "OL,"};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// How the bytes at `at` relate to a line start: 1 a full state prefix, 0 a prefix cut short
// by the end of the bytes, -1 no prefix.
int prefixAt(std::string_view bytes, std::size_t at) {
    const std::string_view rest = bytes.substr(at);
    for (const auto state : kStates) {
        if (rest.substr(0, state.size()) == state.substr(0, rest.size())) {
            return rest.size() >= state.size() ? 1 : 0;
        }
    }
    return -1;
}

std::optional<ParsedFrame> decodeWeight(std::string_view field, bool stable) {
    if (field.empty() || (field.front() != '+' && field.front() != '-')) {
        return std::nullopt;
    }
    const char sign = field.front();
    field.remove_prefix(1);
    while (!field.empty() && field.front() == ' ') {
        field.remove_prefix(1);
    }
    while (!field.empty() && field.back() == ' ') {
        field.remove_suffix(1);
    }
    std::size_t unitLength = 0;
    while (unitLength < field.size() && isLetter(field[field.size() - 1 - unitLength])) {
        ++unitLength;
    }
    if (unitLength == 0) {
        return std::nullopt;
    }
    field.remove_suffix(unitLength);
    while (!field.empty() && field.back() == ' ') {
        field.remove_suffix(1);
    }
    auto value = DecimalValue::parse(std::string(1, sign) + std::string(field));
    if (!value) {
        return std::nullopt;
    }
    return ParsedFrame::weight(*value, stable);
}

ParsedFrame decodeLine(std::string_view line) {
    const std::string_view state = line.substr(0, 2);
    const std::string_view kind = line.substr(3, 3);
    if (kind != "GS," && kind != "NT,") {
        return ParsedFrame::bad("content");
    }
    if (state == "OL") {
        return ParsedFrame::overload();
    }
    auto frame = decodeWeight(line.substr(6), state == "ST");
    return frame ? *frame : ParsedFrame::bad("content");
}

}  // namespace

FrameParser::Scan AsciiLineParser::scanAt(std::string_view bytes) {
    const int prefix = prefixAt(bytes, 0);
    if (prefix < 0) {
        return Scan::notAFrame();
    }
    if (prefix == 0) {
        return Scan::needMore();
    }
    for (std::size_t at = 1; at < bytes.size() && at < kMaxLine; ++at) {
        if (bytes[at] == '\n') {
            if (bytes[at - 1] != '\r') {
                return Scan::notAFrame();
            }
            return Scan::complete(at + 1, decodeLine(bytes.substr(0, at - 1)));
        }
        // A new line starting inside this one means this one was cut off.
        if (prefixAt(bytes.substr(0, std::min(bytes.size(), at + 3)), at) == 1) {
            return Scan::notAFrame();
        }
    }
    return bytes.size() < kMaxLine ? Scan::needMore() : Scan::notAFrame();
}

}  // namespace vesk
