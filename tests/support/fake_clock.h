#pragma once

#include "base/date.h"
#include "base/time_of_day.h"
#include "shell/clock.h"

namespace cm::test {

// A clock that stands still until a test moves it.
class FakeClock final : public Clock {
public:
    FakeClock() = default;
    explicit FakeClock(Moment m) : m_now(m) {}
    FakeClock(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) { set(year, month, day, hour, minute, second); }

    Moment current() const override { return m_now; }
    void set(Moment m) { m_now = m; }
    void set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    void advanceHundredths(std::int64_t h) { m_now = m_now.plusHundredths(h); }
    void advanceSeconds(std::int64_t s) { advanceHundredths(s * 100); }

private:
    Moment m_now{Date::fromYmd(2026, 1, 1), Time::kMidnight};
};

}  // namespace cm::test
