#pragma once

#include <string_view>

// Byte-wise text helpers in which only ASCII letters have case, so UTF-8 passes through untouched
// and no answer depends on the C locale (unlike <cctype>).
namespace cm::ascii {

// Horizontal blanks: a line break is not one, since it ends an INI line rather than padding it.
inline constexpr std::string_view kBlanks = " \t\r\f\v";

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// text without the characters of blanks at either end; still a view into text when nothing is left.
std::string_view trim(std::string_view text, std::string_view blanks = kBlanks);

}  // namespace cm::ascii
