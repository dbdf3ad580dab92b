#include "engine/task_actions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/fixed_text.h"
#include "engine/event_log.h"
#include "platform/posix/posix_process_launcher.h"
#include "shell/settings.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

Lines readLines(const fs::path& file) {
    std::ifstream in(file);
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The marker appears whole: the script writes it aside and renames it.
Lines awaitMarker(const fs::path& marker) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readLines(marker);
}

// An executable that writes its label and then its arguments, one a line, into marker.
void writeTool(const fs::path& path, const std::string& label, const fs::path& marker) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' '" << label << "' \"$@\" > '" << marker.string()
                        << ".tmp' && mv '" << marker.string() << ".tmp' '" << marker.string() << "'\n";
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

template <class Launcher>
class ActionsFixture : public ::testing::Test {
protected:
    ActionsFixture() {
        fs::create_directory(data);
        settings.logEvents = true;
    }
    ~ActionsFixture() override { reap(); }

    void reap() {
        if constexpr (std::is_same_v<Launcher, PosixProcessLauncher>) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (launcher.reapFinished() > 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    Lines loggedEvents() {
        log.close();
        Lines events;
        for (const std::string& line : readLines(data / "CM97Evnt.LOG"))
            events.push_back(std::string(FixedText::trimTrailingBlanks(line.substr(EventLog::kDateWidth + EventLog::kTimeWidth))));
        return events;
    }

    test::TempDir dir;
    fs::path data = dir / "data";
    test::FakeClock clock{2026, 3, 5, 9, 0};
    Settings settings;
    EventLog log{data, clock, settings};
    test::FakeRuntime runtime;
    Launcher launcher;
    std::vector<std::int32_t> queued;
    TaskActions actions{launcher, runtime, log, data, [this](std::int32_t id) { queued.push_back(id); }};
};

using TaskActionsTest = ActionsFixture<PosixProcessLauncher>;
using TaskActionsRecordedTest = ActionsFixture<test::RecordingProcessLauncher>;

struct FallbackCase {
    std::vector<std::string> tools;  // executables under the case folder {D}
    std::string command;
    Lines ran;  // the label of the tool that ran, then its arguments
};

TEST_F(TaskActionsTest, TriesTheReadingsOfACommandInOrderOnRealPrograms) {
    const FallbackCase cases[] = {
        {{"my tools/run"}, "{D}/my tools/run", {"my tools/run"}},
        {{"my tools/run"}, "{D}/my tools/run first second", {"my tools/run", "first", "second"}},
        {{"my tools/run"}, "\"{D}/my tools/run\" 'a b' \"\" c", {"my tools/run", "a b", "", "c"}},
        {{"my", "my tools/run"}, "{D}/my tools/run x", {"my", "tools/run", "x"}},
        {{"my tools/run x", "my tools/run"}, "{D}/my tools/run x", {"my tools/run x"}},
        {{"my tools/run", "my tools/run a"}, "{D}/my tools/run a b", {"my tools/run a", "b"}},
    };
    int n = 0;
    for (const FallbackCase& c : cases) {
        const fs::path folder = dir / ("case" + std::to_string(++n));
        const fs::path marker = folder / "ran";
        for (const std::string& tool : c.tools) writeTool(folder / tool, tool, marker);
        const std::string command = replaceAll(c.command, "{D}", folder.string());
        EXPECT_TRUE(actions.runProgram(n, command, ""));
        EXPECT_EQ(awaitMarker(marker), c.ran) << command;
    }
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_EQ(queued, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (actions.reapChildren() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(launcher.runningCount(), 0u) << "every started program reaped through the port";
}

TEST_F(TaskActionsTest, ReportsAProgramThatCannotStartAndQueuesNoScript) {
    std::ofstream(dir / "notes") << "not a program";
    const std::string missing = (dir / "no such/prog").string() + " arg";
    const std::string plain = (dir / "notes").string();
    struct Case {
        std::string command;
        std::optional<ProgramStartOptions> options;
        std::string title;
    };
    const Case cases[] = {
        {missing, std::nullopt, "Error Code 2"},
        {missing + "   ", std::nullopt, "Error Code 2"},
        {plain + " x", ProgramStartOptions{}, "Error Code 13"},  // a script step opens no documents
        {"", std::nullopt, "Error Code 2"},
    };
    for (const Case& c : cases) {
        runtime.clearBoxes();
        EXPECT_FALSE(actions.runProgram(4, c.command, "", c.options)) << c.command;
        ASSERT_EQ(runtime.boxes().size(), 1u) << c.command;
        const MessageBoxRequest& box = runtime.lastBox().request;
        EXPECT_EQ(box.text, "Could not start " + std::string(FixedText::trimTrailingBlanks(c.command)) + ".");
        EXPECT_EQ(box.title, c.title) << c.command;
    }
    EXPECT_TRUE(queued.empty());
    const Lines events = loggedEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].substr(0, EventLog::kLabelWidth), std::string(TaskActions::kRunProgramEvent) +
                                                               std::string(EventLog::kLabelWidth - 11, ' '));
    EXPECT_EQ(events[0].substr(EventLog::kLabelWidth), missing.substr(0, EventLog::kDataWidth));
}

TEST_F(TaskActionsTest, StartsInTheStartFolderElseInTheDataFolder) {
    const fs::path tool = dir / "my tools/where";
    fs::create_directories(tool.parent_path());
    std::ofstream(tool) << "#!/bin/sh\npwd -P > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n";
    fs::permissions(tool, fs::perms::owner_all, fs::perm_options::add);
    fs::create_directories(dir / "work dir");
    fs::create_directories(data / "sub");
    const std::pair<std::string, fs::path> cases[] = {
        {(dir / "work dir").string(), dir / "work dir"},
        {"", data},
        {"   ", data},
        {(dir / "missing").string(), data},
        {"sub", data / "sub"},
    };
    int n = 0;
    for (const auto& [startDir, expected] : cases) {
        const fs::path marker = dir / ("cwd" + std::to_string(++n));
        EXPECT_TRUE(actions.runProgram(0, "\"" + tool.string() + "\" " + marker.string(), startDir));
        EXPECT_EQ(awaitMarker(marker), Lines{fs::canonical(expected).string()}) << startDir;
    }
    EXPECT_TRUE(queued.empty()) << "task 0 has no script";
}

TEST_F(TaskActionsTest, RunsHelpersWithTheirArgumentsBesideUsThenFromPath) {
    const fs::path helpers = dir / "bin";
    const fs::path marker = dir / "helped";
    writeTool(helpers / "cm-helper", "cm-helper", marker);
    actions.setHelperFolder(helpers);
    EXPECT_EQ(actions.findHelper("cm-helper"), (helpers / "cm-helper").string());
    EXPECT_TRUE(actions.runHelper("cm-helper", {"text with \"quotes\" and 'blanks'", ""}));
    EXPECT_EQ(awaitMarker(marker), (Lines{"cm-helper", "text with \"quotes\" and 'blanks'", ""}));

    EXPECT_EQ(actions.findHelper("touch"), "touch");
    EXPECT_TRUE(actions.runHelper("touch", {(dir / "touched").string()}));
    reap();
    EXPECT_TRUE(fs::exists(dir / "touched"));

    EXPECT_FALSE(actions.runHelper("chronomate-missing-helper", {"x"}));
    EXPECT_EQ(runtime.lastBox().request.text, "Could not start chronomate-missing-helper.");
    EXPECT_EQ(runtime.lastBox().request.title, "Error Code 2");
}

TEST_F(TaskActionsTest, KnowsWhenTheProgramOfAScriptStepHasEnded) {
    EXPECT_TRUE(actions.startedProcessEnded()) << "nothing started yet";
    ASSERT_TRUE(actions.runProgram(0, "sleep 0.2", "", ProgramStartOptions::decode("100")));
    EXPECT_NE(actions.startedProcess(), 0);
    EXPECT_FALSE(actions.startedProcessEnded());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!actions.startedProcessEnded() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(actions.startedProcessEnded());
    EXPECT_EQ(launcher.runningCount(), 0u);
}

TEST_F(TaskActionsRecordedTest, NotApplicableStartsNothingButQueuesTheScript) {
    for (const char* command : {"N/A", "n/a", "N/A   "}) EXPECT_TRUE(actions.runProgram(7, command, ""));
    EXPECT_TRUE(actions.runProgram(0, "N/A", ""));
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_EQ(queued, (std::vector<std::int32_t>{7, 7, 7}));
    EXPECT_EQ(loggedEvents().size(), 4u);
}

TEST_F(TaskActionsRecordedTest, OpensDocumentsAndUrlsWithTheDesktopOnly) {
    const fs::path folder = dir / "docs";
    fs::create_directories(folder / "sub folder");
    std::ofstream(folder / "notes.txt") << "x";
    std::ofstream(folder / "tool") << "#!/bin/sh\n";
    fs::permissions(folder / "tool", fs::perms::owner_all, fs::perm_options::add);
    struct Case {
        std::string command;
        bool scriptStep;
        bool desktop;
        std::string target;
    };
    const Case cases[] = {
        {"notes.txt", false, true, (folder / "notes.txt").string()},
        {"notes.txt extra", false, false, "notes.txt extra"},
        {(folder / "notes.txt").string(), false, true, (folder / "notes.txt").string()},
        {"sub folder", false, true, (folder / "sub folder").string()},
        {"https://example.org/x?y=1", false, true, "https://example.org/x?y=1"},
        {"missing.txt", false, false, "missing.txt"},
        {(folder / "tool").string(), false, false, (folder / "tool").string()},
        {"notes.txt", true, false, "notes.txt"},
    };
    for (const Case& c : cases) {
        launcher.calls.clear();
        const auto options = c.scriptStep ? std::optional(ProgramStartOptions{}) : std::nullopt;
        EXPECT_TRUE(actions.runProgram(1, c.command, folder.string(), options));
        ASSERT_EQ(launcher.calls.size(), 1u) << c.command;
        EXPECT_EQ(launcher.calls[0].desktop, c.desktop) << c.command;
        EXPECT_EQ(launcher.calls[0].program, c.target) << c.command;
        EXPECT_EQ(launcher.calls[0].options.workingDirectory, folder.string());
    }
}

TEST_F(TaskActionsRecordedTest, PassesStartOptionsAndRemembersTheStartedProcess) {
    launcher.failing["editor file"] = ENOENT;
    ASSERT_TRUE(actions.runProgram(0, "editor file", "", ProgramStartOptions::decode("117")));
    ASSERT_EQ(launcher.calls.size(), 2u) << "the whole command first, then the split";
    EXPECT_EQ(launcher.calls[1].program, "editor");
    EXPECT_EQ(launcher.calls[1].options.priority, ProcessPriority::Low);
    EXPECT_EQ(launcher.calls[1].options.windowMode, WindowMode::Minimized);
    const ProcessId pid = actions.startedProcess();
    EXPECT_TRUE(launcher.running.count(pid));
    EXPECT_FALSE(actions.startedProcessEnded());
    launcher.ended.insert(pid);
    EXPECT_TRUE(actions.startedProcessEnded());

    launcher.failing["broken"] = ENOEXEC;
    EXPECT_FALSE(actions.runProgram(0, "broken", "", ProgramStartOptions{}));
    EXPECT_EQ(runtime.lastBox().request.title, "Error Code 8");
    EXPECT_EQ(actions.startedProcess(), 0);
    EXPECT_TRUE(actions.startedProcessEnded());
}

struct DecodeCase {
    const char* digits;
    ProgramStartOptions options;
    WindowMode launcherMode;
};

TEST(TaskActionsStartOptions, DecodesTheThreeOptionDigits) {
    using P = ProcessPriority;
    using W = ScriptWindowMode;
    const DecodeCase cases[] = {
        {"021", {false, P::Normal, W::StartWithFocus}, WindowMode::Normal},
        {"112", {true, P::Low, W::MinimizedWithFocus}, WindowMode::Minimized},
        {"033", {false, P::High, W::Maximized}, WindowMode::Maximized},
        {"027", {false, P::Normal, W::MinimizedWithoutFocus}, WindowMode::Minimized},
        {"138", {true, P::High, W::WithoutFocus}, WindowMode::Normal},
        {"295", {false, P::Normal, W::StartWithFocus}, WindowMode::Normal},
        {"1", {true, P::Normal, W::StartWithFocus}, WindowMode::Normal},
        {"", {false, P::Normal, W::StartWithFocus}, WindowMode::Normal},
        {"1 3 and more text", {true, P::Normal, W::Maximized}, WindowMode::Maximized},
    };
    for (const DecodeCase& c : cases) {
        const ProgramStartOptions o = ProgramStartOptions::decode(c.digits);
        EXPECT_EQ(o, c.options) << c.digits;
        EXPECT_EQ(o.launcherWindowMode(), c.launcherMode) << c.digits;
    }
}

}  // namespace
}  // namespace cm
