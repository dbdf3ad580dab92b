#include "script/keystroke_text.h"

#include "base/ascii.h"
#include "base/case_fold.h"
#include "base/fixed_text.h"
#include "script/key_names.h"

namespace cm {
namespace {

constexpr std::string_view kPauseToken = "PAUSE";

}  // namespace

SendGroup groupForToken(std::string_view token) {
    if (const auto code = keyCodeForToken(token)) return SendGroup::key(*code);
    if (ascii::equalNoCase(FixedText::trimTrailingBlanks(token), kPauseToken)) return SendGroup::nothing();
    if (token.empty()) return SendGroup::nothing();
    return SendGroup::typed(std::string(token));
}

bool KeystrokeText::finished() const { return FixedText::trimTrailingBlanks(remaining()).empty(); }

SendGroup KeystrokeText::takeGroup(std::size_t groupSize) {
    const std::string_view rest = remaining();
    const std::size_t open = rest.find('[');
    if (open == std::string_view::npos) {
        m_pos = m_text.size();
        return SendGroup::typed(std::string(FixedText::trimTrailingBlanks(rest)));
    }
    if (open == 0) {
        const std::size_t close = rest.find(']', 1);
        if (close == std::string_view::npos) {
            ++m_pos;
            return SendGroup::nothing();
        }
        m_pos += close + 1;
        return groupForToken(rest.substr(1, close - 1));
    }
    // The group size counts characters, so a UTF-8 character is never split between groups.
    const std::string_view run = rest.substr(0, open);
    if (groupSize == 0) groupSize = kDefaultGroupSize;
    std::size_t end = 0;
    for (std::size_t n = 0; n < groupSize && end < run.size(); ++n) decodeUtf8(run, end);
    m_pos += end;
    return SendGroup::typed(std::string(run.substr(0, end)));
}

std::size_t KeystrokeText::effectiveGroupSize(long stored) {
    if (stored <= 0) return kDefaultGroupSize;
    if (stored > static_cast<long>(kMaxGroupSize)) return kMaxGroupSize;
    return static_cast<std::size_t>(stored);
}

std::vector<SendGroup> KeystrokeText::cut(std::string_view text, std::size_t groupSize) {
    std::vector<SendGroup> groups;
    KeystrokeText rest(text);
    while (!rest.finished()) groups.push_back(rest.takeGroup(groupSize));
    return groups;
}

}  // namespace cm
