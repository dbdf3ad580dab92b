#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

enum class SearchDirection { Up, Down };

// What the find window asks for.
struct FindSettings {
    static constexpr std::size_t kMaxText = 80;

    std::string text;
    bool wholeWord = false;
    bool matchCase = false;
    SearchDirection direction = SearchDirection::Down;
};

// Finding a text in the lines of a plain-text viewer.
class TextSearch {
public:
    // Answers the question asked when the search runs off the end (going down) or the
    // beginning (going up): true starts again from the other end.
    using WrapQuestion = std::function<bool(SearchDirection)>;

    // The text is cut to kMaxText characters and its trailing blanks dropped, as the field keeps it.
    explicit TextSearch(const FindSettings& settings);

    // Without matchCase both sides are case-folded. With wholeWord the text must have a blank
    // (or the start of the line) before it and a blank (or the end of the line) after it; every
    // occurrence counts, so "concat cat" holds the whole word "cat".
    bool matches(std::string_view line) const;

    // Moves one line from the selected one (none: from before the first line going down, after
    // the last going up) and tests each line in turn. The matching line, or nothing when a wrap
    // question was declined.
    std::optional<std::size_t> find(const std::vector<std::string>& lines, std::optional<std::size_t> selected,
                                    const WrapQuestion& wrap) const;

    bool empty() const { return m_needle.empty(); }

private:
    std::string m_needle;
    bool m_wholeWord;
    bool m_matchCase;
    SearchDirection m_direction;
};

}  // namespace cm
