#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>

#include "cli/background_cli.h"
#include "cli/cli_fixture.h"
#include "platform/child_process.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/x11_window_system.h"
#include "script/window_finder.h"
#include "shell/version.h"

namespace cm::test {
namespace {

using namespace std::chrono_literals;

// The headless monitor against a real X server: a "Run Program" task starts an xterm, and its
// script waits for that window and types into it. A decoy xterm sits under the pointer, so
// keys typed without the target focused land there instead.
class RunDesktopTest : public CliFixture {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
        // The server refuses connections for a moment while it resets after its last client.
        waitUntil([&] { return (m_session = std::make_unique<X11Session>())->isOpen(); });
        ASSERT_TRUE(m_session->isOpen()) << m_session->error();
        m_windows = std::make_unique<X11WindowSystem>(*m_session);
    }
    void TearDown() override {
        // The target xterm belongs to the finished monitor: end it through its shell.
        const std::string pid = readFile(dir / "target.pid");
        if (!pid.empty()) kill(std::atoi(pid.c_str()), SIGTERM);
    }

    std::optional<WindowInfo> waitForWindow(const std::string& pattern, std::chrono::milliseconds limit = 5s) {
        WindowFinder finder(*m_windows);
        std::optional<WindowInfo> found;
        waitUntil([&] { return (found = finder.findWindowByTitle(pattern)).has_value(); }, limit);
        return found;
    }

    std::unique_ptr<X11Session> m_session;
    std::unique_ptr<X11WindowSystem> m_windows;
};

TEST_F(RunDesktopTest, RunProgramTaskScriptWaitsForItsWindowAndTypesIntoIt) {
    const auto target = dir / "target.txt";
    const auto decoyFile = dir / "decoy.txt";
    ChildProcess decoy({"xterm", "-geometry", "60x8+10+400", "-T", "CM Decoy", "-e", "sh", "-c", "cat > \"$0\"",
                        decoyFile.string()});
    const auto decoyWindow = waitForWindow("CM Decoy");
    ASSERT_TRUE(decoyWindow);
    // --sync waits for the pointer to move and hangs when it already stands there, as it may
    // on a display that outlives each test: step it aside first.
    ChildProcess::run({"xdotool", "mousemove", "0", "0"});
    ASSERT_EQ(ChildProcess::run({"xdotool", "mousemove", "--sync", "--window", std::to_string(decoyWindow->id), "40",
                                 "40"}),
              0);

    const std::string command = "xterm -geometry 60x8+10+10 -T \"CM Target\" -e sh -c 'echo $$ > " +
                                (dir / "target.pid").string() + "; cat > " + target.string() + "'";
    EXPECT_EQ(ok({"add", "TaskType=Run Program", "Description=Type hello", "Command=" + command}), "1\n");
    ok({"script", "add", "1", "wait", "WaitForWindow=CM Target"});
    ok({"script", "add", "1", "send keystrokes", "KeyStrokes=hello[ENTER]"});

    BackgroundCli run({CHRONOMATE_CLI, "--data-dir", data().string(), "run", "--seconds", "15", "--yes"},
                      dir / "run.out", dir / "run.err", dir / "config");
    const bool typed = eventually([&] { return readFile(target) == "hello\n"; }, 15s);
    run.signal(SIGTERM);
    EXPECT_EQ(run.waitForExit(10s), 0);
    EXPECT_TRUE(typed) << "target: \"" << readFile(target) << "\" decoy: \"" << readFile(decoyFile)
                       << "\"\n" << readFile(dir / "run.err");
    EXPECT_EQ(readFile(target), "hello\n");
    EXPECT_EQ(readFile(decoyFile), "");
}

// A notification server of the test's own on the wrapper's session bus, writing each
// notification it gets to a file.
constexpr const char* kNotificationPeer = R"(
import dbus, dbus.service, dbus.mainloop.glib, sys
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
out = open(sys.argv[1], "a")
class Server(dbus.service.Object):
    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, expiry):
        out.write("%s|%s|%s\n" % (app, summary, body)); out.flush(); return 1
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.Notifications", bus)
Server(bus, "/org/freedesktop/Notifications")
open(sys.argv[2], "w").close()
GLib.MainLoop().run()
)";

using RunNotificationTest = CliFixture;

TEST_F(RunNotificationTest, MessagesGoToTheDesktopsNotificationServer) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) GTEST_SKIP() << "no session bus";
    if (ChildProcess::run({"/usr/bin/python3", "-c", "import dbus, gi"}) != 0) GTEST_SKIP() << "no python3 dbus";
    const auto script = dir / "peer.py";
    std::ofstream(script) << kNotificationPeer;
    ChildProcess peer({"/usr/bin/python3", script.string(), (dir / "notified").string(), (dir / "ready").string()});
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(dir / "ready"); })) << "the peer did not start";

    ok({"add", "TaskType=Display Message", "Description=Notified", "Message=Bell\\nrings"});
    EXPECT_EQ(ok({"run", "--seconds", "2"}), "Message: Notified: Bell rings\n");
    // Monitors of other tests share the bus, so their notifications may come here too.
    const std::string expected = std::string(Version::kProductName) + "|Notified|Bell\nrings\n";
    EXPECT_TRUE(waitUntil([&] { return readFile(dir / "notified").find(expected) != std::string::npos; }))
        << readFile(dir / "notified");
}

}  // namespace
}  // namespace cm::test
