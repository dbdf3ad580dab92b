#include <gtest/gtest.h>

#include <string>

#include "script/window_finder.h"
#include "support/recording_ports.h"

namespace cm::test {
namespace {

class WindowFinderTest : public ::testing::Test {
protected:
    FakeWindowSystem desktop;
    WindowFinder finder{desktop};

    std::string found(const std::string& pattern) {
        const auto window = finder.findWindowByTitle(pattern);
        return window ? window->title : "(none)";
    }
};

TEST_F(WindowFinderTest, PatternTable) {
    desktop.addWindow("");  // never listed, so never found, not even by "*"
    desktop.addWindow("Untitled - Notepad");
    desktop.addWindow("NOTEPAD.EXE");
    desktop.addWindow("Document1 - Word");
    desktop.addWindow("Éditeur de texte");
    desktop.addWindow("Sale * 50%");
    desktop.addWindow("Untitled - Notepad (2)");

    struct Case {
        const char* pattern;
        const char* title;
    };
    const Case cases[] = {
        {"untitled - notepad", "Untitled - Notepad"},
        {"Untitled - Notepad   ", "Untitled - Notepad"},
        {"Untitled - *", "Untitled - Notepad"},
        {"*Notepad", "Untitled - Notepad"},
        {"*NOTE", "Untitled - Notepad"},
        {"*notepad   ", "Untitled - Notepad"},
        {"Untitled*anything", "Untitled - Notepad"},
        {"~*Notepad", "Untitled - Notepad"},
        {"Untitled - Word*", "(none)"},
        {"notepad.exe", "NOTEPAD.EXE"},
        {"Notepad", "(none)"},
        {"*(2)", "Untitled - Notepad (2)"},
        {"*- word", "Document1 - Word"},
        {"*ÉDITEUR", "Éditeur de texte"},
        {"éditeur*", "Éditeur de texte"},
        {"sale * 50%", "Sale * 50%"},
        // A head longer than the title compares against the title padded with blanks.
        {"NOTEPAD.EXE   x*", "(none)"},
        {"NOTEPAD.EXE   *", "NOTEPAD.EXE"},
        // "*" alone looks for the empty text, which every title holds.
        {"*", "Untitled - Notepad"},
        {"*   ", "Untitled - Notepad"},
        {"~*", "Untitled - Notepad"},
        {"", "(none)"},
    };
    for (const Case& c : cases) EXPECT_EQ(found(c.pattern), c.title) << '"' << c.pattern << '"';
}

TEST_F(WindowFinderTest, ListingKeepsOrderOwnWindowsAndCutsTitles) {
    const WindowId own = desktop.addWindow("Chronomate", true);
    desktop.addWindow("");
    const std::string longTitle = std::string(250, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    desktop.addWindow(longTitle);

    const auto listing = finder.listOpenWindows();
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing[0].id, own);
    EXPECT_TRUE(listing[0].own);
    EXPECT_EQ(listing[1].title, std::string(250, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(found("*x\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"), "(none)");
}

TEST_F(WindowFinderTest, BringsTheFirstMatchToTheFront) {
    desktop.addWindow("Terminal");
    const WindowId first = desktop.addWindow("Editor - a.txt");
    desktop.addWindow("Editor - b.txt");

    EXPECT_TRUE(finder.bringWindowToFront("editor*"));
    EXPECT_FALSE(finder.bringWindowToFront("Browser"));
    EXPECT_EQ(desktop.raised, (std::vector<WindowId>{first}));
}

}  // namespace
}  // namespace cm::test
