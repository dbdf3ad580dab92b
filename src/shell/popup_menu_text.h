#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cm {

// One line of a popup menu read from the program's menu text.
struct PopupMenuItem {
    bool separator = false;
    // The label with its "&" hot key mark kept (Qt reads "&" the same way); "~" taken off.
    std::string text;
    bool enabled = true;
    // The number the menu answers with: entries counted from 1, separators not counted.
    int number = 0;

    bool operator==(const PopupMenuItem&) const = default;
};

// The popup menu text: "|" separates the lines, a line "-" is a separator and a leading "~"
// greys an entry out. An empty line still counts as an entry, so the numbers stay those the
// caller counts; it shows greyed, since there is nothing to choose.
class PopupMenuText {
public:
    static std::vector<PopupMenuItem> parse(std::string_view text);
};

}  // namespace cm
