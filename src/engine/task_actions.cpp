#include "engine/task_actions.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>

#include "base/fixed_text.h"
#include "engine/command_line.h"
#include "engine/event_log.h"
#include "shell/runtime.h"

namespace cm {
namespace fs = std::filesystem;

namespace {

std::filesystem::path runningExecutableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

// What the desktop opener should take instead of a program: a URL, or an existing file or
// folder we cannot execute. Empty when the reading is a program to start.
std::string documentTarget(const std::string& program, const fs::path& folder) {
    if (CommandLine::isUrl(program)) return program;
    fs::path path(program);
    if (path.is_relative()) path = folder / path;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) return {};
    if (fs::is_directory(status)) return path.string();
    if (fs::is_regular_file(status) && access(path.c_str(), X_OK) != 0) return path.string();
    return {};
}

// Which failure to show when every reading failed: "not found" is what most readings give,
// so any other cause (no permission, not an executable format) says more.
bool moreTelling(int candidate, int current) {
    const auto notFound = [](int e) { return e == ENOENT || e == ENOTDIR; };
    return current == 0 || (notFound(current) && !notFound(candidate));
}

std::string commandText(std::string_view name, const std::vector<std::string>& arguments) {
    std::string text(name);
    for (const std::string& a : arguments) {
        const bool quote = a.empty() || a.find_first_of(" \t") != std::string::npos;
        text += ' ';
        if (quote) text += '"';
        text += a;
        if (quote) text += '"';
    }
    return text;
}

}  // namespace

ProgramStartOptions ProgramStartOptions::decode(std::string_view digits) {
    const auto at = [digits](std::size_t i) { return i < digits.size() ? digits[i] : '\0'; };
    ProgramStartOptions o;
    o.waitForEnd = at(0) == '1';
    o.priority = at(1) == '1' ? ProcessPriority::Low : at(1) == '3' ? ProcessPriority::High : ProcessPriority::Normal;
    switch (at(2)) {
        case '2': o.windowMode = ScriptWindowMode::MinimizedWithFocus; break;
        case '3': o.windowMode = ScriptWindowMode::Maximized; break;
        case '7': o.windowMode = ScriptWindowMode::MinimizedWithoutFocus; break;
        case '8': o.windowMode = ScriptWindowMode::WithoutFocus; break;
        default: o.windowMode = ScriptWindowMode::StartWithFocus; break;
    }
    return o;
}

WindowMode ProgramStartOptions::launcherWindowMode() const {
    switch (windowMode) {
        case ScriptWindowMode::MinimizedWithFocus:
        case ScriptWindowMode::MinimizedWithoutFocus: return WindowMode::Minimized;
        case ScriptWindowMode::Maximized: return WindowMode::Maximized;
        case ScriptWindowMode::StartWithFocus:
        case ScriptWindowMode::WithoutFocus: break;
    }
    return WindowMode::Normal;
}

TaskActions::TaskActions(ProcessLauncher& launcher, Runtime& runtime, EventLog& log, fs::path dataFolder,
                         ScriptQueuer queueScript)
    : m_launcher(launcher),
      m_runtime(runtime),
      m_log(log),
      m_dataFolder(std::move(dataFolder)),
      m_queueScript(std::move(queueScript)),
      m_helperFolder(runningExecutableFolder()) {}

fs::path TaskActions::startFolder(std::string_view startDir) const {
    const std::string_view trimmed = FixedText::trimTrailingBlanks(startDir);
    if (trimmed.empty()) return m_dataFolder;
    fs::path folder(trimmed);
    if (folder.is_relative()) folder = m_dataFolder / folder;
    // A start folder that cannot be entered leaves the program where it would start anyway.
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : m_dataFolder;
}

LaunchResult TaskActions::tryReading(const ProgramCall& call, const StartOptions& start, bool mayOpenDocuments) {
    if (mayOpenDocuments) {
        const std::string target = documentTarget(call.program, start.workingDirectory);
        if (!target.empty()) return m_launcher.openWithDesktop(target, start);
    }
    return m_launcher.start(call.program, call.arguments, start);
}

bool TaskActions::runProgram(std::int32_t taskId, std::string_view command, std::string_view startDir,
                             const std::optional<ProgramStartOptions>& options) {
    m_log.logEvent(kRunProgramEvent, command);

    if (!FixedText::equalNoCase(command, kNoProgram)) {
        StartOptions start;
        start.workingDirectory = startFolder(startDir).string();
        if (options) {
            start.priority = options->priority;
            start.windowMode = options->launcherWindowMode();
        }

        LaunchResult started;
        int errorCode = 0;
        for (const ProgramCall& call : CommandLine::readings(command)) {
            // A document with arguments is no document reading: those go on to the next split.
            started = tryReading(call, start, !options.has_value() && call.arguments.empty());
            if (started.started) break;
            if (moreTelling(started.errorCode, errorCode)) errorCode = started.errorCode;
        }
        if (options) m_startedProcess = started.started ? started.pid : 0;
        if (!started.started) {
            reportFailure(command, errorCode != 0 ? errorCode : ENOENT);
            return false;
        }
        m_children.push_back(started.pid);
    }

    if (taskId != 0 && m_queueScript) m_queueScript(taskId);
    return true;
}

std::string TaskActions::findHelper(std::string_view name) const {
    const std::string bare(name);
    if (bare.find('/') != std::string::npos || m_helperFolder.empty()) return bare;
    const fs::path beside = m_helperFolder / bare;
    std::error_code ec;
    if (fs::is_regular_file(beside, ec) && access(beside.c_str(), X_OK) == 0) return beside.string();
    return bare;  // the launcher searches PATH for a bare name
}

bool TaskActions::runHelper(std::string_view name, const std::vector<std::string>& arguments) {
    m_log.logEvent(kRunProgramEvent, commandText(name, arguments));
    StartOptions start;
    start.workingDirectory = m_dataFolder.string();
    const LaunchResult started = m_launcher.start(findHelper(name), arguments, start);
    if (!started.started) {
        reportFailure(name, started.errorCode != 0 ? started.errorCode : ENOENT);
        return false;
    }
    m_children.push_back(started.pid);
    return true;
}

std::size_t TaskActions::reapChildren() {
    std::erase_if(m_children, [this](ProcessId pid) { return m_launcher.hasEnded(pid); });
    return m_children.size();
}

bool TaskActions::startedProcessEnded() {
    return m_startedProcess == 0 || m_launcher.hasEnded(m_startedProcess);
}

void TaskActions::reportFailure(std::string_view command, int errorCode) {
    MessageBoxRequest box;
    box.text = "Could not start " + std::string(FixedText::trimTrailingBlanks(command)) + ".";
    box.title = "Error Code " + std::to_string(errorCode);
    box.owner = Owner::Frame;
    m_runtime.messageBox(box);
}

}  // namespace cm
