#include "platform/Clock.h"

#include <cstdio>

namespace vesk {
namespace {

void appendNumber(std::string& out, int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    out += buffer;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view token) {
    return text.substr(at, token.size()) == token;
}

}  // namespace

std::string formatLocalTime(const LocalTime& time, std::string_view pattern) {
    std::string out;
    out.reserve(pattern.size() + 8);
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (startsWith(pattern, i, "yyyy") || startsWith(pattern, i, "YYYY")) {
            appendNumber(out, time.year, 4);
            i += 4;
        } else if (startsWith(pattern, i, "yy")) {
            appendNumber(out, time.year % 100, 2);
            i += 2;
        } else if (startsWith(pattern, i, "ZZZ")) {
            appendNumber(out, time.millisecond, 3);
            i += 3;
        } else if (startsWith(pattern, i, "MM")) {
            appendNumber(out, time.month, 2);
            i += 2;
        } else if (startsWith(pattern, i, "dd") || startsWith(pattern, i, "DD")) {
            appendNumber(out, time.day, 2);
            i += 2;
        } else if (startsWith(pattern, i, "HH")) {
            appendNumber(out, time.hour, 2);
            i += 2;
        } else if (startsWith(pattern, i, "mm") || startsWith(pattern, i, "NN")) {
            appendNumber(out, time.minute, 2);
            i += 2;
        } else if (startsWith(pattern, i, "ss") || startsWith(pattern, i, "SS")) {
            appendNumber(out, time.second, 2);
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

}  // namespace vesk
