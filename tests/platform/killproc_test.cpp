#include <gtest/gtest.h>

#include <filesystem>

#include "platform/child_process.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;

// Copies of sleep under a name no other process has, one of them deaf to SIGTERM.
class KillProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file("/bin/sleep", m_program);
        fs::permissions(m_program, fs::perms::owner_all);
    }
    std::string name() const { return m_program.filename().string(); }

    test::TempDir m_dir;
    fs::path m_program = m_dir / ("cm-sleeper-" + std::to_string(getpid()));
};

TEST_F(KillProcTest, EndsEveryProcessOfTheNameAndKillsThoseIgnoringTerm) {
    ChildProcess polite({m_program.string(), "60"});
    ChildProcess deaf({"/bin/sh", "-c", "trap '' TERM; exec \"$0\" 60", m_program.string()});
    ChildProcess other({"/bin/sleep", "60"});
    ASSERT_TRUE(polite.started() && deaf.started() && other.started());
    ASSERT_TRUE(test::waitUntil([&] {
        return fs::read_symlink("/proc/" + std::to_string(deaf.pid()) + "/exe") == m_program;
    }));

    EXPECT_EQ(ChildProcess::run({CHRONOMATE_KILLPROC, name()}), 0);

    const auto politeEnd = polite.waitForEnd();
    const auto deafEnd = deaf.waitForEnd();
    ASSERT_TRUE(politeEnd && deafEnd);
    EXPECT_TRUE(WIFSIGNALED(*politeEnd) && WTERMSIG(*politeEnd) == SIGTERM);
    EXPECT_TRUE(WIFSIGNALED(*deafEnd) && WTERMSIG(*deafEnd) == SIGKILL);
    EXPECT_FALSE(other.waitForEnd(std::chrono::milliseconds(0))) << "a process of another name was ended";
}

TEST_F(KillProcTest, ExitCodesForNoMatchAndBadUsage) {
    EXPECT_EQ(ChildProcess::run({CHRONOMATE_KILLPROC, name()}), 1);
    EXPECT_EQ(ChildProcess::run({CHRONOMATE_KILLPROC}), 2);
    EXPECT_EQ(ChildProcess::run({CHRONOMATE_KILLPROC, ""}), 2);
    EXPECT_EQ(ChildProcess::run({CHRONOMATE_KILLPROC, "a", "b"}), 2);
}

}  // namespace
}  // namespace cm
