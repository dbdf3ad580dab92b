#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

enum class ColumnAlign { Left, Right, Center, Decimal };

// One column of a list format text such as "45R(2)|M~Date~C(0)@d3@": width 45 dialog units,
// right-aligned with an indent of 2, a right border ("|"), resizable ("M"), the title "Date"
// centred with offset 0, and the display picture "d3".
struct ListColumn {
    int width = 0;  // dialog units: a quarter of the average character width
    ColumnAlign align = ColumnAlign::Left;
    int indent = 0;
    bool rightBorder = false;
    bool resizable = false;
    bool icon = false;  // "I": the cell names an icon
    std::string title;
    ColumnAlign titleAlign = ColumnAlign::Left;  // the column's own when the text gives none
    int titleIndent = 0;
    std::string picture;  // "s70", "d3", "t3"; empty when the column has none
    // The column's text after its width, kept as written so a format goes back out unchanged.
    std::string rest;

    bool operator==(const ListColumn&) const = default;
};

// A list's column format text, parsed into columns. A layout the user made (new widths) goes
// back out through text() in the same notation, so one stored under "SRCF?Browse:1" comes
// back unchanged.
class ListFormat {
public:
    // Nothing, with the reason in error, when the text is not a format: a saved layout that is
    // damaged is then ignored and the designed columns kept.
    static std::optional<ListFormat> parse(std::string_view text, std::string* error = nullptr);

    // Every date picture ("@D" in either case up to the next "@") replaced by the date picture
    // of the "DateFormat" setting ("d17"), as lists open with it.
    static std::string withDatePicture(std::string_view format, std::string_view datePicture);

    std::string text() const;
    const std::vector<ListColumn>& columns() const { return m_columns; }
    void setWidth(int column, int width);
    // Whether a saved layout fits this design: the same columns with the same pictures, so the
    // cells still land in the right columns. Only then are its widths taken.
    bool sameColumns(const ListFormat& other) const;

private:
    std::vector<ListColumn> m_columns;
    // Each width as written, so a width with leading zeros goes back out as it came in.
    std::vector<std::string> m_widthTexts;
};

}  // namespace cm
