#include "shell/popup_menu_text.h"

namespace cm {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<PopupMenuItem> PopupMenuText::parse(std::string_view text) {
    std::vector<PopupMenuItem> items;
    if (text.empty()) return items;
    int number = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = text.find('|', start);
        const std::string_view line = text.substr(start, bar == std::string_view::npos ? bar : bar - start);
        PopupMenuItem item;
        if (trimmed(line) == "-") {
            item.separator = true;
        } else {
            std::string_view label = line;
            if (!label.empty() && label.front() == '~') {
                item.enabled = false;
                label.remove_prefix(1);
            }
            item.text = std::string(label);
            if (trimmed(label).empty()) item.enabled = false;
            item.number = ++number;
        }
        items.push_back(std::move(item));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return items;
}

}  // namespace cm
