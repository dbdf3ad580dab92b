#include <signal.h>

#include <memory>

#include "base/instance_lock.h"
#include "cli/background_cli.h"
#include "cli/cli_fixture.h"

namespace cm::test {
namespace {

using namespace std::chrono_literals;

class RunCommandTest : public CliFixture {
protected:
    std::unique_ptr<BackgroundCli> start(const std::vector<std::string>& args) {
        std::vector<std::string> all = {CHRONOMATE_CLI, "--data-dir", data().string(), "run"};
        all.insert(all.end(), args.begin(), args.end());
        return std::make_unique<BackgroundCli>(all, dir / "run.out", dir / "run.err", dir / "config");
    }
    std::string log() { return readFile(data() / "CM97Evnt.LOG"); }
    bool logged(const std::string& label) { return log().find(label) != std::string::npos; }
};

TEST_F(RunCommandTest, DueMessageIsPrintedAndItsRunRecorded) {
    ok({"add", "TaskType=Display Message", "Description=Tea", "Message=Kettle\\nis on"});
    const CliRun run = cli({"run", "--seconds", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Message: Tea: Kettle is on\n");

    const auto tasks = storeRows().tasks;
    ASSERT_EQ(tasks.size(), 2u);
    const ScheduleRecord& history = tasks[1];
    EXPECT_EQ(history.originalId, 1);
    EXPECT_EQ(history.completed, 1);
    EXPECT_EQ(history.description, "Tea");
    EXPECT_NE(history.lastRunDate, 0);
    // The task itself has moved on to its next occurrence.
    EXPECT_GT(std::pair(tasks[0].date, tasks[0].time), std::pair(history.date, history.time));
}

TEST_F(RunCommandTest, QuestionsTakeTheirDefaultOrYesWithTheOption) {
    struct Case {
        std::vector<std::string> options;
        std::string out;
    };
    const Case cases[] = {
        {{}, "Confirm Task: Stretch is due to run.  Run it now? -> No\n"},
        {{"--yes"}, "Confirm Task: Stretch is due to run.  Run it now? -> Yes\nMessage: Stretch: Stand up\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(data());
        ok({"add", "TaskType=Display Message", "UserSkip=1", "Description=Stretch", "Message=Stand up"});
        std::vector<std::string> args = {"run", "--seconds", "2"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST_F(RunCommandTest, SecondMonitorOnTheFolderIsRefused) {
    auto first = start({"--seconds", "20"});
    ASSERT_TRUE(eventually([&] { return InstanceLock::holderPid(data()) == first->pid(); }));
    const CliRun second = cli({"run", "--seconds", "1"});
    EXPECT_EQ(second.status, 2);
    EXPECT_NE(second.err.find("another monitor (process " + std::to_string(first->pid()) + ")"), std::string::npos)
        << second.err;
    EXPECT_EQ(lines(second.err).size(), 1u) << second.err;
    first->signal(SIGINT);
    EXPECT_EQ(first->waitForExit(10s), 0);
    // Once the first has gone the folder is free again.
    EXPECT_EQ(cli({"run", "--seconds", "1"}).status, 0);
}

TEST_F(RunCommandTest, SigtermEndsThroughTheNormalShutdown) {
    ok({"config", "set", "LogEvents", "1"});
    auto monitor = start({});
    ASSERT_TRUE(eventually([&] { return logged("Started"); })) << readFile(dir / "run.err");
    EXPECT_FALSE(logged("Exit Chronomate"));
    monitor->signal(SIGTERM);
    ASSERT_EQ(monitor->waitForExit(10s), 0) << readFile(dir / "run.err");
    const auto entries = lines(log());
    ASSERT_FALSE(entries.empty());
    EXPECT_NE(entries.back().find("Exit Chronomate"), std::string::npos) << log();
    EXPECT_FALSE(InstanceLock::holderPid(data()));
}

}  // namespace
}  // namespace cm::test
