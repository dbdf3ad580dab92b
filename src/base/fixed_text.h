#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cm {

// Text fields of the store have a width in characters. Assigning cuts at that width without
// splitting a UTF-8 character; comparisons ignore trailing blanks.
class FixedText {
public:
    static std::string_view trimTrailingBlanks(std::string_view text);
    static std::size_t characterCount(std::string_view utf8);
    // The text cut to at most width characters.
    static std::string cut(std::string_view text, std::size_t width);
    // Cut to width and trailing blanks removed: the form in which the store keeps a text field.
    static std::string stored(std::string_view text, std::size_t width);
    static bool equal(std::string_view a, std::string_view b);          // exact, trailing blanks ignored
    static bool equalNoCase(std::string_view a, std::string_view b);    // key comparison
    static int compareNoCase(std::string_view a, std::string_view b);   // key comparison
};

// A text(n) value: never holds more than N characters.
template <std::size_t N>
class Text {
public:
    static constexpr std::size_t kWidth = N;
    Text() = default;
    Text(std::string_view text) : m_text(FixedText::cut(text, N)) {}  // NOLINT: implicit by design
    Text(const char* text) : Text(std::string_view(text)) {}         // NOLINT
    Text(const std::string& text) : Text(std::string_view(text)) {}  // NOLINT
    Text& operator=(std::string_view text) {
        m_text = FixedText::cut(text, N);
        return *this;
    }
    const std::string& str() const { return m_text; }
    std::string_view trimmed() const { return FixedText::trimTrailingBlanks(m_text); }
    bool empty() const { return trimmed().empty(); }
    friend bool operator==(const Text& a, const Text& b) { return FixedText::equal(a.m_text, b.m_text); }
    friend bool operator==(const Text& a, std::string_view b) { return FixedText::equal(a.m_text, b); }

private:
    std::string m_text;
};

}  // namespace cm
