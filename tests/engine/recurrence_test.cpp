#include "engine/recurrence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/date.h"
#include "base/moment.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

// The calculation one step at a time, as the old program did it: the oracle for the jumps.
void stepByStep(ScheduleRecord& t, Moment ref) {
    const std::string unit = t.everyType.substr(0, 3);
    const std::int64_t n = std::max(t.every, 1);
    if (unit == "min" || unit == "hou") {
        const std::int64_t perDay = unit == "min" ? 1440 : 24;
        const std::int64_t size = unit == "min" ? Time::kOneMinute : Time::kOneHour;
        while (compareMoments(t.date, t.time, ref.date, ref.time) < 0) {
            if (n > perDay) {
                t.date += static_cast<std::int32_t>(n / perDay);
                t.time += static_cast<std::int32_t>((n % perDay) * size);
            } else {
                t.time += static_cast<std::int32_t>(n * size);
            }
            while (t.time > Time::kOneDay) {
                t.time -= Time::kOneDay;
                ++t.date;
            }
        }
    } else {
        const std::int32_t days = static_cast<std::int32_t>(unit == "day" ? n : 7 * n);
        while (t.date <= ref.date) t.date += days;
    }
}

TEST(RecurrenceSteps, JumpsLandWhereSteppingDoes) {
    FakeRuntime runtime;
    const Recurrence recurrence(runtime);
    std::mt19937 random(20260302);
    const char* units[] = {"minute(s)", "hour(s)", "day(s)", "week(s)"};
    const std::int32_t base = Date::fromYmd(2024, 1, 1);
    for (int i = 0; i < 3000; ++i) {
        ScheduleRecord t;
        t.scheduleType = "Custom";
        t.everyType = units[random() % 4];
        t.every = static_cast<std::int32_t>(random() % 3 == 0 ? random() % 5000 : random() % 100);
        t.date = base + static_cast<std::int32_t>(random() % 400);
        t.time = random() % 10 == 0 ? Time::kNone : static_cast<std::int32_t>(1 + random() % Time::kOneDay);
        const Moment ref{base + static_cast<std::int32_t>(random() % 800),
                         random() % 5 == 0 ? 0 : static_cast<std::int32_t>(1 + random() % Time::kOneDay)};
        ScheduleRecord expected = t;
        stepByStep(expected, ref);
        recurrence.nextOccurrence(t, ref);
        ASSERT_EQ(Moment(t.date, t.time), Moment(expected.date, expected.time))
            << t.everyType << " every " << t.every << " case " << i;
    }
}

TEST(RecurrenceSteps, AnInvalidUnitIsReportedOncePerCalculation) {
    FakeRuntime runtime;
    const Recurrence recurrence(runtime);
    ScheduleRecord t;
    t.scheduleType = "Custom";
    t.everyType = "";
    t.date = Date::fromYmd(2026, 3, 2);
    t.time = Time::fromHms(12, 30);
    t.exceptTime = 1;
    t.exceptTimeBegin = Time::fromHms(12, 0);
    t.exceptTimeEnd = Time::fromHms(13, 0);
    MemoryHolidayCalendar holidays;
    recurrence.applyExceptions(t, holidays, t.date);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    const MessageBoxRequest& box = runtime.lastBox().request;
    EXPECT_EQ(box.title, "Invalid Units");
    EXPECT_EQ(box.text, "Custom repetition is not set up properly.  Select units.");
    EXPECT_EQ(box.buttons, static_cast<unsigned>(kButtonOk));
    EXPECT_EQ(t.date, Date::fromYmd(2026, 3, 3));
    EXPECT_EQ(t.time, Time::fromHms(13, 0));
}

TEST(RecurrenceSteps, DatesPastTheCalendarStayOnItsLastDay) {
    FakeRuntime runtime;
    const Recurrence recurrence(runtime);
    ScheduleRecord t;
    t.scheduleType = "Custom";
    t.everyType = "year(s)";
    t.every = 2000000000;
    t.date = Date::fromYmd(2026, 3, 2);
    recurrence.nextOccurrence(t, Moment{t.date, 1});
    EXPECT_EQ(t.date, Date::lastSupported());
    t.everyType = "month(s)";
    t.date = Date::fromYmd(2026, 3, 2);
    recurrence.nextOccurrence(t, Moment{t.date, 1});
    EXPECT_EQ(t.date, Date::lastSupported());
}

}  // namespace
}  // namespace cm::test
