#include "base/case_fold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/fixed_text.h"

namespace cm {
namespace {

struct FoldPair {
    char32_t from;
    char32_t to;
};

constexpr FoldPair kFoldTable[] = {
#include "base/case_fold_table.inc"
};

constexpr char32_t kInvalidBase = 0x110000;

}  // namespace

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(pos);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return kInvalidBase + b0;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return kInvalidBase + b0;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return kInvalidBase + b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kInvalidBase + b0;
    }
    pos += extra + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c >= kInvalidBase) {
        out.push_back(static_cast<char>(c - kInvalidBase));
    } else if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t CaseFold::foldCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const auto it = std::lower_bound(std::begin(kFoldTable), std::end(kFoldTable), c,
                                     [](const FoldPair& p, char32_t v) { return p.from < v; });
    return (it != std::end(kFoldTable) && it->from == c) ? it->to : c;
}

std::string CaseFold::fold(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) appendUtf8(out, foldCodePoint(decodeUtf8(utf8, pos)));
    return out;
}

int CaseFold::compare(std::string_view a, std::string_view b) {
    a = FixedText::trimTrailingBlanks(a);
    b = FixedText::trimTrailingBlanks(b);
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // ASCII fast path: most keys are plain text.
        const unsigned char ca = static_cast<unsigned char>(a[i]);
        const unsigned char cb = static_cast<unsigned char>(b[j]);
        char32_t x, y;
        if (ca < 0x80 && cb < 0x80) {
            x = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
            y = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
            ++i, ++j;
        } else {
            x = foldCodePoint(decodeUtf8(a, i));
            y = foldCodePoint(decodeUtf8(b, j));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace cm
