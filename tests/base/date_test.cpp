#include <gtest/gtest.h>

#include "base/date.h"

namespace cm {
namespace {

TEST(DateTest, AnchorsOfTheCalendar) {
    EXPECT_EQ(Date::fromYmd(1801, 1, 1), 4);
    EXPECT_EQ(Date::weekday(0), 0);  // 28 December 1800 was a Sunday
    EXPECT_EQ(Date::fromYmd(1959, 10, 31), 58015);
    EXPECT_EQ(Date::weekday(58015), 6);  // a Saturday
    EXPECT_EQ(Date::toYmd(58015), (YearMonthDay{1959, 10, 31}));
    EXPECT_EQ(Date::toYmd(Date::kNone), YearMonthDay{});
}

TEST(DateTest, RoundTripsEveryDayOfTheSupportedRange) {
    const std::int32_t first = Date::firstSupported();
    const std::int32_t last = Date::lastSupported();
    EXPECT_EQ(Date::toYmd(first), (YearMonthDay{1801, 1, 1}));
    EXPECT_EQ(Date::toYmd(last), (YearMonthDay{9999, 12, 31}));
    int expectedWeekday = Date::weekday(first);
    for (std::int32_t d = first; d <= last; ++d) {
        const YearMonthDay ymd = Date::toYmd(d);
        ASSERT_EQ(Date::fromYmd(ymd.year, ymd.month, ymd.day), d) << ymd.year << "-" << ymd.month << "-" << ymd.day;
        ASSERT_EQ(Date::weekday(d), expectedWeekday);
        expectedWeekday = (expectedWeekday + 1) % 7;
    }
}

TEST(DateTest, RejectsImpossibleAndUnsupportedDates) {
    struct Case {
        int y, m, d;
    };
    for (const Case& c : {Case{2026, 2, 29}, Case{2026, 2, 31}, Case{2026, 13, 1}, Case{2026, 0, 1}, Case{2026, 4, 31},
                          Case{1800, 12, 31}, Case{10000, 1, 1}, Case{1900, 2, 29}})
        EXPECT_EQ(Date::fromYmd(c.y, c.m, c.d), Date::kNone) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_NE(Date::fromYmd(2000, 2, 29), Date::kNone);
    EXPECT_NE(Date::fromYmd(2028, 2, 29), Date::kNone);
}

TEST(DateTest, BuildRollsOverDaysAndMonths) {
    struct Case {
        int month, day, year;
        YearMonthDay expected;
    };
    const Case cases[] = {
        {4, 31, 2026, {2026, 5, 1}},   {2, 30, 2026, {2026, 3, 2}},   {2, 30, 2028, {2028, 3, 1}},
        {14, 1, 2026, {2027, 2, 1}},   {13, 31, 2026, {2027, 1, 31}}, {25, 1, 2026, {2028, 1, 1}},
        {12, 32, 2026, {2027, 1, 1}},  {1, 0, 2026, {2025, 12, 31}},  {0, 15, 2026, {2025, 12, 15}},
        {2, 29, 2027, {2027, 3, 1}},   {1, 365, 2026, {2026, 12, 31}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Date::toYmd(Date::build(c.month, c.day, c.year)), c.expected)
            << c.month << "/" << c.day << "/" << c.year;
    EXPECT_EQ(Date::build(13, 1, 9999), Date::kNone);
}

TEST(DateTest, LastDayOfMonth) {
    EXPECT_EQ(Date::toYmd(Date::lastDayOfMonth(Date::fromYmd(2028, 2, 3))), (YearMonthDay{2028, 2, 29}));
    EXPECT_EQ(Date::toYmd(Date::lastDayOfMonth(Date::fromYmd(2026, 2, 28))), (YearMonthDay{2026, 2, 28}));
    EXPECT_EQ(Date::toYmd(Date::lastDayOfMonth(Date::fromYmd(2026, 12, 1))), (YearMonthDay{2026, 12, 31}));
}

}  // namespace
}  // namespace cm
