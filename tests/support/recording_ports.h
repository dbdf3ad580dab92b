#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "shell/dde.h"
#include "shell/keyboard.h"
#include "shell/notifier.h"
#include "shell/process_launcher.h"
#include "shell/sound.h"
#include "shell/window_system.h"

namespace cm::test {

// Records the exact keystroke stream: "text:..." for typed text, "key:0x243" for key codes.
class RecordingKeyboard final : public Keyboard {
public:
    bool typeText(std::string_view text) override;
    bool pressKey(int keyCode) override;
    std::vector<std::string> events;
    bool succeed = true;
};

// A desktop of windows that tests arrange by hand.
class FakeWindowSystem final : public WindowSystem {
public:
    WindowId addWindow(std::string title, bool own = false);
    void removeWindow(WindowId id);
    std::vector<WindowInfo> topLevelWindows() override { return windows; }
    bool bringToFront(WindowId id) override;
    std::optional<WindowInfo> activeWindow() override;
    bool requestClose(WindowId id) override;

    std::vector<WindowInfo> windows;
    WindowId active = 0;
    std::vector<WindowId> raised;
    std::vector<WindowId> closeRequests;

private:
    WindowId m_nextId = 100;
};

class RecordingProcessLauncher final : public ProcessLauncher {
public:
    struct Call {
        std::string program;
        std::vector<std::string> arguments;
        StartOptions options;
        bool desktop = false;
    };
    LaunchResult start(const std::string& program, const std::vector<std::string>& arguments,
                       const StartOptions& options) override;
    LaunchResult openWithDesktop(const std::string& target, const StartOptions& options) override;
    bool hasEnded(ProcessId pid) override { return ended.count(pid) > 0 || !running.count(pid); }

    std::vector<Call> calls;
    // Programs that fail to start, with the errno they fail with.
    std::map<std::string, int> failing;
    std::set<ProcessId> running;
    std::set<ProcessId> ended;

private:
    ProcessId m_nextPid = 1000;
};

class RecordingSound final : public Sound {
public:
    bool play(const std::string& file) override {
        played.push_back(file);
        return playable;
    }
    void beep() override { ++beeps; }
    std::vector<std::string> played;
    bool playable = true;
    int beeps = 0;
};

class RecordingDde final : public Dde {
public:
    int open(const std::string& application, const std::string& topic) override;
    bool execute(int channel, const std::string& command) override;
    void close(int channel) override { closed.push_back(channel); }
    std::set<std::string> servedApplications;
    std::vector<std::string> executed;  // "channel:command"
    std::vector<int> closed;

private:
    int m_next = 1;
};

class RecordingNotifier final : public Notifier {
public:
    bool notify(const std::string& title, const std::string& body) override {
        notes.push_back(title + "|" + body);
        return true;
    }
    std::vector<std::string> notes;
};

}  // namespace cm::test
