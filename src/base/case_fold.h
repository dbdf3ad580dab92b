#pragma once

#include <string>
#include <string_view>

namespace cm {

// Simple Unicode case folding, from a table generated once (scripts/gen-case-fold.py) so that
// the store's key order never changes behind our back with a library upgrade.
class CaseFold {
public:
    static char32_t foldCodePoint(char32_t c);
    static std::string fold(std::string_view utf8);
    // Key comparison: folded code points, trailing blanks ignored. Bytes that are not valid
    // UTF-8 compare by their value, after every real character.
    static int compare(std::string_view a, std::string_view b);
    static bool equal(std::string_view a, std::string_view b) { return compare(a, b) == 0; }
};

// Reads one code point at pos and advances pos; an invalid byte yields 0x110000 + byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t c);

}  // namespace cm
