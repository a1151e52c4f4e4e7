#pragma once

#include <string>
#include <string_view>

namespace vesk {

// A broken-down local time; every time the station shows or logs is local.
struct LocalTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Where the core gets "now" from. Passed in explicitly so that tests can stand at midnight or
// at the end of a month.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

// The machine's own clock (local time zone).
const Clock& systemClock();

// Formats a local time with the pattern letters used across the station:
// "yyyy"/"YYYY" year, "yy" two-digit year, "MM" month, "dd"/"DD" day, "HH" hour 00-23,
// "mm"/"NN" minute, "ss"/"SS" second, "ZZZ" milliseconds. Every other character stands for
// itself.
std::string formatLocalTime(const LocalTime& time, std::string_view pattern);

}  // namespace vesk
