#include "base/locale_formats.h"

#include <langinfo.h>
#include <time.h>

#include <cstring>

#include "base/ascii.h"

namespace cm {
namespace {

// What counts as blank around a typed field, as for every picture.
constexpr std::string_view kFieldBlanks = " \t\r\n";

struct Conversion {
    std::size_t begin;
    std::size_t end;
    char letter;
};

// The next strftime conversion at or after pos, skipping GNU flags, widths and E/O modifiers.
std::optional<Conversion> nextConversion(const std::string& format, std::size_t pos) {
    while ((pos = format.find('%', pos)) != std::string::npos) {
        std::size_t i = pos + 1;
        while (i < format.size() && std::strchr("-_0^#", format[i]) != nullptr) ++i;
        while (i < format.size() && ascii::isDigit(format[i])) ++i;
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
        if (i >= format.size()) return std::nullopt;
        if (format[i] != '%') return Conversion{pos, i + 1, format[i]};
        pos = i + 1;
    }
    return std::nullopt;
}

std::string replaceConversion(std::string format, char letter, const std::string& by) {
    std::size_t pos = 0;
    while (const auto c = nextConversion(format, pos)) {
        if (c->letter != letter) {
            pos = c->end;
            continue;
        }
        format.replace(c->begin, c->end - c->begin, by);
        pos = c->begin + by.size();
    }
    return format;
}

DateOrder dateOrder(const std::string& shortDate) {
    std::size_t day = std::string::npos;
    std::size_t month = std::string::npos;
    std::size_t year = std::string::npos;
    for (auto c = nextConversion(shortDate, 0); c; c = nextConversion(shortDate, c->end)) {
        std::size_t* at = std::strchr("de", c->letter)      ? &day
                          : std::strchr("mbBh", c->letter)  ? &month
                          : std::strchr("yYCGg", c->letter) ? &year
                                                            : nullptr;
        if (at != nullptr && *at == std::string::npos) *at = c->begin;
    }
    if (year < month && year < day) return DateOrder::YearFirst;
    if (day < month) return DateOrder::DayFirst;
    return DateOrder::MonthFirst;
}

// glibc has no long-date item, so d18 is built from the full weekday and month names in the
// field order of the locale's short date: "%A, %B %-d, %Y" where the month comes first (as in
// "C" and en_US), "%A, %-d %B %Y" where the day does, "%A, %Y %B %-d" where the year does.
const char* longDateFormat(DateOrder order) {
    switch (order) {
        case DateOrder::YearFirst:
            return "%A, %Y %B %-d";
        case DateOrder::DayFirst:
            return "%A, %-d %B %Y";
        default:
            return "%A, %B %-d, %Y";
    }
}

// The short time is the locale's time without its seconds, together with the separator that
// belongs to them: the one after ("%H時%M分%S秒") when there is one, else the one before.
std::string withoutSeconds(const std::string& format) {
    std::size_t previousEnd = 0;
    for (auto c = nextConversion(format, 0); c; c = nextConversion(format, c->end)) {
        if (c->letter != 'S') {
            previousEnd = c->end;
            continue;
        }
        std::size_t after = c->end;
        while (after < format.size() && format[after] != '%' && format[after] != ' ') ++after;
        if (after > c->end) return format.substr(0, c->begin) + format.substr(after);
        std::size_t before = c->begin;
        while (before > previousEnd && format[before - 1] != ' ') --before;
        return format.substr(0, before) + format.substr(c->end);
    }
    return format;
}

std::string localeText(locale_t locale, const std::string& format, const tm& fields) {
    char buffer[256];
    const std::size_t n = strftime_l(buffer, sizeof buffer, format.c_str(), &fields, locale);
    return std::string(buffer, n);
}

std::optional<tm> localeParse(locale_t locale, std::string_view text, const std::string& format) {
    const std::string input(text);
    tm fields{};
    const char* rest = strptime_l(input.c_str(), format.c_str(), &fields, locale);
    if (rest == nullptr || !ascii::trim(rest, kFieldBlanks).empty()) return std::nullopt;
    return fields;
}

}  // namespace

LocaleFormats& LocaleFormats::instance() {
    static LocaleFormats formats = [] {
        locale_t locale = newlocale(LC_TIME_MASK, "", locale_t{});
        if (locale == nullptr) locale = newlocale(LC_TIME_MASK, "C", locale_t{});
        return LocaleFormats(locale);
    }();
    return formats;
}

const LocaleFormats& LocaleFormats::current() {
    return instance();
}

bool LocaleFormats::use(const char* name) {
    locale_t locale = newlocale(LC_TIME_MASK, name, locale_t{});
    if (locale == nullptr) return false;
    instance().adopt(locale);
    return true;
}

void LocaleFormats::adopt(locale_t locale) {
    if (m_locale != nullptr) freelocale(m_locale);
    m_locale = locale;

    m_shortDate = nl_langinfo_l(D_FMT, locale);
    if (m_shortDate.empty()) m_shortDate = "%m/%d/%y";
    m_shortDate = replaceConversion(m_shortDate, 'D', "%m/%d/%y");
    m_shortDate = replaceConversion(m_shortDate, 'F', "%Y-%m-%d");
    m_shortDateOrder = dateOrder(m_shortDate);
    m_longDate = longDateFormat(m_shortDateOrder);
    m_shortDateHasTwoDigitYear = false;
    for (auto c = nextConversion(m_shortDate, 0); c; c = nextConversion(m_shortDate, c->end))
        m_shortDateHasTwoDigitYear = m_shortDateHasTwoDigitYear || c->letter == 'y';

    m_longTime = nl_langinfo_l(T_FMT, locale);
    if (m_longTime.empty()) m_longTime = "%H:%M:%S";
    m_longTime = replaceConversion(m_longTime, 'r', nl_langinfo_l(T_FMT_AMPM, locale));
    m_longTime = replaceConversion(m_longTime, 'T', "%H:%M:%S");
    if (m_longTime.empty()) m_longTime = "%H:%M:%S";
    m_shortTime = withoutSeconds(m_longTime);
}

std::string LocaleFormats::formatDate(std::int32_t date, bool longForm) const {
    const YearMonthDay ymd = Date::toYmd(date);
    tm fields{};
    fields.tm_year = ymd.year - 1900;
    fields.tm_mon = ymd.month - 1;
    fields.tm_mday = ymd.day;
    fields.tm_wday = Date::weekday(date);
    fields.tm_yday = date - Date::fromYmd(ymd.year, 1, 1);
    return localeText(m_locale, longForm ? m_longDate : m_shortDate, fields);
}

std::string LocaleFormats::formatTime(const HourMinuteSecond& hms, bool longForm) const {
    tm fields{};
    fields.tm_mday = 1;
    fields.tm_hour = hms.hour;
    fields.tm_min = hms.minute;
    fields.tm_sec = hms.second;
    return localeText(m_locale, longForm ? m_longTime : m_shortTime, fields);
}

std::optional<YearMonthDay> LocaleFormats::parseDate(std::string_view text, bool longForm) const {
    const auto fields = localeParse(m_locale, text, longForm ? m_longDate : m_shortDate);
    if (!fields) return std::nullopt;
    return YearMonthDay{fields->tm_year + 1900, fields->tm_mon + 1, fields->tm_mday};
}

std::optional<HourMinuteSecond> LocaleFormats::parseTime(std::string_view text, bool longForm) const {
    const auto fields = localeParse(m_locale, text, longForm ? m_longTime : m_shortTime);
    if (!fields) return std::nullopt;
    return HourMinuteSecond{fields->tm_hour, fields->tm_min, fields->tm_sec};
}

}  // namespace cm
