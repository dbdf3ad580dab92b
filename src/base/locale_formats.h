#pragma once

#include <locale.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/date.h"
#include "base/time_of_day.h"

namespace cm {

// Where the month, day and year stand in a locale's short date.
enum class DateOrder { MonthFirst, DayFirst, YearFirst };

// The date and time formats of an LC_TIME locale, as the locale pictures (d17, d18, t7, t8) use
// them. The short date and long time are the locale's own; the long date and the short time are
// built from them, since glibc has neither.
class LocaleFormats {
public:
    // The user's LC_TIME locale ("C" when it cannot be loaded), read once, until use() picks another.
    static const LocaleFormats& current();
    // Switches to a named locale ("C", "de_DE.UTF-8"); false when it does not exist, in which case
    // the current one stays.
    static bool use(const char* name);

    LocaleFormats(const LocaleFormats&) = delete;
    LocaleFormats& operator=(const LocaleFormats&) = delete;

    std::string formatDate(std::int32_t date, bool longForm) const;
    std::string formatTime(const HourMinuteSecond& hms, bool longForm) const;

    // The fields as strptime reads them, the whole text used; nullopt when it does not match.
    // Nothing is range-checked, and a two-digit year keeps strptime's own century.
    std::optional<YearMonthDay> parseDate(std::string_view text, bool longForm) const;
    std::optional<HourMinuteSecond> parseTime(std::string_view text, bool longForm) const;

    DateOrder shortDateOrder() const { return m_shortDateOrder; }
    bool shortDateHasTwoDigitYear() const { return m_shortDateHasTwoDigitYear; }

private:
    explicit LocaleFormats(locale_t locale) { adopt(locale); }
    static LocaleFormats& instance();
    void adopt(locale_t locale);

    locale_t m_locale = nullptr;
    std::string m_shortDate;
    std::string m_longDate;
    std::string m_shortTime;
    std::string m_longTime;
    DateOrder m_shortDateOrder = DateOrder::MonthFirst;
    bool m_shortDateHasTwoDigitYear = false;
};

}  // namespace cm
