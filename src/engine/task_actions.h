#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/process_launcher.h"

namespace cm {

class EventLog;
class Runtime;
struct ProgramCall;

// Queues a task's script followed by its end marker; the script engine provides it.
using ScriptQueuer = std::function<void(std::int32_t taskId)>;

// The window modes a "Start Program" step stores, by their stored digit.
enum class ScriptWindowMode : int {
    StartWithFocus = 1,
    MinimizedWithFocus = 2,
    Maximized = 3,
    MinimizedWithoutFocus = 7,
    WithoutFocus = 8,
};

// How a script step starts its program.
struct ProgramStartOptions {
    bool waitForEnd = false;
    ProcessPriority priority = ProcessPriority::Normal;
    ScriptWindowMode windowMode = ScriptWindowMode::StartWithFocus;

    // From the three option digits at the start of a step's stored text: wait ("1" waits),
    // priority ("1" low, "3" high, anything else normal), window mode ("2", "3", "7", "8",
    // anything else "1"). Missing digits read as anything else.
    static ProgramStartOptions decode(std::string_view digits);
    // The launcher knows no focus: the focus-less modes start as their focused twins.
    WindowMode launcherWindowMode() const;

    friend bool operator==(const ProgramStartOptions&, const ProgramStartOptions&) = default;
};

// Starts the program of a task or of a script step, and queues the task's script after it.
// Nothing goes through a shell; see CommandLine::readings() for how a command is read.
class TaskActions {
public:
    static constexpr std::string_view kNoProgram = "N/A";
    static constexpr std::string_view kRunProgramEvent = "Run Program";

    // dataFolder is where a program starts without a usable start folder.
    TaskActions(ProcessLauncher& launcher, Runtime& runtime, EventLog& log, std::filesystem::path dataFolder,
                ScriptQueuer queueScript = {});

    void setScriptQueuer(ScriptQueuer queueScript) { m_queueScript = std::move(queueScript); }
    // Where our own helpers are looked for first; by default the running executable's folder.
    void setHelperFolder(std::filesystem::path folder) { m_helperFolder = std::move(folder); }

    // Logs the command and starts it in startDir (blank, missing or not a folder: the data
    // folder); a relative startDir is taken from the data folder. "N/A" starts nothing. Then,
    // for a taskId other than 0, queues the task's script. A program that cannot be started
    // is reported through the runtime with its errno, and its script is not queued.
    // Without start options an existing non-executable file or folder, or a URL, goes to the
    // desktop's opener; with them (a script step) only programs start, and the started one is
    // remembered for startedProcessEnded(). False when the start failed.
    bool runProgram(std::int32_t taskId, std::string_view command, std::string_view startDir,
                    const std::optional<ProgramStartOptions>& options = std::nullopt);

    // Starts one of our own helper programs with its arguments as given, from the helper
    // folder or else from PATH, in the data folder. Logged and reported as runProgram() does.
    bool runHelper(std::string_view name, const std::vector<std::string>& arguments);
    std::string findHelper(std::string_view name) const;

    // Asks after every program started here so that the ended ones are reaped; the monitor
    // calls it each tick. Returns how many are still running.
    std::size_t reapChildren();

    // The last program started with start options; 0 when that start failed or none was made.
    ProcessId startedProcess() const { return m_startedProcess; }
    bool startedProcessEnded();

    // The folder a command starts in.
    std::filesystem::path startFolder(std::string_view startDir) const;

private:
    LaunchResult tryReading(const ProgramCall& call, const StartOptions& start, bool mayOpenDocuments);
    void reportFailure(std::string_view command, int errorCode);

    ProcessLauncher& m_launcher;
    Runtime& m_runtime;
    EventLog& m_log;
    std::filesystem::path m_dataFolder;
    ScriptQueuer m_queueScript;
    std::filesystem::path m_helperFolder;
    ProcessId m_startedProcess = 0;
    std::vector<ProcessId> m_children;
};

}  // namespace cm
