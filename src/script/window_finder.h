#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "shell/window_system.h"

namespace cm {

// ListOpenWindows, FindWindowByTitle and BringWindowToFront over the WindowSystem port.
class WindowFinder {
public:
    // Titles are read into a buffer of 254 characters with its terminator.
    static constexpr std::size_t kTitleWidth = 253;

    explicit WindowFinder(WindowSystem& windows);

    // Every top-level window with a non-empty title, in the window system's order, the
    // program's own and hidden ones included, each title cut to kTitleWidth characters.
    std::vector<WindowInfo> listOpenWindows();
    // Whether a title matches a pattern ("*" first: anywhere; a later "*": begins with; a
    // leading "~" is ignored here; case and trailing blanks ignored).
    //
    // A pattern that is "*" alone (or "*" and blanks) looks for the empty text, which occurs
    // in every title: it matches every listed window, so "Wait" on it ends at once and
    // "~*" waits until no titled window is left.
    static bool titleMatches(std::string_view title, std::string_view pattern);
    // The first listed window whose title matches.
    std::optional<WindowInfo> findWindowByTitle(std::string_view pattern);
    // Finds the window and brings it to the front; false when there is none.
    bool bringWindowToFront(std::string_view pattern);
    // Raises, focuses and restores one window; the result is not checked by callers.
    void bringToFront(WindowId id);

private:
    WindowSystem& m_windows;
};

}  // namespace cm
