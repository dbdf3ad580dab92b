#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cm {

enum class PictureKind { Invalid, Date, Time, Number, Text, Pattern };

// A display picture ("d3", "@t3", "N30.9", "@s20", "@pPage <<<#p") compiled once, so that every
// window, report, log line and CSV field renders and reads values the same way.
//
// Each format/parse call is meant for its own kind of picture. Given a picture of another kind
// it still gives a lossless answer rather than nothing: a date renders as yyyy-mm-dd (a number
// picture shows its year, which is what the "Year Only" date format n4b asks for), a time as
// hh:mm:ss, a number in plain decimal; parsing then accepts only the forms that are always
// accepted (blank, ISO date, 24-hour time, plain number).
class Picture {
public:
    Picture() = default;
    static Picture compile(std::string_view text);

    PictureKind kind() const { return m_kind; }
    bool isValid() const { return m_kind != PictureKind::Invalid; }
    std::string_view text() const { return m_text; }
    // Characters of an s picture, total width of an n picture, 0 for the others.
    int width() const { return m_width; }
    int decimals() const { return m_decimals; }
    // Only n pictures with '-' take negative input; rendering never hides a sign.
    bool allowsNegative() const { return m_negative; }

    std::string formatDate(std::int32_t date) const;
    std::string formatTime(std::int32_t time) const;
    std::string formatNumber(double value) const;
    std::string formatText(std::string_view text) const;

    // nullopt means the text is not a date/time/number this picture accepts; blank gives 0.
    std::optional<std::int32_t> parseDate(std::string_view text) const;
    std::optional<std::int32_t> parseTime(std::string_view text) const;
    std::optional<double> parseNumber(std::string_view text) const;

private:
    std::string m_text;
    std::string m_pattern;  // p pictures: the characters between the two p's
    PictureKind m_kind = PictureKind::Invalid;
    int m_index = 0;  // 1..18 for d pictures, 1..8 for t pictures
    int m_width = 0;
    int m_decimals = 0;
    bool m_negative = false;
    bool m_zeroFill = false;
    bool m_blankWhenZero = false;
};

std::string formatDate(std::int32_t date, std::string_view picture);
std::string formatTime(std::int32_t time, std::string_view picture);
std::string formatNumber(double value, std::string_view picture);

// d17, d18, t7 and t8 follow the user's LC_TIME locale, read once. Tests and a settings reload
// can switch to a named locale ("C", "de_DE.UTF-8"); false when it does not exist, in which case
// the current one stays.
bool usePictureLocale(const char* name);

}  // namespace cm
