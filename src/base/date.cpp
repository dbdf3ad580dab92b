#include "base/date.h"

namespace cm {
namespace {

// Days from 1 January 1970 for a proleptic Gregorian date (Howard Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr YearMonthDay civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Day 0 of the program's calendar is 28 December 1800.
constexpr std::int64_t kEpoch = daysFromCivil(1800, 12, 28);

}  // namespace

bool Date::isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int Date::daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool Date::isValid(int year, int month, int day) {
    return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

std::int32_t Date::fromYmd(int year, int month, int day) {
    if (!isValid(year, month, day)) return kNone;
    return static_cast<std::int32_t>(daysFromCivil(year, month, day) - kEpoch);
}

std::int32_t Date::build(int month, int day, int year) {
    // Normalise the month first (month 14 of 2026 is February 2027), then let the day run on
    // from the first of that month.
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    std::int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m0 = ((m0 % 12) + 12) % 12;
    if (y < kMinYear || y > kMaxYear) return kNone;
    const std::int64_t first = daysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) - kEpoch;
    const std::int64_t result = first + day - 1;
    if (result < firstSupported() || result > lastSupported()) return kNone;
    return static_cast<std::int32_t>(result);
}

YearMonthDay Date::toYmd(std::int32_t date) {
    if (date == kNone) return {};
    return civilFromDays(static_cast<std::int64_t>(date) + kEpoch);
}

int Date::weekday(std::int32_t date) {
    const int w = date % 7;
    return w < 0 ? w + 7 : w;
}

std::int32_t Date::lastDayOfMonth(std::int32_t date) {
    const YearMonthDay ymd = toYmd(date);
    return fromYmd(ymd.year, ymd.month, daysInMonth(ymd.year, ymd.month));
}

std::int32_t Date::firstSupported() {
    return static_cast<std::int32_t>(daysFromCivil(kMinYear, 1, 1) - kEpoch);
}

std::int32_t Date::lastSupported() {
    return static_cast<std::int32_t>(daysFromCivil(kMaxYear, 12, 31) - kEpoch);
}

}  // namespace cm
