#include "shell/text_search.h"

#include <algorithm>

#include "base/case_fold.h"
#include "base/fixed_text.h"

namespace cm {

namespace {

constexpr char kBlank = ' ';

}  // namespace

TextSearch::TextSearch(const FindSettings& settings)
    : m_needle(FixedText::stored(settings.text, FindSettings::kMaxText)),
      m_wholeWord(settings.wholeWord),
      m_matchCase(settings.matchCase),
      m_direction(settings.direction) {
    if (!m_matchCase) m_needle = CaseFold::fold(m_needle);
}

bool TextSearch::matches(std::string_view line) const {
    if (m_needle.empty()) return false;
    // Simple folding maps each character to one character, so blanks stay where they were.
    const std::string folded = m_matchCase ? std::string() : CaseFold::fold(line);
    const std::string_view haystack = m_matchCase ? line : std::string_view(folded);
    for (std::size_t at = haystack.find(m_needle); at != std::string_view::npos; at = haystack.find(m_needle, at + 1)) {
        if (!m_wholeWord) return true;
        const std::size_t end = at + m_needle.size();
        const bool blankBefore = at == 0 || haystack[at - 1] == kBlank;
        const bool blankAfter = end == haystack.size() || haystack[end] == kBlank;
        if (blankBefore && blankAfter) return true;
    }
    return false;
}

std::optional<std::size_t> TextSearch::find(const std::vector<std::string>& lines, std::optional<std::size_t> selected,
                                            const WrapQuestion& wrap) const {
    if (lines.empty() || m_needle.empty()) return std::nullopt;
    const bool down = m_direction == SearchDirection::Down;
    const auto count = static_cast<std::ptrdiff_t>(lines.size());
    std::ptrdiff_t at = selected ? static_cast<std::ptrdiff_t>(std::min(*selected, lines.size())) : (down ? -1 : count);
    for (;;) {
        at += down ? 1 : -1;
        if (at >= count || at < 0) {
            if (!wrap || !wrap(m_direction)) return std::nullopt;
            at = down ? 0 : count - 1;
        }
        if (matches(lines[static_cast<std::size_t>(at)])) return static_cast<std::size_t>(at);
    }
}

}  // namespace cm
