#include "engine/event_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/picture.h"
#include "shell/settings.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using test::readFile;

std::vector<std::string> readLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(file));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string field(const std::string& text, std::size_t width) {
    return text + std::string(width - FixedText::characterCount(text), ' ');
}

class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(usePictureLocale("C"));
        settings.logEvents = true;
    }

    fs::path logFile() const { return dir / "CM97Evnt.LOG"; }

    test::TempDir dir;
    test::FakeClock clock{2026, 3, 5, 17, 30, 45};
    Settings settings;
};

struct RecordCase {
    const char* dateFormat;
    std::string label;
    std::string data;
    std::string date;   // expected field contents, before blank filling
    std::string label30;
    std::string data50;
};

TEST_F(EventLogTest, WritesFixedWidthRecords) {
    const std::string longLabel = "Missed task skipped because the monitor was asleep";
    const std::string longData = "Réunion à l'hôtel de ville — budget 26, salle B, étage 3 (€)";
    const std::vector<RecordCase> cases = {
        // d3 itself is 11 characters wide, so even the default is cut.
        {"d3", "Started", "Chronomate", "MAR 05,202", "Started", "Chronomate"},
        {"d2", "Task skipped", "", "03/05/2026", "Task skipped", ""},
        {"d1", "Run Program", "xterm", "03/05/26", "Run Program", "xterm"},
        {"d12", "History", "", "20260305", "History", ""},
        {"d17", "Script", "", "03/05/26", "Script", ""},
        {"d4", "Script", "", "MAR 05,202", "Script", ""},  // "March 5, 2026" does not fit
        {"d18", "Script", "", "MAR 05,202", "Script", ""},
        {"", "Script", "", "MAR 05,202", "Script", ""},
        {"d19", "Script", "", "MAR 05,202", "Script", ""},
        {"n4b", "Script", "", "MAR 05,202", "Script", ""},
        {"d2", longLabel, longData, "03/05/2026", "Missed task skipped because th",
         "Réunion à l'hôtel de ville — budget 26, salle B, é"},
        {"d2", "Message", "Lunch\nat noon\t!", "03/05/2026", "Message", "Lunch at noon !"},
    };

    EventLog log(dir.path(), clock, settings);
    for (const auto& c : cases) {
        settings.dateFormat = c.dateFormat;
        log.logEvent(c.label, c.data);
    }

    const std::string text = readFile(logFile());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::vector<std::string> lines = readLines(logFile());
    ASSERT_EQ(lines.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const RecordCase& c = cases[i];
        SCOPED_TRACE(std::string("DateFormat \"") + c.dateFormat + "\", label " + c.label);
        EXPECT_EQ(FixedText::characterCount(lines[i]), EventLog::kRecordWidth);
        EXPECT_EQ(lines[i], field(c.date, 10) + field("17:30", 10) + field(c.label30, 30) + field(c.data50, 50));
    }
}

TEST_F(EventLogTest, WritesNothingWhileLoggingIsOff) {
    settings.logEvents = false;
    EventLog log(dir.path(), clock, settings);
    log.logEvent("Started", "Chronomate");
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_FALSE(log.isOpen());

    settings.logEvents = true;
    log.logEvent("Task skipped", "first");
    settings.logEvents = false;
    log.logEvent("Task skipped", "second");
    const auto lines = readLines(logFile());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("first"), std::string::npos);
}

TEST_F(EventLogTest, KeepsTheFileOpenFor101EventsThenReopens) {
    EventLog log(dir.path(), clock, settings);
    log.logEvent("Script", "1");
    // Moving the file away shows which events the still-open file takes.
    fs::rename(logFile(), dir / "old.LOG");
    for (int i = 2; i <= 100; ++i) log.logEvent("Script", std::to_string(i));
    EXPECT_TRUE(log.isOpen());
    EXPECT_EQ(log.openCount(), 100);

    log.logEvent("Script", "101");
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(log.openCount(), 0);
    EXPECT_EQ(readLines(dir / "old.LOG").size(), 101u);
    EXPECT_FALSE(fs::exists(logFile()));

    log.logEvent("Script", "102");
    EXPECT_EQ(log.openCount(), 1);
    const auto lines = readLines(logFile());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(50, 3), "102");
}

TEST_F(EventLogTest, LinesAreOnDiskWhileOpenAndCloseAppends) {
    EventLog log(dir.path(), clock, settings);
    for (int i = 0; i < 3; ++i) log.logEvent("Script", "item");
    ASSERT_TRUE(log.isOpen());
    EXPECT_EQ(readLines(logFile()).size(), 3u);

    log.close();
    EXPECT_FALSE(log.isOpen());
    log.logEvent("Exit Chronomate", "");
    EXPECT_EQ(readLines(logFile()).size(), 4u);
}

TEST_F(EventLogTest, AppendsToAFileNamedInAnotherCase) {
    const fs::path existing = dir / "cm97evnt.log";
    std::ofstream(existing) << "earlier line\n";
    EventLog log(dir.path(), clock, settings);
    EXPECT_EQ(log.path(), existing);
    log.logEvent("Started", "");

    const auto lines = readLines(existing);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_FALSE(fs::exists(logFile()));
}

TEST_F(EventLogTest, AnUnwritableLogIsIgnored) {
    const fs::path plainFile = dir / "plain";
    std::ofstream(plainFile) << "x";
    fs::create_directory(dir / "logIsFolder");
    fs::create_directory(dir / "logIsFolder" / "CM97Evnt.LOG");
    // Each holds for root too, unlike a folder without write permission.
    for (const fs::path& folder : {dir / "missing", plainFile, dir / "logIsFolder"}) {
        SCOPED_TRACE(folder.string());
        EventLog log(folder, clock, settings);
        for (int i = 0; i < 150; ++i) log.logEvent("Script", "lost");
        EXPECT_FALSE(log.isOpen());
        EXPECT_EQ(log.openCount(), 0);
    }
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
}  // namespace cm
