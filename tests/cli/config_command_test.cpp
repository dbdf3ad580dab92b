#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace cm::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The built chronomate-cli on a data folder of its own, with a system INI file of its own.
class ConfigCommandTest : public ::testing::Test {
protected:
    CliRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), {CHRONOMATE_CLI, "--data-dir", (dir / "data").string()});
        const fs::path out = dir / "stdout";
        const fs::path err = dir / "stderr";
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
            if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(127);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        CliRun run;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.out = readAll(out);
        run.err = readAll(err);
        return run;
    }

    TempDir dir;
};

TEST_F(ConfigCommandTest, SetThenGetAndTheIniFallBack) {
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "cm98.INI") << "[Settings]\nLogEvents=1\n";

    CliRun run = cli({"config", "get", "LogEvents"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\n");

    run = cli({"config", "set", "UserID", "Ann Smith"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    run = cli({"config", "get", "userid"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Ann Smith\n");

    // LogEvents was copied into the store, so the INI file no longer counts.
    std::ofstream(dir / "data" / "cm98.INI") << "[Settings]\nLogEvents=0\n";
    EXPECT_EQ(cli({"config", "get", "LogEvents"}).out, "1\n");
    EXPECT_EQ(cli({"config", "get", "Nothing"}).out, "\n");
}

TEST_F(ConfigCommandTest, BadInputFailsWithStatusTwoAndKeepsTheStoredValue) {
    ASSERT_EQ(cli({"config", "set", "UserID", "Ann"}).status, 0);

    const std::vector<std::vector<std::string>> bad = {
        {"config", "set", "UserID", std::string(81, 'x')},
        {"config", "set", "UserID"},
        {"config", "get"},
        {"config", "remove", "UserID"},
        {"config", "get", std::string(41, 'n')},
        {"config", "set", "", "x"},
    };
    for (const auto& args : bad) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args.size();
        EXPECT_NE(run.err.find("chronomate-cli: "), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(cli({"config", "get", "UserID"}).out, "Ann\n");
}

TEST_F(ConfigCommandTest, AnUnusableDataFolderFails) {
    std::ofstream(dir / "data") << "not a folder";
    const CliRun run = cli({"config", "get", "UserID"});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(readAll(dir / "data"), "not a folder");
}

}  // namespace
}  // namespace cm::test
