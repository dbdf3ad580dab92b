#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/child_process.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/x11_window_system.h"
#include "script/window_finder.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

using test::ChildProcess;
using test::readFile;
using test::waitUntil;

// An xterm that writes what is typed into it to a file. UTF-8 mode, so é arrives as UTF-8.
std::unique_ptr<ChildProcess> startXterm(const std::string& title, const std::string& geometry,
                                         const std::filesystem::path& output) {
    return std::make_unique<ChildProcess>(std::vector<std::string>{
        "env", "LC_ALL=C.UTF-8", "xterm", "-u8", "-geometry", geometry, "-T", title, "-e", "sh", "-c",
        "cat > \"$0\"", output.string()});
}

enum class Desktop { Bare, Openbox };

bool hasProperty(Display* dpy, Window window, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, 0, False, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    if (data != nullptr) XFree(data);
    return type != None;
}

// One X server, with no window manager or with openbox. The decoy xterm starts last and
// sits under the pointer, so keys that miss the target land there and show.
class X11DesktopTest : public ::testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
        // The server resets when its last client has gone, as between two tests, and refuses
        // connections for that moment.
        waitUntil([&] { return (m_x = std::make_unique<Backends>())->session.isOpen(); });
        ASSERT_TRUE(m_x->session.isOpen()) << m_x->session.error();
        ASSERT_FALSE(m_x->windows.hasWindowManager()) << "a window manager is already running";
        if (GetParam() == Desktop::Openbox) {
            m_openbox = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"});
            ASSERT_TRUE(waitUntil([&] { return m_x->windows.hasWindowManager(); })) << "openbox did not start";
            ASSERT_TRUE(windowManagerServes()) << "openbox manages no window";
        }
    }
    void TearDown() override {
        m_xterms.clear();
        if (m_openbox) {
            m_openbox->stop();
            waitUntil([&] { return !m_x->windows.hasWindowManager(); });
        }
    }

    // Openbox announces itself before its event loop runs and loses map requests made in
    // between, so a probe window is mapped (again, if need be) until openbox has taken it.
    bool windowManagerServes() {
        Display* dpy = m_x->session.display();
        const Window probe = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 10, 10, 0, 0, 0);
        bool managed = false;
        for (int attempt = 0; attempt < 20 && !managed; ++attempt) {
            XUnmapWindow(dpy, probe);
            XMapWindow(dpy, probe);
            XSync(dpy, False);
            managed = waitUntil([&] { return hasProperty(dpy, probe, "WM_STATE"); }, std::chrono::milliseconds(250));
        }
        XDestroyWindow(dpy, probe);
        XSync(dpy, False);
        return managed;
    }

    std::optional<WindowInfo> waitForWindow(const std::string& pattern) {
        std::optional<WindowInfo> found;
        waitUntil([&] { return (found = m_x->finder.findWindowByTitle(pattern)).has_value(); });
        return found;
    }

    WindowId startXtermWindow(const std::string& title, const std::string& geometry,
                              const std::filesystem::path& output) {
        m_xterms.push_back(startXterm(title, geometry, output));
        const auto window = waitForWindow(title);
        return window ? window->id : 0;
    }

    test::TempDir m_dir;
    struct Backends {
        X11Session session;
        X11WindowSystem windows{session};
        X11Keyboard keyboard{session};
        WindowFinder finder{windows};
    };
    std::unique_ptr<Backends> m_x;
    std::unique_ptr<ChildProcess> m_openbox;
    std::vector<std::unique_ptr<ChildProcess>> m_xterms;
};

TEST_P(X11DesktopTest, TypesIntoTheFocusedTargetThroughTheLayout) {
    const auto targetFile = m_dir / "target.txt";
    const auto decoyFile = m_dir / "decoy.txt";
    const WindowId target = startXtermWindow("Chronomate Target", "60x8+10+10", targetFile);
    ASSERT_NE(target, 0u);
    const WindowId decoy = startXtermWindow("Chronomate Decoy", "60x8+10+400", decoyFile);
    ASSERT_NE(decoy, 0u);
    // --sync waits for the pointer to move and hangs when it already stands there, as it may
    // on a display that outlives each test: step it aside first.
    ChildProcess::run({"xdotool", "mousemove", "0", "0"});
    ASSERT_EQ(ChildProcess::run({"xdotool", "mousemove", "--sync", "--window", std::to_string(decoy), "40", "40"}), 0);
    if (GetParam() == Desktop::Openbox) {
        // Minimized windows are listed, and bringing one to the front restores it.
        ASSERT_EQ(ChildProcess::run({"xdotool", "windowminimize", "--sync", std::to_string(target)}), 0);
        ASSERT_TRUE(m_x->finder.findWindowByTitle("chronomate target"));
    }

    const auto found = m_x->finder.findWindowByTitle("Chronomate Tar*");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, target);
    EXPECT_FALSE(found->own);
    ASSERT_TRUE(m_x->windows.bringToFront(target));
    const auto active = m_x->windows.activeWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->id, target);
    EXPECT_EQ(active->title, "Chronomate Target");

    // The user still holds Shift as typing starts, and lets go a moment later.
    ASSERT_EQ(ChildProcess::run({"xdotool", "keydown", "shift"}), 0);
    ChildProcess letGo({"sh", "-c", "sleep 0.3; xdotool keyup shift"});
    // "[" and "]", shifted characters, and é and € which a US layout lacks.
    EXPECT_TRUE(m_x->keyboard.typeText("Hi [there] {A&B} \"q\"~ é€é\n"));
    EXPECT_TRUE(m_x->keyboard.pressKey(kKeyShift | 0x41));  // Shift+A
    EXPECT_TRUE(m_x->keyboard.pressKey(0x31));              // 1
    EXPECT_TRUE(m_x->keyboard.pressKey(0x6B));              // keypad +
    EXPECT_TRUE(m_x->keyboard.pressKey(0x0D));              // Enter

    const std::string expected = "Hi [there] {A&B} \"q\"~ \u00e9\u20ac\u00e9\nA1+\n";
    waitUntil([&] { return readFile(targetFile).size() >= expected.size(); });
    EXPECT_EQ(readFile(targetFile), expected);
    EXPECT_EQ(readFile(decoyFile), "");
}

TEST_P(X11DesktopTest, RequestCloseEndsTheWindowsProgram) {
    const WindowId window = startXtermWindow("Chronomate Closable", "40x5+600+10", m_dir / "closable.txt");
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(m_x->windows.requestClose(window));
    EXPECT_TRUE(m_xterms.back()->waitForEnd()) << "xterm did not close";
    EXPECT_FALSE(m_x->finder.findWindowByTitle("Chronomate Closable"));
    EXPECT_FALSE(m_x->windows.requestClose(window)) << "a window that is gone";
}

TEST_P(X11DesktopTest, ListsOwnWindowsWithTheirUtf8Title) {
    Display* dpy = m_x->session.display();
    const Window own = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 900, 800, 50, 50, 0, 0, 0);
    XStoreName(dpy, own, "Latin-1 name");
    const std::string utf8 = "Chronomate \u00d6wn";
    XChangeProperty(dpy, own, XInternAtom(dpy, "_NET_WM_NAME", False), XInternAtom(dpy, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(dpy, own, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    const Window untitled = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 960, 800, 50, 50, 0, 0, 0);
    XMapWindow(dpy, own);
    XMapWindow(dpy, untitled);
    XSync(dpy, False);

    const auto found = waitForWindow(utf8);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, own);
    EXPECT_TRUE(found->own);
    for (const WindowInfo& w : m_x->windows.topLevelWindows()) {
        EXPECT_FALSE(w.title.empty());
        EXPECT_NE(w.id, untitled);
    }
    XDestroyWindow(dpy, own);
    XDestroyWindow(dpy, untitled);
    XSync(dpy, False);
}

TEST_P(X11DesktopTest, MouseCodesClickAtThePointer) {
    // A connection of its own: the backends drop the events of theirs.
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    const Window pad = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 300, 300, 200, 200, 0, 0, 0);
    XStoreName(dpy, pad, "Chronomate Pad");
    XSelectInput(dpy, pad, ButtonPressMask);
    XMapWindow(dpy, pad);
    XSync(dpy, False);
    ASSERT_TRUE(waitForWindow("Chronomate Pad"));
    // --sync waits for the pointer to move and hangs when it already stands there, as it may
    // on a display that outlives each test: step it aside first.
    ChildProcess::run({"xdotool", "mousemove", "0", "0"});
    ASSERT_EQ(ChildProcess::run({"xdotool", "mousemove", "--sync", "--window", std::to_string(pad), "50", "50"}), 0);

    EXPECT_TRUE(m_x->keyboard.pressKey(0x01));             // left
    EXPECT_TRUE(m_x->keyboard.pressKey(0x06));             // right, twice
    EXPECT_TRUE(m_x->keyboard.pressKey(kKeyCtrl | 0x03));  // Ctrl + middle

    std::vector<std::pair<unsigned int, bool>> presses;  // button, Ctrl held
    waitUntil([&] {
        XEvent event;
        while (XCheckWindowEvent(dpy, pad, ButtonPressMask, &event))
            presses.emplace_back(event.xbutton.button, (event.xbutton.state & ControlMask) != 0);
        return presses.size() >= 4;
    });
    const std::vector<std::pair<unsigned int, bool>> expected{{1, false}, {3, false}, {3, false}, {2, true}};
    EXPECT_EQ(presses, expected);
    XDestroyWindow(dpy, pad);
    XCloseDisplay(dpy);
}

INSTANTIATE_TEST_SUITE_P(Desktops, X11DesktopTest, ::testing::Values(Desktop::Bare, Desktop::Openbox),
                         [](const auto& info) { return info.param == Desktop::Bare ? "NoWindowManager" : "Openbox"; });

TEST(X11SessionTest, AClosedDisplayGivesAMessageAndNothingHappens) {
    X11Session session(":4711");
    EXPECT_FALSE(session.isOpen());
    EXPECT_NE(session.error().find(":4711"), std::string::npos);
    X11WindowSystem windows(session);
    X11Keyboard keyboard(session);
    EXPECT_TRUE(windows.topLevelWindows().empty());
    EXPECT_FALSE(windows.activeWindow());
    EXPECT_FALSE(windows.bringToFront(1));
    EXPECT_FALSE(keyboard.typeText("x"));
    EXPECT_FALSE(keyboard.pressKey(0x0D));
}

}  // namespace
}  // namespace cm
