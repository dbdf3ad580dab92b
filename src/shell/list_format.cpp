#include "shell/list_format.h"

#include <charconv>

namespace cm {

namespace {

constexpr int kMaxNumber = 9999;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::optional<ColumnAlign> alignOf(char c) {
    switch (upper(c)) {
    case 'L': return ColumnAlign::Left;
    case 'R': return ColumnAlign::Right;
    case 'C': return ColumnAlign::Center;
    case 'D': return ColumnAlign::Decimal;
    default: return std::nullopt;
    }
}

// Reads a format text column by column; every failure leaves its reason.
class FormatReader {
public:
    explicit FormatReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    std::size_t pos() const { return m_pos; }
    const std::string& error() const { return m_error; }

    bool fail(std::string why) {
        m_error = std::move(why) + " at character " + std::to_string(m_pos + 1);
        return false;
    }

    bool number(int& out, const char* what) {
        const std::size_t start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-') ++m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos;
        const char* first = m_text.data() + start;
        const auto [end, ec] = std::from_chars(first, m_text.data() + m_pos, out);
        if (ec != std::errc() || end != m_text.data() + m_pos || out > kMaxNumber || out < -kMaxNumber) {
            m_pos = start;
            return fail(std::string("Expected ") + what);
        }
        return true;
    }

    // "(n)" after an alignment letter, when there is one.
    bool optionalIndent(int& out) {
        if (!peek('(')) return true;
        ++m_pos;
        if (!number(out, "an indent")) return false;
        return expect(')');
    }

    bool expect(char c) {
        if (peek(c)) {
            ++m_pos;
            return true;
        }
        return fail(std::string("Expected \"") + c + "\"");
    }

    bool peek(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    char current() const { return m_text[m_pos]; }
    void skip() { ++m_pos; }

    // The text up to the closing delimiter, which is consumed too.
    bool delimited(char close, std::string& out, const char* what) {
        const std::size_t end = m_text.find(close, m_pos);
        if (end == std::string_view::npos) return fail(std::string("Unclosed ") + what);
        out = std::string(m_text.substr(m_pos, end - m_pos));
        m_pos = end + 1;
        return true;
    }

    bool column(ListColumn& c, std::string& widthText) {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos;
        widthText = std::string(m_text.substr(start, m_pos - start));
        if (widthText.empty()) return fail("Expected a column width");
        m_pos = start;
        if (!number(c.width, "a column width")) return false;
        if (atEnd() || !alignOf(current())) return fail("Expected an alignment letter (L, R, C or D)");
        c.align = *alignOf(current());
        skip();
        if (!optionalIndent(c.indent)) return false;
        if (!modifiers(c)) return false;
        c.titleAlign = c.align;
        if (peek('~')) {
            skip();
            if (!delimited('~', c.title, "column title")) return false;
            if (!atEnd() && alignOf(current())) {
                c.titleAlign = *alignOf(current());
                skip();
                if (!optionalIndent(c.titleIndent)) return false;
            }
        }
        if (peek('@')) {
            skip();
            if (!delimited('@', c.picture, "picture")) return false;
        }
        if (!atEnd() && !isDigit(current())) return fail(std::string("Unexpected \"") + current() + "\"");
        c.rest = std::string(m_text.substr(start + widthText.size(), m_pos - start - widthText.size()));
        return true;
    }

private:
    bool modifiers(ListColumn& c) {
        while (!atEnd()) {
            switch (upper(current())) {
            case '|': c.rightBorder = true; break;
            case 'M': c.resizable = true; break;
            case 'I': c.icon = true; break;
            case '_':
            case '/':
            case 'F':
            case '?':
            case '*':
            case 'Y': break;
            case '#': {
                skip();
                int field = 0;
                if (!number(field, "a field number") || !expect('#')) return false;
                continue;
            }
            case 'Z': {
                skip();
                int style = 0;
                if (!expect('(') || !number(style, "a style number") || !expect(')')) return false;
                continue;
            }
            default: return true;
            }
            skip();
        }
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string m_error;
};

}  // namespace

std::optional<ListFormat> ListFormat::parse(std::string_view text, std::string* error) {
    FormatReader reader(text);
    ListFormat format;
    if (reader.atEnd()) reader.fail("A format needs at least one column");
    while (reader.error().empty() && !reader.atEnd()) {
        ListColumn column;
        std::string widthText;
        if (!reader.column(column, widthText)) break;
        format.m_columns.push_back(std::move(column));
        format.m_widthTexts.push_back(std::move(widthText));
    }
    if (!reader.error().empty()) {
        if (error != nullptr) *error = reader.error();
        return std::nullopt;
    }
    return format;
}

std::string ListFormat::withDatePicture(std::string_view format, std::string_view datePicture) {
    if (!datePicture.empty() && datePicture.front() == '@') datePicture.remove_prefix(1);
    std::string out;
    out.reserve(format.size());
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos];
        if (c != '@' && c != '~') {
            out += c;
            ++pos;
            continue;
        }
        // A title may hold an "@" of its own, so titles are copied whole.
        const std::size_t close = format.find(c, pos + 1);
        const std::size_t end = close == std::string_view::npos ? format.size() : close + 1;
        const bool datePictureHere =
            c == '@' && close != std::string_view::npos && pos + 1 < close && upper(format[pos + 1]) == 'D';
        if (datePictureHere)
            out += "@" + std::string(datePicture) + "@";
        else
            out += format.substr(pos, end - pos);
        pos = end;
    }
    return out;
}

std::string ListFormat::text() const {
    std::string out;
    for (std::size_t i = 0; i < m_columns.size(); ++i) out += m_widthTexts[i] + m_columns[i].rest;
    return out;
}

void ListFormat::setWidth(int column, int width) {
    const auto i = static_cast<std::size_t>(column);
    if (column < 0 || i >= m_columns.size() || width < 0 || width > kMaxNumber) return;
    if (m_columns[i].width == width) return;
    m_columns[i].width = width;
    m_widthTexts[i] = std::to_string(width);
}

bool ListFormat::sameColumns(const ListFormat& other) const {
    if (m_columns.size() != other.m_columns.size()) return false;
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].picture != other.m_columns[i].picture || m_columns[i].icon != other.m_columns[i].icon)
            return false;
    return true;
}

}  // namespace cm
