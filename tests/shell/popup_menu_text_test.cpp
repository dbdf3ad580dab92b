#include "shell/popup_menu_text.h"

#include <gtest/gtest.h>

namespace cm::test {
namespace {

PopupMenuItem entry(std::string text, int number, bool enabled = true) {
    return PopupMenuItem{false, std::move(text), enabled, number};
}
const PopupMenuItem kSeparator{true, {}, true, 0};

TEST(PopupMenuTextTest, ParsesEntriesSeparatorsAndGreyedEntries) {
    struct Case {
        const char* text;
        std::vector<PopupMenuItem> items;
    };
    const Case cases[] = {
        {"", {}},
        {"&Open", {entry("&Open", 1)}},
        {"Add &Message|-|~&Restore|E&xit Chronomate",
         {entry("Add &Message", 1), kSeparator, entry("&Restore", 2, false), entry("E&xit Chronomate", 3)}},
        // Only a line that is just "-" separates; "-5 days" is an entry.
        {"- |-5 days|Fish && Chips", {kSeparator, entry("-5 days", 1), entry("Fish && Chips", 2)}},
        // Empty lines keep their numbers but cannot be chosen; "~" only counts in front.
        {"A||B~|", {entry("A", 1), entry("", 2, false), entry("B~", 3), entry("", 4, false)}},
    };
    for (const Case& c : cases) EXPECT_EQ(PopupMenuText::parse(c.text), c.items) << c.text;
}

}  // namespace
}  // namespace cm::test
