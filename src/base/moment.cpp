#include "base/moment.h"

#include "base/time_of_day.h"

namespace cm {

Moment Moment::normalized() const {
    if (time == Time::kNone) return *this;
    std::int64_t d = date;
    std::int64_t t = time;
    if (t > Time::kOneDay) {
        const std::int64_t days = (t - 1) / Time::kOneDay;
        d += days;
        t -= days * Time::kOneDay;
    } else if (t < 0) {
        const std::int64_t days = (-t) / Time::kOneDay + 1;
        d -= days;
        t += days * Time::kOneDay;
    }
    return {static_cast<std::int32_t>(d), static_cast<std::int32_t>(t)};
}

Moment Moment::plusHundredths(std::int64_t hundredths) const {
    // Work in a 64-bit count of hundredths since day 0 so large steps never overflow.
    const std::int64_t base = static_cast<std::int64_t>(date) * Time::kOneDay + (time == 0 ? 1 : time) - 1;
    std::int64_t total = base + hundredths;
    std::int64_t d = total >= 0 ? total / Time::kOneDay : (total - Time::kOneDay + 1) / Time::kOneDay;
    std::int64_t t = total - d * Time::kOneDay + 1;
    return {static_cast<std::int32_t>(d), static_cast<std::int32_t>(t)};
}

int compareMoments(const Moment& a, const Moment& b) {
    const Moment x = a.normalized();
    const Moment y = b.normalized();
    if (x.date != y.date) return x.date < y.date ? -1 : 1;
    if (x.time != y.time) return x.time < y.time ? -1 : 1;
    return 0;
}

int compareMoments(std::int32_t date1, std::int32_t time1, std::int32_t date2, std::int32_t time2) {
    return compareMoments(Moment{date1, time1}, Moment{date2, time2});
}

}  // namespace cm
