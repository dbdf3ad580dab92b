#include "base/time_of_day.h"

namespace cm {

std::int32_t Time::fromHms(int hour, int minute, int second, int hundredths) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        hundredths < 0 || hundredths > 99)
        return kNone;
    return hour * kOneHour + minute * kOneMinute + second * kOneSecond + hundredths + 1;
}

HourMinuteSecond Time::toHms(std::int32_t time) {
    if (!isValid(time)) return {};
    const std::int32_t t = time - 1;
    return {t / kOneHour, t / kOneMinute % 60, t / kOneSecond % 60, t % 100};
}

}  // namespace cm
