#include "support/recording_ports.h"

#include <algorithm>
#include <cstdio>

namespace cm::test {

bool RecordingKeyboard::typeText(std::string_view text) {
    events.push_back("text:" + std::string(text));
    return succeed;
}

bool RecordingKeyboard::pressKey(int keyCode) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "key:0x%X", keyCode);
    events.emplace_back(buf);
    return succeed;
}

WindowId FakeWindowSystem::addWindow(std::string title, bool own) {
    const WindowId id = m_nextId++;
    windows.push_back({id, std::move(title), own});
    return id;
}

void FakeWindowSystem::removeWindow(WindowId id) {
    std::erase_if(windows, [id](const WindowInfo& w) { return w.id == id; });
    if (active == id) active = 0;
}

bool FakeWindowSystem::bringToFront(WindowId id) {
    raised.push_back(id);
    const bool exists = std::any_of(windows.begin(), windows.end(), [id](const WindowInfo& w) { return w.id == id; });
    if (exists) active = id;
    return exists;
}

std::optional<WindowInfo> FakeWindowSystem::activeWindow() {
    for (const WindowInfo& w : windows)
        if (w.id == active) return w;
    return std::nullopt;
}

bool FakeWindowSystem::requestClose(WindowId id) {
    closeRequests.push_back(id);
    return true;
}

LaunchResult RecordingProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments,
                                             const StartOptions& options) {
    calls.push_back({program, arguments, options, false});
    if (auto it = failing.find(program); it != failing.end()) return {false, 0, it->second, "cannot start"};
    const ProcessId pid = m_nextPid++;
    running.insert(pid);
    return {true, pid, 0, {}};
}

LaunchResult RecordingProcessLauncher::openWithDesktop(const std::string& target, const StartOptions& options) {
    calls.push_back({target, {}, options, true});
    const ProcessId pid = m_nextPid++;
    running.insert(pid);
    return {true, pid, 0, {}};
}

int RecordingDde::open(const std::string& application, const std::string& topic) {
    (void)topic;
    if (!servedApplications.count(application)) return 0;
    return m_next++;
}

bool RecordingDde::execute(int channel, const std::string& command) {
    executed.push_back(std::to_string(channel) + ":" + command);
    return channel != 0;
}

}  // namespace cm::test
