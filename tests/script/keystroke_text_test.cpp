#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "script/keystroke_text.h"

namespace cm {

void PrintTo(const SendGroup& g, std::ostream* os) {
    static const char* const kinds[] = {"nothing", "text", "key"};
    *os << kinds[static_cast<int>(g.kind)] << "(" << (g.kind == SendGroup::Kind::Key ? std::to_string(g.keyCode) : g.text) << ")";
}

namespace {

SendGroup text(std::string t) { return SendGroup::typed(std::move(t)); }
SendGroup key(int code) { return SendGroup::key(code); }
SendGroup none() { return SendGroup::nothing(); }

TEST(KeystrokeText, CutsIntoGroups) {
    struct Case {
        std::string input;
        std::size_t groupSize;
        std::vector<SendGroup> groups;
    };
    const std::string padded = "no brackets at all, however long" + std::string(200, ' ');
    const Case cases[] = {
        {"Dear Sir[ENTER][TAB]x", 7, {text("Dear Si"), text("r"), key(0x0D), key(0x09), text("x")}},
        {"Dear Sir[ENTER]", 1, {text("D"), text("e"), text("a"), text("r"), text(" "), text("S"), text("i"),
                                text("r"), key(0x0D)}},
        {padded, 7, {text("no brackets at all, however long")}},
        {"  x  ", 7, {text("  x")}},
        {"   ", 7, {}},
        {"", 7, {}},
        {"[[]", 7, {text("[")}},
        {"abc[def", 7, {text("abc"), none(), text("def")}},
        {"[", 7, {none()}},
        {"[]x", 7, {none(), text("x")}},
        {"[PAUSE][pause  ]", 7, {none(), none()}},
        {"a]b[HOME]", 7, {text("a]b"), text("HOME")}},
        {"[ENTER]     ", 7, {key(0x0D)}},
        {"   [TAB]", 7, {text("   "), key(0x09)}},
        {"[Ctrl C][ CTRLA][   ]", 7, {text("Ctrl C"), text(" CTRLA"), text("   ")}},
        {"[a[b]c", 7, {text("a[b"), text("c")}},
        // Characters, not bytes: a group never splits a UTF-8 character.
        {"\xC3\xA9\xC3\xA9\xC3\xA9[ENTER]", 2, {text("\xC3\xA9\xC3\xA9"), text("\xC3\xA9"), key(0x0D)}},
    };
    for (const Case& c : cases) EXPECT_EQ(KeystrokeText::cut(c.input, c.groupSize), c.groups) << c.input;
}

TEST(KeystrokeText, GroupSizeAsStored) {
    EXPECT_EQ(KeystrokeText::effectiveGroupSize(0), 7u);
    EXPECT_EQ(KeystrokeText::effectiveGroupSize(1), 1u);
    EXPECT_EQ(KeystrokeText::effectiveGroupSize(255), 255u);
    EXPECT_EQ(KeystrokeText::effectiveGroupSize(1000), 255u);
}

}  // namespace
}  // namespace cm
