#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"

namespace cm::test {
namespace {

namespace fs = std::filesystem;

using ConfigCommandTest = CliFixture;

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
    EXPECT_EQ(readFile(dir / "data"), "not a folder");
}

}  // namespace
}  // namespace cm::test
