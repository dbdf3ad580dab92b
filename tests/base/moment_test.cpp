#include <gtest/gtest.h>

#include "base/date.h"
#include "base/moment.h"
#include "base/time_of_day.h"

namespace cm {
namespace {

TEST(TimeTest, EncodingAndDecoding) {
    EXPECT_EQ(Time::fromHms(0, 0), 1);
    EXPECT_EQ(Time::fromHms(23, 59, 59, 99), Time::kOneDay);
    EXPECT_EQ(Time::fromHms(17, 30, 5), 6300501);
    EXPECT_EQ(Time::toHms(6300501), (HourMinuteSecond{17, 30, 5, 0}));
    EXPECT_EQ(Time::fromHms(24, 0), Time::kNone);
    EXPECT_EQ(Time::toHms(Time::kNone), HourMinuteSecond{});
}

TEST(MomentTest, CarryAndBorrowAcrossMidnight) {
    const std::int32_t day = Date::fromYmd(2026, 12, 31);
    struct Case {
        Moment start;
        std::int64_t step;
        Moment expected;
    };
    const Case cases[] = {
        {{day, Time::fromHms(23, 0)}, 90 * 6000, {day + 1, Time::fromHms(0, 30)}},
        {{day, Time::kOneDay}, 1, {day + 1, 1}},
        {{day, 1}, -1, {day - 1, Time::kOneDay}},
        {{day, Time::fromHms(0, 10)}, -20 * 6000, {day - 1, Time::fromHms(23, 50)}},
        {{day, Time::fromHms(12, 0)}, 3650LL * Time::kOneDay, {day + 3650, Time::fromHms(12, 0)}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.start.plusHundredths(c.step), c.expected) << c.step;

    EXPECT_EQ((Moment{day, Time::kOneDay + 6000}).normalized(), (Moment{day + 1, 6000}));
    EXPECT_EQ((Moment{day, 3 * Time::kOneDay + 5}).normalized(), (Moment{day + 3, 5}));
    EXPECT_EQ((Moment{day, Time::kNone}).normalized(), (Moment{day, Time::kNone}));
}

TEST(MomentTest, CompareMomentsCarriesBothSides) {
    const std::int32_t d = Date::fromYmd(2026, 6, 1);
    struct Case {
        std::int32_t d1, t1, d2, t2;
        int expected;
    };
    const Case cases[] = {
        {d, 100, d, 100, 0},
        {d, 100, d, 101, -1},
        {d + 1, 1, d, Time::kOneDay, 1},
        {d, Time::kOneDay + 1, d + 1, 1, 0},          // carried time equals the next midnight
        {d, Time::kOneDay + 500, d + 1, 400, 1},
        {d - 1, 2 * Time::kOneDay + 1, d + 1, 1, 0},  // two days of carry
        {d, 0, d, 1, -1},                             // no time sorts before midnight
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareMoments(c.d1, c.t1, c.d2, c.t2), c.expected);
        EXPECT_EQ(compareMoments(c.d2, c.t2, c.d1, c.t1), -c.expected);
    }
}

}  // namespace
}  // namespace cm
