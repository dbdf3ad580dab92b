#include "platform/posix/posix_process_launcher.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using test::readFile;

template <class Condition>
bool waitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool processGone(ProcessId pid) { return kill(pid, 0) == -1 && errno == ESRCH; }

// Field 19 of /proc/PID/stat, counted after the command name that may hold blanks.
int niceOf(ProcessId pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 19; ++i) fields >> field;
    return std::stoi(field);
}

void writeScript(const fs::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

class ProcessLauncherTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (ProcessId pid : m_toKill) kill(pid, SIGKILL);
        EXPECT_TRUE(waitFor([&] { return launcher.reapFinished() == 0; }));
    }
    ProcessId startKept(const std::string& program, std::vector<std::string> args, StartOptions options = {}) {
        const LaunchResult r = launcher.start(program, args, options);
        EXPECT_TRUE(r.started) << r.errorText;
        if (r.started) m_toKill.push_back(r.pid);
        return r.pid;
    }

    PosixProcessLauncher launcher;
    test::TempDir dir;

private:
    std::vector<ProcessId> m_toKill;
};

TEST_F(ProcessLauncherTest, HasEndedOnceTheChildEndsAndLeavesNoZombie) {
    const LaunchResult r = launcher.start("sleep", {"0.2"}, {});
    ASSERT_TRUE(r.started) << r.errorText;
    EXPECT_FALSE(launcher.hasEnded(r.pid));
    ASSERT_TRUE(waitFor([&] { return launcher.hasEnded(r.pid); }));
    EXPECT_TRUE(processGone(r.pid));
    EXPECT_TRUE(launcher.hasEnded(r.pid));
    EXPECT_TRUE(launcher.hasEnded(getpid())) << "not our child: nothing to wait for";
}

TEST_F(ProcessLauncherTest, ReapsChildrenNobodyAsksAbout) {
    std::vector<ProcessId> pids;
    for (int i = 0; i < 3; ++i) pids.push_back(launcher.start("true", {}, {}).pid);
    ASSERT_TRUE(waitFor([&] { return launcher.reapFinished() == 0; }));
    for (ProcessId pid : pids) EXPECT_TRUE(processGone(pid)) << pid;
}

TEST_F(ProcessLauncherTest, GivesPriorityAsNiceValue) {
    const int own = getpriority(PRIO_PROCESS, 0);
    StartOptions low;
    low.priority = ProcessPriority::Low;
    EXPECT_EQ(niceOf(startKept("sleep", {"5"}, low)), PosixProcessLauncher::kLowNice);
    EXPECT_EQ(niceOf(startKept("sleep", {"5"}, {})), own);
    StartOptions high;
    high.priority = ProcessPriority::High;
    const int highNice = niceOf(startKept("sleep", {"5"}, high));
    EXPECT_TRUE(highNice == PosixProcessLauncher::kHighNice || highNice == own) << highNice;
}

TEST_F(ProcessLauncherTest, StartsInTheStartFolderWithoutMovingOurs) {
    const fs::path work = dir / "work dir";
    fs::create_directory(work);
    writeScript(dir / "where", "pwd -P > \"$1\"");
    const fs::path before = fs::current_path();
    StartOptions options;
    options.workingDirectory = work.string();
    const ProcessId pid = startKept((dir / "where").string(), {(dir / "cwd").string()}, options);
    EXPECT_EQ(fs::current_path(), before);
    ASSERT_TRUE(waitFor([&] { return launcher.hasEnded(pid); }));
    EXPECT_EQ(readFile(dir / "cwd"), fs::canonical(work).string() + "\n");
}

TEST_F(ProcessLauncherTest, ReportsTheErrnoOfAFailedStart) {
    std::ofstream(dir / "plain.txt") << "text";
    StartOptions missingFolder;
    missingFolder.workingDirectory = (dir / "nowhere").string();
    struct Case {
        std::string program;
        StartOptions options;
        int error;
    };
    const Case cases[] = {
        {(dir / "missing").string(), {}, ENOENT},
        {"chronomate-no-such-program", {}, ENOENT},
        {"", {}, ENOENT},
        {(dir / "plain.txt").string(), {}, EACCES},
        {"true", missingFolder, ENOENT},
    };
    for (const Case& c : cases) {
        const LaunchResult r = launcher.start(c.program, {}, c.options);
        EXPECT_FALSE(r.started) << c.program;
        EXPECT_EQ(r.errorCode, c.error) << c.program;
        EXPECT_EQ(r.errorText, std::strerror(c.error)) << c.program;
    }
    EXPECT_EQ(launcher.runningCount(), 0u);
}

}  // namespace
}  // namespace cm
