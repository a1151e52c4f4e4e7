#include <sys/time.h>

#include <ctime>

#include "platform/Clock.h"

namespace vesk {
namespace {

class PosixClock final : public Clock {
  public:
    LocalTime now() const override {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        std::tm parts{};
        const std::time_t seconds = tv.tv_sec;
        localtime_r(&seconds, &parts);
        LocalTime t;
        t.year = parts.tm_year + 1900;
        t.month = parts.tm_mon + 1;
        t.day = parts.tm_mday;
        t.hour = parts.tm_hour;
        t.minute = parts.tm_min;
        t.second = parts.tm_sec;
        t.millisecond = static_cast<int>(tv.tv_usec / 1000);
        return t;
    }
};

}  // namespace

const Clock& systemClock() {
    static const PosixClock clock;
    return clock;
}

}  // namespace vesk
