#pragma once

#include <cstdint>

namespace cm {

struct HourMinuteSecond {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
    friend bool operator==(const HourMinuteSecond&, const HourMinuteSecond&) = default;
};

// A time is hundredths of a second since midnight plus one: 1 is 00:00:00.00 and 8,640,000 is
// 23:59:59.99. 0 in a time field means "no time".
class Time {
public:
    static constexpr std::int32_t kNone = 0;
    static constexpr std::int32_t kOneSecond = 100;
    static constexpr std::int32_t kOneMinute = 6000;
    static constexpr std::int32_t kOneHour = 360000;
    static constexpr std::int32_t kOneDay = 8640000;
    static constexpr std::int32_t kMidnight = 1;
    static constexpr std::int32_t kLast = kOneDay;

    static std::int32_t fromHms(int hour, int minute, int second = 0, int hundredths = 0);
    // For a time in 1..kOneDay; kNone gives all zeros.
    static HourMinuteSecond toHms(std::int32_t time);
    static bool isValid(std::int32_t time) { return time >= 1 && time <= kOneDay; }
};

}  // namespace cm
