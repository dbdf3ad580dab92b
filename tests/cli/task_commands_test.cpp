#include <ctime>

#include "base/date.h"
#include "base/time_of_day.h"
#include "cli/cli_fixture.h"

namespace cm::test {
namespace {

using TaskCommandsTest = CliFixture;

std::string todayIso() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

bool hasLine(const std::string& out, const std::string& line) {
    const auto all = lines(out);
    return std::find(all.begin(), all.end(), line) != all.end();
}

TEST_F(TaskCommandsTest, AddGivesANewTaskTheFormsDefaults) {
    EXPECT_EQ(ok({"add", "Description=Call the bank"}), "1\n");
    const std::string shown = ok({"show", "1"});
    for (const char* line :
         {"SCH:ID=1", "SCH:TaskType=Both", "SCH:ScheduleType=Day of Week", "SCH:Sunday=1", "SCH:Monday=1",
          "SCH:Saturday=1", "SCH:EveryLast=1", "SCH:Every1st=0", "SCH:Warn=1", "SCH:Every=1", "SCH:EveryType=hour(s)",
          "SCH:Description=Call the bank", "SCH:OriginalID=1"})
        EXPECT_TRUE(hasLine(shown, line)) << line << "\n" << shown;
    EXPECT_TRUE(hasLine(shown, "SCH:Date=" + todayIso())) << shown;
    EXPECT_TRUE(hasLine(shown, "SCH:LastChangeDate=" + todayIso())) << shown;
    EXPECT_EQ(lines(shown).back(), "SCH:Message=");
}

TEST_F(TaskCommandsTest, AddTakesFieldsByNameWithOrWithoutPrefixInAnyCase) {
    const CliRun run = cli({"add", "Date=2026-12-11", "time=08:00", "ScheduleType=Day of Month", "SCH:Monday=1",
                            "sch:every1st=1", "Message=Bring the   forms\\nand a pen", "DESCRIPTION=Meeting"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\n");
    // Friday the 11th is not a first weekday of the month: warned, kept, as the form does.
    EXPECT_EQ(run.err, "Warning: Date given does not match schedule type.\n");
    const ScheduleRecord t = task(1);
    EXPECT_EQ(t.date, Date::fromYmd(2026, 12, 11));
    EXPECT_EQ(t.time, Time::fromHms(8, 0));
    EXPECT_EQ(t.scheduleType, "Day of Month");
    EXPECT_EQ(t.monday, 1);
    EXPECT_EQ(t.every1st, 1);
    EXPECT_EQ(t.message, "Bring the   forms\nand a pen");
    EXPECT_EQ(t.description, "Meeting");
    EXPECT_EQ(t.originalId, 1);
}

TEST_F(TaskCommandsTest, ListFollowsTheMonitorsOrderThenTheTasksItsKeyLeavesOut) {
    ok({"add", "Date=2030-05-01", "Time=10:00", "Description=Later"});
    ok({"add", "Date=2030-04-01", "Time=09:00", "Description=Sooner"});
    ok({"add", "Date=2020-01-01", "Time=09:00", "Disabled=1", "Description=Switched off"});
    ok({"add", "Date=", "Time=", "Description=Undated"});
    ok({"add", "Date=2030-06-01", "TaskType=None", "ScheduleType=Once", "Description=Note"});
    EXPECT_EQ(ok({"list"}),
              "2\t2030-04-01\t09:00:00\tBoth\tDay of Week\tSooner\n"
              "1\t2030-05-01\t10:00:00\tBoth\tDay of Week\tLater\n"
              // A "None" task's 8,639,500 is 23:59:54.99: whole seconds are cut, not rounded.
              "5\t2030-06-01\t23:59:54\tNone\tOnce\tNote\n"
              "3\t2020-01-01\t09:00:00\tBoth\tDay of Week\tSwitched off\n"
              "4\t\t\tBoth\tDay of Week\tUndated\n");
}

TEST_F(TaskCommandsTest, ShowOutputGivenBackToAddMakesTheSameTask) {
    ok({"add", "TaskType=None", "Date=2030-02-03", "Description=Quarterly return", "Category=Tax", "ExceptTime=1",
        "ExceptTimeBegin=12:00", "ExceptTimeEnd=13:30:15.50", "AdvanceWarnDate=2030-02-01", "AdvanceWarnTime=07:15",
        "AlarmFile=/usr/share/sounds/bell.wav", "Alarm=1", "Message=Line one\\nC:\\\\path"});
    const std::string first = ok({"show", "1"});
    EXPECT_TRUE(hasLine(first, "SCH:Time=23:59:54.99")) << first;
    EXPECT_TRUE(hasLine(first, "SCH:ExceptTimeEnd=13:30:15.50")) << first;
    EXPECT_EQ(lines(first).back(), "SCH:Message=Line one\\nC:\\\\path");
    EXPECT_EQ(task(1).message, "Line one\nC:\\path");

    std::vector<std::string> args{"add"};
    for (const std::string& line : lines(first)) args.push_back(line);
    EXPECT_EQ(ok(args), "2\n");
    // What identifies a task and its save is its own; everything else comes back unchanged.
    const auto same = [](const std::string& shown) {
        std::vector<std::string> kept;
        for (const std::string& line : lines(shown))
            if (line.rfind("SCH:ID=", 0) != 0 && line.rfind("SCH:OriginalID=", 0) != 0 &&
                line.rfind("SCH:LastChange", 0) != 0)
                kept.push_back(line);
        return kept;
    };
    EXPECT_EQ(same(ok({"show", "2"})), same(first));
}

TEST_F(TaskCommandsTest, DeleteTakesTheTasksScriptWithIt) {
    ok({"add", "Description=First"});
    ok({"add", "Description=Second"});
    {
        StoreFiles::setDataFolder(data());
        Table<ScriptingRecord> scripting(scriptingLayout(), "CM97\\!Script");
        ASSERT_EQ(scripting.open(), 0) << scripting.lastError().text;
        for (const auto& [id, sequence] : {std::pair{1, 1}, {1, 2}, {2, 1}}) {
            scripting.clear();
            scripting.record().id = id;
            scripting.record().sequence = sequence;
            scripting.record().action = "Send Keystrokes";
            ASSERT_EQ(scripting.add(), 0) << scripting.lastError().text;
        }
        scripting.close();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }
    EXPECT_EQ(ok({"delete", "1"}), "");
    const StoreRows after = storeRows();
    ASSERT_EQ(after.tasks.size(), 1u);
    EXPECT_EQ(after.tasks[0].id, 2);
    ASSERT_EQ(after.steps.size(), 1u);
    EXPECT_EQ(after.steps[0].id, 2);
}

TEST_F(TaskCommandsTest, OccurrencesReplayTheMonitorAndStoreNothing) {
    // A Monday holiday; the weekly Monday tasks below move off it to Tuesday.
    ok({"holiday", "add", "2030-01-14", "Feast"});
    const std::vector<std::string> mondays = {"ScheduleType=Day of Week", "Sunday=0", "Tuesday=0", "Wednesday=0",
                                              "Thursday=0", "Friday=0", "Saturday=0", "Time=09:00",
                                              "ExceptHolidays=1", "ShiftType=Next Day"};
    const auto with = [](std::vector<std::string> fields, std::vector<std::string> more) {
        fields.insert(fields.end(), more.begin(), more.end());
        return fields;
    };
    struct Case {
        const char* name;
        std::vector<std::string> fields;
        std::vector<std::string> count;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"daily from a past moment",
         {"Date=2020-02-28", "Time=08:00"},
         {"-n", "3"},
         "2020-02-28 08:00:00\n2020-02-29 08:00:00\n2020-03-01 08:00:00\n"},
        {"every 5 minutes across midnight",
         {"ScheduleType=Custom", "Every=5", "EveryType=minute(s)", "Date=2021-03-01", "Time=23:50"},
         {"-n", "4"},
         "2021-03-01 23:50:00\n2021-03-01 23:55:00\n2021-03-02 00:00:00\n2021-03-02 00:05:00\n"},
        {"skip next time", {"Date=2030-01-01", "Time=07:30", "SkipNextTime=1"}, {"-n", "2"},
         "2030-01-01 07:30:00 skipped\n2030-01-02 07:30:00\n"},
        {"a holiday met on the way",
         with(mondays, {"Date=2030-01-07"}),
         {"-n", "4"},
         "2030-01-07 09:00:00\n2030-01-14 09:00:00 skipped\n2030-01-15 09:00:00 copy\n2030-01-21 09:00:00\n"},
        {"saved on a holiday: its stored copy falls due too",
         with(mondays, {"Date=2030-01-14"}),
         {"-n", "3"},
         "2030-01-14 09:00:00 skipped\n2030-01-15 09:00:00 copy\n2030-01-21 09:00:00\n"},
        {"once", {"ScheduleType=Once", "Date=2030-03-03", "Time=10:00"}, {"-n", "5"}, "2030-03-03 10:00:00\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> add{"add"};
        add.insert(add.end(), c.fields.begin(), c.fields.end());
        const std::string id = lines(ok(add)).at(0);
        const StoreRows before = storeRows();
        std::vector<std::string> args{"occurrences", id};
        args.insert(args.end(), c.count.begin(), c.count.end());
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.expected) << c.name;
        EXPECT_EQ(storeRows(), before) << c.name;
    }
    // Ten unless told otherwise.
    EXPECT_EQ(lines(ok({"occurrences", "1"})).size(), 10u);
}

TEST_F(TaskCommandsTest, BadInputIsOneLineWithStatusTwoAndWritesNothing) {
    ok({"add", "Description=Kept"});
    ok({"holiday", "add", "2026-12-25", "Christmas"});
    const StoreRows before = storeRows();
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"add", "Colour=red"}, "unknown field \"Colour\""},
        {{"add", "Description"}, "expected FIELD=VALUE"},
        {{"add"}, "usage: add"},
        {{"add", "Date=2026-02-30"}, "bad value \"2026-02-30\" for SCH:Date"},
        {{"add", "Date=11/12/2026"}, "for SCH:Date"},
        {{"add", "Time=24:00"}, "for SCH:Time"},
        {{"add", "Time=8"}, "for SCH:Time"},
        {{"add", "Monday=2"}, "expected 0 or 1"},
        {{"add", "Every=five"}, "for SCH:Every"},
        {{"add", "Description=" + std::string(41, 'x')}, "SCH:Description is longer than 40 characters"},
        {{"add", "Message=" + std::string(1001, 'x')}, "SCH:Message is longer than 1000 characters"},
        {{"show", "99"}, "no task has the ID 99"},
        {{"delete", "99"}, "no task has the ID 99"},
        {{"occurrences", "99"}, "no task has the ID 99"},
        {{"show", "first"}, "bad task ID"},
        {{"occurrences", "1", "-n", "0"}, "bad count"},
        {{"list", "all"}, "usage: list"},
        {{"holiday", "add", "2026-13-01", "Nothing"}, "bad holiday date"},
        {{"holiday", "add", "2026-12-25", "Again"}, "exists already"},
        {{"holiday", "add", "2026-01-02", std::string(21, 'h')}, "longer than 20 characters"},
        {{"holiday", "remove", "2026-12-25"}, "usage: holiday"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(c.args);
        const std::string name = c.args[0] + (c.args.size() > 1 ? " " + c.args[1].substr(0, 20) : "");
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_EQ(lines(run.err).size(), 1u) << name << ": " << run.err;
        EXPECT_EQ(run.err.rfind("chronomate-cli: ", 0), 0u) << name << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << name << ": " << run.err;
        EXPECT_EQ(run.out, "") << name;
    }
    EXPECT_EQ(storeRows(), before);
}

TEST_F(TaskCommandsTest, AStoreThatCannotBeReadIsReportedAndLeftAlone) {
    std::filesystem::create_directories(data());
    std::ofstream(data() / "CM97.TPS") << "not a store\n";
    const std::vector<std::vector<std::string>> commands = {
        {"list"}, {"add", "Description=x"}, {"show", "1"}, {"delete", "1"}, {"occurrences", "1"},
        {"holiday", "list"}, {"holiday", "add", "2026-01-01", "New Year"}};
    for (const auto& args : commands) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(lines(run.err).size(), 1u) << args[0] << ": " << run.err;
        EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(readFile(data() / "CM97.TPS"), "not a store\n");
}

TEST_F(TaskCommandsTest, HolidaysAreListedByDate) {
    ok({"holiday", "add", "2026-12-25", "Christmas Day", "--annual"});
    ok({"holiday", "add", "2026-01-01", "New Year"});
    EXPECT_EQ(ok({"holiday", "list"}), "2026-01-01\tNew Year\t0\n2026-12-25\tChristmas Day\t1\n");
}

}  // namespace
}  // namespace cm::test
