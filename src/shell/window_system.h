#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cm {

using WindowId = std::uint64_t;

struct WindowInfo {
    WindowId id = 0;
    std::string title;
    bool own = false;  // a window of this program
    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

// The desktop's top-level windows.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Top-level windows that have a title, minimized ones included.
    virtual std::vector<WindowInfo> topLevelWindows() = 0;
    virtual bool bringToFront(WindowId id) = 0;
    virtual std::optional<WindowInfo> activeWindow() = 0;
    virtual bool requestClose(WindowId id) = 0;
};

}  // namespace cm
