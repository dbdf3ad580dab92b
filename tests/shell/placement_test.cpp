#include "shell/placement.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/ini_file.h"
#include "support/temp_dir.h"

namespace cm::test {
namespace {

// A window as placement sees it: a normal placement plus maximized and iconized states.
class FakeWindow final : public PlacementWindow {
public:
    explicit FakeWindow(WindowRect normal, bool resizable = true) : normal(normal), resizable(resizable) {}
    bool isMaximized() const override { return maximized; }
    void setMaximized(bool m) override { maximized = m; }
    bool isIconized() const override { return iconized; }
    bool canResize() const override { return resizable; }
    WindowRect geometry() const override { return normal; }
    void move(int x, int y) override {
        normal.x = x;
        normal.y = y;
    }
    void resize(int w, int h) override {
        normal.width = w;
        normal.height = h;
    }

    WindowRect normal;
    bool resizable;
    bool maximized = false;
    bool iconized = false;
};

const WindowRect kDesigned{100, 80, 640, 480};

class PlacementTest : public ::testing::Test {
protected:
    void writeFile(const std::string& text) { std::ofstream(ini.path()) << text; }

    TempDir dir;
    IniFile ini{dir / "POSITION.INI"};
};

TEST_F(PlacementTest, NormalWindowReopensWhereItWas) {
    FakeWindow closing({-300, 25, 900, 700});
    Placement::save(ini, "Main", closing);
    EXPECT_EQ(ini.read("Main", "XPosit"), "-300");
    EXPECT_EQ(ini.read("Main", "Maximize"), "No");

    FakeWindow opening(kDesigned);
    opening.maximized = true;  // designed maximized: the saved "No" wins
    Placement::restore(ini, "Main", opening);
    EXPECT_FALSE(opening.maximized);
    // A window designed maximized is not moved; its normal placement stays the design.
    EXPECT_EQ(opening.normal, kDesigned);

    FakeWindow plain(kDesigned);
    Placement::restore(ini, "Main", plain);
    EXPECT_EQ(plain.normal, (WindowRect{-300, 25, 900, 700}));
}

TEST_F(PlacementTest, MaximizedReopensMaximizedOverItsLastNormalPlacement) {
    FakeWindow closing({50, 60, 700, 500});
    closing.maximized = true;
    Placement::save(ini, "BrowseSchedule", closing);

    FakeWindow opening(kDesigned);
    Placement::restore(ini, "BrowseSchedule", opening);
    EXPECT_TRUE(opening.maximized);
    EXPECT_EQ(opening.normal, (WindowRect{50, 60, 700, 500}));
}

TEST_F(PlacementTest, ClosedIconizedKeepsThePlacementBefore) {
    FakeWindow first({50, 60, 700, 500});
    first.maximized = true;
    Placement::save(ini, "ViewLog", first);

    FakeWindow second({400, 400, 200, 100});
    second.iconized = true;
    Placement::save(ini, "ViewLog", second);

    FakeWindow opening(kDesigned);
    Placement::restore(ini, "ViewLog", opening);
    EXPECT_TRUE(opening.maximized);
    EXPECT_EQ(opening.normal, (WindowRect{50, 60, 700, 500}));
}

TEST_F(PlacementTest, UnsavedOrUnreadablePlacementKeepsTheDesign) {
    struct Case {
        const char* file;
        WindowRect expected;
        bool maximized;
    };
    const Case cases[] = {
        {"", kDesigned, false},  // no section at all
        {"[Main]\nXPosit=\nYPosit=\nWidth=\nHeight=\nMaximize=Yes\n", kDesigned, false},  // reset by Options
        {"[Main]\nXPosit=0\nYPosit=10\nWidth=10\nHeight=10\nMaximize=Yes\n", kDesigned, false},
        {"[Main]\nXPosit=12px\nYPosit=10\nWidth=10\nHeight=10\nMaximize=Yes\n", kDesigned, false},
        // A zero y or size: no move, but the saved state still applies.
        {"[Main]\nXPosit=5\nYPosit=0\nWidth=300\nHeight=200\nMaximize=Yes\n", kDesigned, true},
        {"[Main]\nXPosit=5\nYPosit=6\nWidth=300\nHeight=0\nMaximize=No\n", kDesigned, false},
        {"[main]\nxposit=+5\nyposit=6\nwidth=300\nheight=200\nmaximize=No\n", {5, 6, 300, 200}, false},
    };
    for (const Case& c : cases) {
        writeFile(c.file);
        FakeWindow w(kDesigned);
        Placement::restore(ini, "Main", w);
        EXPECT_EQ(w.normal, c.expected) << c.file;
        EXPECT_EQ(w.maximized, c.maximized) << c.file;
    }
}

TEST_F(PlacementTest, FixedSizeWindowIsMovedButKeepsItsSize) {
    writeFile("[ShowMessage]\nMaximize=No\nXPosit=30\nYPosit=40\nWidth=999\nHeight=999\n");
    FakeWindow w(kDesigned, /*resizable=*/false);
    Placement::restore(ini, "ShowMessage", w);
    EXPECT_EQ(w.normal, (WindowRect{30, 40, 640, 480}));
}

TEST_F(PlacementTest, ColumnLayoutIsDiscardedOnceWhenTheDesignChanges) {
    const std::string design = "60L(2)|M~Date~C(0)@d2@";
    const std::string user = "90L(2)|M~Date~C(0)@d2@";
    // First opening: nothing saved yet, the design is recorded.
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewToDo", design), std::nullopt);
    Placement::closeColumnLayout(ini, "ViewToDo", user);
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewToDo", design), user);

    // The date format changed: the design text differs, the user's layout is dropped once.
    const std::string redesigned = "60L(2)|M~Date~C(0)@d6@";
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewToDo", redesigned), std::nullopt);
    Placement::closeColumnLayout(ini, "ViewToDo", "70L(2)|M~Date~C(0)@d6@");
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewToDo", redesigned), "70L(2)|M~Date~C(0)@d6@");
}

TEST_F(PlacementTest, BlankOrMissingColumnLayoutKeepsTheDesign) {
    writeFile("[ViewLog]\nSRCFOriginal?Browse:1=A|B\n");
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewLog", "A|B"), "A|B");  // design as default
    writeFile("[ViewLog]\nSRCFOriginal?Browse:1=A|B\nSRCF?Browse:1=\n");
    EXPECT_EQ(Placement::openColumnLayout(ini, "ViewLog", "A|B"), std::nullopt);
}

}  // namespace
}  // namespace cm::test
