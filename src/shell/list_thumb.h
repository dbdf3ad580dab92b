#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/layout.h"

namespace cm {

// The characters a list's scroll thumb spreads text keys over, in character-code order.
enum class ThumbCharset {
    Capitals,          // A-Z: every list whose key starts with a text, case ignored
    Letters,           // A-Z and a-z, for a list that tells case apart
    CapitalsDigitsPunctuation,  // the clipboard list: A-Z, 0-9 and 30 punctuation characters
};

// The 100 positions of a list's vertical scroll thumb, each a value of the current key's first
// component spread between the first and the last record of the order. Dragging the thumb to a
// middle position goes to the first record at or after that position's value.
class ThumbTable {
public:
    static constexpr int kPositions = 100;

    ThumbTable() = default;
    static ThumbTable numeric(std::int64_t first, std::int64_t last);
    // fieldWidth: the text field's width, to which the last value is padded.
    static ThumbTable text(std::string_view first, std::string_view last, int fieldWidth, ThumbCharset charset);

    // The characters of a set, as code points (1..255, so "£" is U+00A3).
    static std::u32string characters(ThumbCharset charset);

    bool isText() const { return m_text; }
    // Position 1 to 100.
    const FieldValue& entry(int position) const { return m_entries.at(static_cast<std::size_t>(position - 1)); }
    // The first position whose value is at or after the record's value (texts compared in
    // capitals); 100 when none is.
    int positionOf(const FieldValue& value) const;

private:
    std::array<FieldValue, kPositions> m_entries{};
    // Text entries in capitals, as positionOf compares them.
    std::array<std::u32string, kPositions> m_capitals{};
    bool m_text = false;
};

}  // namespace cm
