#include "shell/list_thumb.h"

#include <algorithm>

#include "base/case_fold.h"

namespace cm {

namespace {

// Each entry spreads the four characters after the common prefix.
constexpr int kSpreadCharacters = 4;
constexpr char32_t kFirstCode = 1;
constexpr char32_t kLastCode = 255;
constexpr std::u32string_view kPunctuation = U"`!\"\u00A3$%^&*()'-=_+][#;~@:/.,?\\| ";

bool inSet(char32_t c, ThumbCharset charset) {
    if (c >= U'A' && c <= U'Z') return true;
    if (c >= U'a' && c <= U'z') return charset == ThumbCharset::Letters;
    if (charset != ThumbCharset::CapitalsDigitsPunctuation) return false;
    return (c >= U'0' && c <= U'9') || kPunctuation.find(c) != std::u32string_view::npos;
}

// Capitals of the characters up to code 255 (and of nothing else: none of those is in a set).
char32_t capital(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}

std::u32string decode(std::string_view utf8) {
    std::u32string out;
    for (std::size_t pos = 0; pos < utf8.size();) out.push_back(decodeUtf8(utf8, pos));
    return out;
}

std::string encode(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

std::u32string capitals(std::u32string text) {
    for (char32_t& c : text) c = capital(c);
    return text;
}

}  // namespace

std::u32string ThumbTable::characters(ThumbCharset charset) {
    std::u32string out;
    for (char32_t c = kFirstCode; c <= kLastCode; ++c)
        if (inSet(c, charset)) out.push_back(c);
    return out;
}

ThumbTable ThumbTable::numeric(std::int64_t first, std::int64_t last) {
    ThumbTable t;
    // span * (n - 1) / 99 in two parts, exact where a product would overflow.
    const std::int64_t span = last - first;
    const std::int64_t whole = span / (kPositions - 1);
    const std::int64_t part = span % (kPositions - 1);
    for (int n = 1; n <= kPositions; ++n) {
        const std::int64_t value =
            n == kPositions ? last : first + whole * (n - 1) + part * (n - 1) / (kPositions - 1);
        t.m_entries[static_cast<std::size_t>(n - 1)] = value;
    }
    return t;
}

ThumbTable ThumbTable::text(std::string_view first, std::string_view last, int fieldWidth, ThumbCharset charset) {
    const std::u32string set = characters(charset);
    const std::int64_t base = static_cast<std::int64_t>(set.size()) + 1;
    std::array<int, kLastCode + 1> place{};
    for (std::size_t i = 0; i < set.size(); ++i) place[set[i]] = static_cast<int>(i) + 1;
    // A set without lower-case letters reads the values in capitals, as the key orders them.
    const bool inCapitals = charset != ThumbCharset::Letters;

    const std::u32string low = decode(first);
    std::u32string high = decode(last);
    while (high.size() < static_cast<std::size_t>(std::max(fieldWidth, 0))) high.push_back(set.back());
    const std::u32string lowRead = inCapitals ? capitals(low) : low;
    const std::u32string highRead = inCapitals ? capitals(high) : high;
    std::size_t common = 0;
    while (common < lowRead.size() && common < highRead.size() && lowRead[common] == highRead[common]) ++common;
    const std::u32string prefix = low.substr(0, common);
    const std::u32string lowFour = lowRead.substr(common, kSpreadCharacters);
    const std::u32string highFour = highRead.substr(common, kSpreadCharacters);

    const auto number = [&](const std::u32string& four) {
        std::int64_t value = 0;
        for (int i = 0; i < kSpreadCharacters; ++i) {
            const char32_t c = static_cast<std::size_t>(i) < four.size() ? four[static_cast<std::size_t>(i)] : 0;
            value = value * base + (c <= kLastCode ? place[c] : 0);
        }
        return value;
    };
    const std::int64_t lowNumber = number(lowFour);
    const std::int64_t highNumber = number(highFour);

    ThumbTable t;
    t.m_text = true;
    for (int n = 1; n <= kPositions; ++n) {
        std::u32string entry = prefix;
        if (n == 1) {
            entry += lowFour;
        } else if (n == kPositions) {
            entry += highFour;
        } else {
            const std::int64_t value = lowNumber + (highNumber - lowNumber) * (n - 1) / (kPositions - 1);
            std::int64_t scale = base * base * base;
            for (int i = 0; i < kSpreadCharacters; ++i, scale /= base) {
                const std::int64_t digit = value / scale % base;
                if (digit > 0) entry.push_back(set[static_cast<std::size_t>(digit - 1)]);
            }
        }
        const auto i = static_cast<std::size_t>(n - 1);
        t.m_entries[i] = encode(entry);
        t.m_capitals[i] = capitals(entry);
    }
    return t;
}

int ThumbTable::positionOf(const FieldValue& value) const {
    if (m_text) {
        const std::string* text = std::get_if<std::string>(&value);
        if (text == nullptr) return 1;
        const std::u32string sought = capitals(decode(*text));
        for (int n = 1; n <= kPositions; ++n)
            if (m_capitals[static_cast<std::size_t>(n - 1)] >= sought) return n;
        return kPositions;
    }
    const std::int64_t* number = std::get_if<std::int64_t>(&value);
    if (number == nullptr) return 1;
    for (int n = 1; n <= kPositions; ++n)
        if (std::get<std::int64_t>(m_entries[static_cast<std::size_t>(n - 1)]) >= *number) return n;
    return kPositions;
}

}  // namespace cm
