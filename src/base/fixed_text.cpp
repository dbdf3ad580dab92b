#include "base/fixed_text.h"

#include "base/case_fold.h"

namespace cm {

std::string_view FixedText::trimTrailingBlanks(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return text.substr(0, n);
}

std::size_t FixedText::characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) decodeUtf8(utf8, pos);
    return count;
}

std::string FixedText::cut(std::string_view text, std::size_t width) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < width && pos < text.size(); ++count) decodeUtf8(text, pos);
    return std::string(text.substr(0, pos));
}

std::string FixedText::stored(std::string_view text, std::size_t width) {
    return std::string(trimTrailingBlanks(cut(text, width)));
}

bool FixedText::equal(std::string_view a, std::string_view b) {
    return trimTrailingBlanks(a) == trimTrailingBlanks(b);
}

bool FixedText::equalNoCase(std::string_view a, std::string_view b) {
    return CaseFold::compare(a, b) == 0;
}

int FixedText::compareNoCase(std::string_view a, std::string_view b) {
    return CaseFold::compare(a, b);
}

}  // namespace cm
