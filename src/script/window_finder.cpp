#include "script/window_finder.h"

#include <string>

#include "base/case_fold.h"
#include "base/fixed_text.h"

namespace cm {
namespace {

// The first count characters of a text, padded with blanks when it is shorter.
std::string paddedHead(std::string_view text, std::size_t count) {
    std::string head = FixedText::cut(text, count);
    head.append(count - FixedText::characterCount(head), ' ');
    return head;
}

}  // namespace

WindowFinder::WindowFinder(WindowSystem& windows) : m_windows(windows) {}

std::vector<WindowInfo> WindowFinder::listOpenWindows() {
    std::vector<WindowInfo> listing;
    for (WindowInfo& window : m_windows.topLevelWindows()) {
        if (window.title.empty()) continue;
        window.title = FixedText::cut(window.title, kTitleWidth);
        listing.push_back(std::move(window));
    }
    return listing;
}

bool WindowFinder::titleMatches(std::string_view title, std::string_view pattern) {
    if (!pattern.empty() && pattern.front() == '~') pattern.remove_prefix(1);
    // Literal equality comes first, so a title that itself holds a "*" can be named exactly.
    if (CaseFold::fold(FixedText::trimTrailingBlanks(pattern)) == CaseFold::fold(FixedText::trimTrailingBlanks(title)))
        return true;
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos) return false;
    if (star == 0) {
        const std::string wanted = CaseFold::fold(FixedText::trimTrailingBlanks(pattern.substr(1)));
        return CaseFold::fold(title).find(wanted) != std::string::npos;
    }
    const std::string_view head = pattern.substr(0, star);
    return CaseFold::fold(head) == CaseFold::fold(paddedHead(title, FixedText::characterCount(head)));
}

std::optional<WindowInfo> WindowFinder::findWindowByTitle(std::string_view pattern) {
    for (WindowInfo& window : listOpenWindows())
        if (titleMatches(window.title, pattern)) return std::move(window);
    return std::nullopt;
}

bool WindowFinder::bringWindowToFront(std::string_view pattern) {
    const auto window = findWindowByTitle(pattern);
    if (!window) return false;
    bringToFront(window->id);
    return true;
}

void WindowFinder::bringToFront(WindowId id) {
    // Nothing is verified afterwards: the script goes on as if the window had come up.
    (void)m_windows.bringToFront(id);
}

}  // namespace cm
