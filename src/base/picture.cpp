#include "base/picture.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "base/ascii.h"
#include "base/date.h"
#include "base/fixed_text.h"
#include "base/locale_formats.h"
#include "base/time_of_day.h"

namespace cm {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};
constexpr std::array<const char*, 12> kMonthAbbreviations = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                             "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

constexpr int kLastDatePicture = 18;
constexpr int kLastTimePicture = 8;
constexpr int kShortLocaleDate = 17;
constexpr int kLongLocaleDate = 18;
constexpr int kShortLocaleTime = 7;
constexpr int kLongLocaleTime = 8;

// Blanks around a typed field; unlike INI blanks they take in a line break.
constexpr std::string_view kFieldBlanks = " \t\r\n";

std::string_view trimField(std::string_view text) {
    return ascii::trim(text, kFieldBlanks);
}

// Reads min..max digits at pos; a value only when at least min digits were there.
std::optional<int> readDigits(std::string_view text, std::size_t& pos, int min, int max) {
    int value = 0;
    int count = 0;
    while (count < max && pos < text.size() && ascii::isDigit(text[pos])) {
        value = value * 10 + (text[pos++] - '0');
        ++count;
    }
    if (count < min) return std::nullopt;
    return value;
}

std::optional<std::int32_t> validDate(int year, int month, int day) {
    const std::int32_t date = Date::fromYmd(year, month, day);
    if (date == Date::kNone) return std::nullopt;
    return date;
}

std::optional<std::int32_t> validTime(int hour, int minute, int second) {
    const std::int32_t time = Time::fromHms(hour, minute, second);
    if (time == Time::kNone) return std::nullopt;
    return time;
}

int expandTwoDigitYear(int yy) {
    return yy < 50 ? 2000 + yy : 1900 + yy;
}

std::string padded(int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    return buffer;
}

// How d1..d16 render: m, d two-digit month and day, e the day without a leading zero, y, Y the
// year in two and four digits, N the month's capital abbreviation, F its full name.
constexpr std::array<std::string_view, kLastDatePicture + 1> kDateLayouts = {
    "",      "m/d/y", "m/d/Y", "N d,Y", "F e, Y", "d/m/y", "d/m/Y", "d N y", "d N Y", "y/m/d",
    "Y/m/d", "ymd",   "Ymd",   "m/y",   "m/Y",    "y/m",   "Y/m",   "",      ""};

// How they parse, as small templates: M/D month/day of 1-2 digits, m/d exactly 2, Y a year of 2 or
// 4 digits, y exactly 2, Z exactly 4, N an English month name or its abbreviation, ' ' any
// number of blanks, ';' an optional comma; any other character stands for itself.
constexpr std::string_view kIsoForm = "Z-M-D";
constexpr std::array<std::string_view, kLastDatePicture + 1> kDateForms = {
    "",      "M/D/Y", "M/D/Y", "N D ; Y", "N D ; Y", "D/M/Y", "D/M/Y", "D N Y", "D N Y", "Y/M/D",
    "Y/M/D", "ymd",   "Zmd",   "M/Y",     "M/Y",     "Y/M",   "Y/M",   "",      ""};

std::optional<int> monthFromName(std::string_view word) {
    for (int i = 0; i < 12; ++i)
        if (ascii::equalNoCase(word, kMonthNames[i]) || ascii::equalNoCase(word, kMonthAbbreviations[i])) return i + 1;
    return std::nullopt;
}

std::optional<std::int32_t> matchDate(std::string_view text, std::string_view form) {
    std::size_t pos = 0;
    int year = 0;
    int month = 0;
    int day = 1;  // month-and-year forms stand for the first of the month
    for (const char f : form) {
        std::optional<int> n;
        switch (f) {
            case ' ':
                while (pos < text.size() && text[pos] == ' ') ++pos;
                continue;
            case ';':
                if (pos < text.size() && text[pos] == ',') ++pos;
                continue;
            case 'M':
            case 'm':
            case 'D':
            case 'd':
                if (!(n = readDigits(text, pos, f == 'M' || f == 'D' ? 1 : 2, 2))) return std::nullopt;
                (ascii::lower(f) == 'm' ? month : day) = *n;
                continue;
            case 'Y': {
                // Three digits give a year before the calendar, which the final check refuses.
                const std::size_t start = pos;
                if (!(n = readDigits(text, pos, 2, 4))) return std::nullopt;
                year = pos - start == 2 ? expandTwoDigitYear(*n) : *n;
                continue;
            }
            case 'y':
                if (!(n = readDigits(text, pos, 2, 2))) return std::nullopt;
                year = expandTwoDigitYear(*n);
                continue;
            case 'Z':
                if (!(n = readDigits(text, pos, 4, 4))) return std::nullopt;
                year = *n;
                continue;
            case 'N': {
                const std::size_t start = pos;
                while (pos < text.size() && ascii::isLetter(text[pos])) ++pos;
                if (!(n = monthFromName(text.substr(start, pos - start)))) return std::nullopt;
                month = *n;
                continue;
            }
            default:
                if (pos >= text.size() || text[pos] != f) return std::nullopt;
                ++pos;
        }
    }
    if (pos != text.size()) return std::nullopt;
    return validDate(year, month, day);
}

std::string isoDate(const YearMonthDay& ymd) {
    return padded(ymd.year, 4) + '-' + padded(ymd.month, 2) + '-' + padded(ymd.day, 2);
}

std::string clockText(const HourMinuteSecond& hms) {
    return padded(hms.hour, 2) + ':' + padded(hms.minute, 2) + ':' + padded(hms.second, 2);
}

bool isSupportedDate(std::int32_t date) {
    return date >= Date::firstSupported() && date <= Date::lastSupported();
}

// The fixed numeric form in the locale's field order.
std::string_view numericForm(DateOrder order) {
    switch (order) {
        case DateOrder::YearFirst:
            return kDateForms[10];
        case DateOrder::DayFirst:
            return kDateForms[6];
        default:
            return kDateForms[2];
    }
}

std::optional<std::int32_t> parseLocaleDate(std::string_view text, bool longForm) {
    const LocaleFormats& f = LocaleFormats::current();
    if (auto ymd = f.parseDate(text, longForm)) {
        // strptime has its own century rule for %y; ours is the one every picture uses.
        if (!longForm && f.shortDateHasTwoDigitYear()) ymd->year = expandTwoDigitYear(ymd->year % 100);
        if (const auto date = validDate(ymd->year, ymd->month, ymd->day)) return date;
    }
    for (const std::string_view form : {numericForm(f.shortDateOrder()), kDateForms[3], kDateForms[7]})
        if (const auto date = matchDate(text, form)) return date;
    return std::nullopt;
}

std::string twelveHourText(const HourMinuteSecond& hms, bool withSeconds) {
    const int hour = hms.hour % 12 == 0 ? 12 : hms.hour % 12;
    std::string text = std::to_string(hour) + ':' + padded(hms.minute, 2);
    if (withSeconds) text += ':' + padded(hms.second, 2);
    return text + (hms.hour < 12 ? "AM" : "PM");
}

// 24-hour h:mm[:ss], or 12-hour with AM/PM after it in any case, with or without a blank.
std::optional<std::int32_t> parseClock(std::string_view text) {
    std::size_t pos = 0;
    const auto hour = readDigits(text, pos, 1, 2);
    if (!hour || pos >= text.size() || text[pos++] != ':') return std::nullopt;
    const auto minute = readDigits(text, pos, 2, 2);
    if (!minute) return std::nullopt;
    std::optional<int> second = 0;
    if (pos < text.size() && text[pos] == ':' && !(second = readDigits(text, ++pos, 2, 2))) return std::nullopt;
    const std::string_view suffix = trimField(text.substr(pos));
    int h = *hour;
    if (!suffix.empty()) {
        if (h < 1 || h > 12) return std::nullopt;
        if (ascii::equalNoCase(suffix, "am"))
            h = h % 12;
        else if (ascii::equalNoCase(suffix, "pm"))
            h = h % 12 + 12;
        else
            return std::nullopt;
    }
    return validTime(h, *minute, *second);
}

// hhmm (t2) or hhmmss (t5), the hour's leading zero optional.
std::optional<std::int32_t> parseDigitTime(std::string_view text, bool withSeconds) {
    const int full = withSeconds ? 6 : 4;
    std::size_t pos = 0;
    const auto n = readDigits(text, pos, full - 1, full);
    if (!n || pos != text.size()) return std::nullopt;
    const int hhmmss = withSeconds ? *n : *n * 100;
    return validTime(hhmmss / 10000, hhmmss / 100 % 100, hhmmss % 100);
}

std::string plainNumber(double value) {
    if (value == 0) value = 0;  // no "-0"
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc{}) return {};
    return std::string(buffer, result.ptr);
}

// Optional blanks, optional sign, digits with an optional point; no exponent, no separators.
std::optional<double> parsePlainNumber(std::string_view text, bool allowNegative) {
    text = trimField(text);
    if (text.empty()) return 0.0;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text = trimField(text.substr(1));
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (const char c : text) {
        if (ascii::isDigit(c))
            sawDigit = true;
        else if (c == '.' && !sawPoint)
            sawPoint = true;
        else
            return std::nullopt;
    }
    if (!sawDigit) return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return std::nullopt;
    if (negative && value != 0 && !allowNegative) return std::nullopt;
    return negative ? -value : value;
}

// Halves round away from zero; values beyond double's fraction precision are already whole.
double roundTo(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    if (!(std::fabs(value) * scale < 4.5e15)) return value;
    return std::round(value * scale) / scale;
}

bool isDigitMark(char c) {
    return c == '<' || c == '#';
}

}  // namespace

Picture Picture::compile(std::string_view text) {
    Picture invalid;
    invalid.m_text = std::string(text);
    Picture p = invalid;
    std::string_view body = trimField(text);
    if (!body.empty() && body.front() == '@') body.remove_prefix(1);
    if (body.empty()) return invalid;
    const char letter = ascii::lower(body.front());
    std::string_view rest = body.substr(1);

    const auto wholeNumber = [](std::string_view digits, int maxDigits) -> std::optional<int> {
        std::size_t pos = 0;
        const auto n = readDigits(digits, pos, 1, maxDigits);
        if (!n || pos != digits.size()) return std::nullopt;
        return n;
    };

    switch (letter) {
        case 'd':
        case 't': {
            const int last = letter == 'd' ? kLastDatePicture : kLastTimePicture;
            const auto index = wholeNumber(rest, 2);
            if (!index || *index < 1 || *index > last) return invalid;
            p.m_index = *index;
            p.m_kind = letter == 'd' ? PictureKind::Date : PictureKind::Time;
            return p;
        }
        case 's': {
            const auto width = wholeNumber(rest, 6);
            if (!width || *width < 1) return invalid;
            p.m_width = *width;
            p.m_kind = PictureKind::Text;
            return p;
        }
        case 'n': {
            std::size_t pos = 0;
            p.m_negative = pos < rest.size() && rest[pos] == '-';
            if (p.m_negative) ++pos;
            // "n04" is zero fill with width 4, "n0" a width of 0.
            p.m_zeroFill = pos + 1 < rest.size() && rest[pos] == '0' && ascii::isDigit(rest[pos + 1]);
            if (p.m_zeroFill) ++pos;
            const auto width = readDigits(rest, pos, 1, 3);
            if (!width) return invalid;
            p.m_width = *width;
            if (pos < rest.size() && rest[pos] == '.') {
                const auto decimals = readDigits(rest, ++pos, 1, 2);
                if (!decimals || *decimals > 15) return invalid;
                p.m_decimals = *decimals;
            }
            p.m_blankWhenZero = pos < rest.size() && ascii::lower(rest[pos]) == 'b';
            if (p.m_blankWhenZero) ++pos;
            if (pos != rest.size()) return invalid;
            p.m_kind = PictureKind::Number;
            return p;
        }
        case 'p':
            if (rest.empty() || ascii::lower(rest.back()) != 'p') return invalid;
            p.m_pattern = std::string(rest.substr(0, rest.size() - 1));
            p.m_kind = PictureKind::Pattern;
            return p;
        default:
            return invalid;
    }
}

std::string Picture::formatDate(std::int32_t date) const {
    // Day numbers outside the calendar (0 included) have nothing to show.
    if (!isSupportedDate(date)) return {};
    const YearMonthDay ymd = Date::toYmd(date);
    switch (m_kind) {
        case PictureKind::Number:
        case PictureKind::Pattern:
            return formatNumber(ymd.year);
        case PictureKind::Text:
            return formatText(isoDate(ymd));
        case PictureKind::Date:
            break;
        default:
            return isoDate(ymd);
    }
    if (m_index == kShortLocaleDate || m_index == kLongLocaleDate)
        return LocaleFormats::current().formatDate(date, m_index == kLongLocaleDate);
    std::string out;
    for (const char c : kDateLayouts[m_index]) {
        switch (c) {
            case 'm':
                out += padded(ymd.month, 2);
                break;
            case 'd':
                out += padded(ymd.day, 2);
                break;
            case 'e':
                out += std::to_string(ymd.day);
                break;
            case 'y':
                out += padded(ymd.year % 100, 2);
                break;
            case 'Y':
                out += padded(ymd.year, 4);
                break;
            case 'N':
                out += kMonthAbbreviations[ymd.month - 1];
                break;
            case 'F':
                out += kMonthNames[ymd.month - 1];
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::int32_t> Picture::parseDate(std::string_view text) const {
    text = trimField(text);
    if (text.empty()) return Date::kNone;
    if (const auto date = matchDate(text, kIsoForm)) return date;
    if (m_kind != PictureKind::Date) return std::nullopt;
    if (m_index == kShortLocaleDate || m_index == kLongLocaleDate)
        return parseLocaleDate(text, m_index == kLongLocaleDate);
    return matchDate(text, kDateForms[m_index]);
}

std::string Picture::formatTime(std::int32_t time) const {
    if (!Time::isValid(time)) return {};
    // Hundredths are cut, never rounded, so 17:30:59.99 does not show as the next minute.
    const HourMinuteSecond hms = Time::toHms(time);
    if (m_kind == PictureKind::Text) return formatText(clockText(hms));
    if (m_kind != PictureKind::Time) return clockText(hms);
    const std::string hh = padded(hms.hour, 2);
    const std::string mm = padded(hms.minute, 2);
    const std::string ss = padded(hms.second, 2);
    switch (m_index) {
        case 1:
            return hh + ':' + mm;
        case 2:
            return hh + mm;
        case 3:
            return twelveHourText(hms, false);
        case 4:
            return hh + ':' + mm + ':' + ss;
        case 5:
            return hh + mm + ss;
        case 6:
            return twelveHourText(hms, true);
        default:
            return LocaleFormats::current().formatTime(hms, m_index == kLongLocaleTime);
    }
}

std::optional<std::int32_t> Picture::parseTime(std::string_view text) const {
    text = trimField(text);
    if (text.empty()) return Time::kNone;
    if (m_kind == PictureKind::Time) {
        if (m_index == 2 || m_index == 5) {
            if (const auto time = parseDigitTime(text, m_index == 5)) return time;
        } else if (m_index == kShortLocaleTime || m_index == kLongLocaleTime) {
            if (const auto hms = LocaleFormats::current().parseTime(text, m_index == kLongLocaleTime)) {
                if (const auto time = validTime(hms->hour, hms->minute, hms->second)) return time;
            }
        }
    }
    return parseClock(text);
}

std::string Picture::formatNumber(double value) const {
    if (m_kind == PictureKind::Pattern) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(std::fabs(value)));
        const std::string_view digits = buffer;
        const std::size_t leftmostMark = m_pattern.find_first_of("<#");
        // Filled from the right; digits left over when the marks run out go before the
        // leftmost one, so a number is never cut.
        std::string out;
        std::size_t remaining = digits.size();
        std::size_t signAt = std::string::npos;  // counted from the end, so prepends keep it
        for (std::size_t i = m_pattern.size(); i-- > 0;) {
            const char c = m_pattern[i];
            if (!isDigitMark(c)) {
                out.insert(out.begin(), c);
                continue;
            }
            if (remaining > 0 && i == leftmostMark)
                out.insert(0, digits.substr(0, std::exchange(remaining, 0)));
            else if (remaining > 0)
                out.insert(0, digits.substr(--remaining, 1));
            else if (c == '#')
                out.insert(out.begin(), '0');
            else
                continue;
            signAt = out.size();
        }
        if (value <= -1 && signAt != std::string::npos) out.insert(out.size() - signAt, "-");
        return out;
    }
    if (m_kind == PictureKind::Text) return formatText(plainNumber(value));
    if (m_kind != PictureKind::Number) return plainNumber(value);

    double rounded = roundTo(value, m_decimals);
    if (rounded == 0) rounded = 0;  // -0.001 at two decimals is "0.00", not "-0.00"
    const std::size_t width = static_cast<std::size_t>(m_width);
    if (m_blankWhenZero && rounded == 0) return std::string(width, ' ');
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", m_decimals, std::fabs(rounded));
    std::string digits = buffer;
    const std::string sign = rounded < 0 ? "-" : "";
    const std::size_t used = sign.size() + digits.size();
    if (used >= width) return sign + digits;
    if (m_zeroFill) return sign + std::string(width - used, '0') + digits;
    return std::string(width - used, ' ') + sign + digits;
}

std::optional<double> Picture::parseNumber(std::string_view text) const {
    if (m_kind == PictureKind::Number) return parsePlainNumber(text, m_negative);
    if (m_kind != PictureKind::Pattern) return parsePlainNumber(text, true);
    if (const auto plain = parsePlainNumber(text, true)) return plain;

    // Undo what formatting added: the literal text around the digit marks, then any literal
    // characters between them ("###-##-####").
    const std::size_t first = m_pattern.find_first_of("<#");
    if (first == std::string::npos) return std::nullopt;
    const std::size_t last = m_pattern.find_last_of("<#");
    const std::string_view pattern = m_pattern;
    const std::string_view prefix = trimField(pattern.substr(0, first));
    const std::string_view suffix = trimField(pattern.substr(last + 1));
    std::string_view body = trimField(text);
    if (ascii::startsWithNoCase(body, prefix)) body.remove_prefix(prefix.size());
    if (body.size() >= suffix.size() && ascii::equalNoCase(body.substr(body.size() - suffix.size()), suffix))
        body.remove_suffix(suffix.size());
    body = trimField(body);
    std::string digits;
    if (!body.empty() && body.front() == '-') {
        digits = "-";
        body.remove_prefix(1);
    }
    const std::string_view inner = pattern.substr(first, last - first + 1);
    for (const char c : body)
        if (inner.find(c) == std::string_view::npos || isDigitMark(c)) digits += c;
    if (digits.empty() || digits == "-") return std::nullopt;
    return parsePlainNumber(digits, true);
}

std::string Picture::formatText(std::string_view text) const {
    if (m_kind != PictureKind::Text) return std::string(text);
    return FixedText::cut(text, static_cast<std::size_t>(m_width));
}

std::string formatDate(std::int32_t date, std::string_view picture) {
    return Picture::compile(picture).formatDate(date);
}

std::string formatTime(std::int32_t time, std::string_view picture) {
    return Picture::compile(picture).formatTime(time);
}

std::string formatNumber(double value, std::string_view picture) {
    return Picture::compile(picture).formatNumber(value);
}

bool usePictureLocale(const char* name) {
    return LocaleFormats::use(name);
}

}  // namespace cm
