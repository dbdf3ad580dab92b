#pragma once

#include <cstdint>

namespace cm {

struct YearMonthDay {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const YearMonthDay&, const YearMonthDay&) = default;
};

// A date is a day number: day 0 is 28 December 1800 (a Sunday), so the weekday of day d is
// d mod 7 (0 = Sunday). 0 in a date field means "no date". Supported years are 1801..9999.
class Date {
public:
    static constexpr std::int32_t kNone = 0;
    static constexpr int kMinYear = 1801;
    static constexpr int kMaxYear = 9999;

    static bool isLeapYear(int year);
    static int daysInMonth(int year, int month);
    static bool isValid(int year, int month, int day);

    // Exact conversion; returns kNone for an impossible or unsupported date.
    static std::int32_t fromYmd(int year, int month, int day);
    // Builds a date the way the program builds its own dates: a day beyond the month's end rolls
    // into the next month, a month above 12 into the following years, a day or month below 1
    // back into the previous ones (31 April -> 1 May; month 14 of 2026 -> February 2027).
    static std::int32_t build(int month, int day, int year);
    static YearMonthDay toYmd(std::int32_t date);

    static int weekday(std::int32_t date);  // 0 = Sunday .. 6 = Saturday
    static int year(std::int32_t date) { return toYmd(date).year; }
    static int month(std::int32_t date) { return toYmd(date).month; }
    static int day(std::int32_t date) { return toYmd(date).day; }
    static std::int32_t lastDayOfMonth(std::int32_t date);
    static std::int32_t firstSupported();  // 1 January 1801
    static std::int32_t lastSupported();   // 31 December 9999
};

}  // namespace cm
