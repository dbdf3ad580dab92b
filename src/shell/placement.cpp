#include "shell/placement.h"

#include <charconv>
#include <vector>

#include "base/ini_file.h"

namespace cm {

namespace {

// Anything that is not a whole number reads as 0, which means "not saved".
int readNumber(const IniFile& file, std::string_view section, std::string_view key) {
    const std::string text = file.read(section, key);
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return 0;
    return value;
}

bool isBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

void Placement::save(IniFile& file, std::string_view section, const PlacementWindow& window) {
    // geometry() gives the normal placement even while maximized, so nothing has to be
    // un-maximized to read it.
    if (window.isIconized()) return;
    const bool maximized = window.isMaximized();
    const WindowRect r = window.geometry();
    const std::string name(section);
    file.write(std::vector<IniEntry>{
        {name, std::string(kMaximizeKey), maximized ? "Yes" : "No"},
        {name, std::string(kXKey), std::to_string(r.x)},
        {name, std::string(kYKey), std::to_string(r.y)},
        {name, std::string(kWidthKey), std::to_string(r.width)},
        {name, std::string(kHeightKey), std::to_string(r.height)},
    });
}

void Placement::restore(const IniFile& file, std::string_view section, PlacementWindow& window) {
    const int x = readNumber(file, section, kXKey);
    if (x == 0) return;
    if (!window.isMaximized()) {
        const int y = readNumber(file, section, kYKey);
        if (y != 0) {
            if (window.canResize()) {
                const int width = readNumber(file, section, kWidthKey);
                const int height = readNumber(file, section, kHeightKey);
                if (width > 0 && height > 0) {
                    window.move(x, y);
                    window.resize(width, height);
                }
            } else {
                window.move(x, y);
            }
        }
    }
    window.setMaximized(file.read(section, kMaximizeKey) == "Yes");
}

std::optional<std::string> Placement::openColumnLayout(IniFile& file, std::string_view section,
                                                       std::string_view designedFormat) {
    if (file.read(section, kDesignedLayoutKey) != designedFormat) {
        file.write(section, kDesignedLayoutKey, designedFormat);
        return std::nullopt;
    }
    std::string layout = file.read(section, kColumnLayoutKey, designedFormat);
    if (isBlank(layout)) return std::nullopt;
    return layout;
}

void Placement::closeColumnLayout(IniFile& file, std::string_view section, std::string_view currentFormat) {
    file.write(section, kColumnLayoutKey, currentFormat);
}

}  // namespace cm
