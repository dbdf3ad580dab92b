#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cm {

class IniFile;

// A window's placement in logical pixels: the top-left corner of its frame (decoration
// included) and the size of its client area, so a window reopens exactly where it was
// without drifting by the height of its title bar.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const WindowRect&) const = default;
};

// What placement memory needs of a window.
class PlacementWindow {
public:
    virtual ~PlacementWindow() = default;
    virtual bool isMaximized() const = 0;
    virtual void setMaximized(bool maximized) = 0;
    virtual bool isIconized() const = 0;
    virtual bool canResize() const = 0;
    // The normal placement, also while the window is maximized: where it goes when restored.
    virtual WindowRect geometry() const = 0;
    virtual void move(int x, int y) = 0;
    virtual void resize(int width, int height) = 0;
};

// One section per window in POSITION.INI, named after the window's procedure ("Main",
// "BrowseSchedule", "ShowMessage", ...).
struct Placement {
    static constexpr std::string_view kFileName = "POSITION.INI";
    static constexpr std::string_view kMaximizeKey = "Maximize";
    static constexpr std::string_view kXKey = "XPosit";
    static constexpr std::string_view kYKey = "YPosit";
    static constexpr std::string_view kWidthKey = "Width";
    static constexpr std::string_view kHeightKey = "Height";
    static constexpr std::string_view kColumnLayoutKey = "SRCF?Browse:1";
    static constexpr std::string_view kDesignedLayoutKey = "SRCFOriginal?Browse:1";

    // Called as the window closes. A window closed iconized leaves its old placement as it
    // was, maximized flag included. Write failures are ignored: placement is a convenience.
    static void save(IniFile& file, std::string_view section, const PlacementWindow& window);

    // Called right after the window opens. A missing, blank or 0 "XPosit" keeps the designed
    // position, size and state; so does a value that is not a number.
    static void restore(const IniFile& file, std::string_view section, PlacementWindow& window);

    // Called as a list window opens, with its designed column format (date pictures already
    // put in). Returns the user's saved layout to apply, or nothing to keep the design. A
    // design that changed since the layout was saved discards it, once.
    static std::optional<std::string> openColumnLayout(IniFile& file, std::string_view section,
                                                       std::string_view designedFormat);

    // Called as a list window closes, with the list's current format.
    static void closeColumnLayout(IniFile& file, std::string_view section, std::string_view currentFormat);
};

}  // namespace cm
