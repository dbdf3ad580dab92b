#include <ctime>

#include "base/date.h"
#include "base/time_of_day.h"
#include "shell/clock.h"

namespace cm {

Moment SystemClock::current() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    const int hundredths = static_cast<int>(ts.tv_nsec / 10'000'000);
    // A leap second (tm_sec 60) reads as the last hundredth of the minute before.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return {Date::fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
            Time::fromHms(local.tm_hour, local.tm_min, second, local.tm_sec > 59 ? 99 : hundredths)};
}

}  // namespace cm
