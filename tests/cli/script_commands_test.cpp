#include "cli/cli_fixture.h"

namespace cm::test {
namespace {

using ScriptCommandsTest = CliFixture;

TEST_F(ScriptCommandsTest, AddNumbersEachTasksStepsAndListShowsTheirDetails) {
    ok({"add", "Description=First"});
    ok({"add", "Description=Second"});
    struct Step {
        std::vector<std::string> args;
        const char* listed;
    };
    const std::vector<Step> steps = {
        {{"send keystrokes", "KeyStrokes=Dear Sir[ENTER]"}, "Send Keystrokes\tDear Sir[ENTER]"},
        {{"WAIT", "scr:secondstowait=5", "WaitForWindow=Untitled - *", "DDEApplicationName=Or"},
         "Wait\t5 seconds Untitled - *"},
        {{"wait", "WaitForWindow=*Notepad"}, "Wait\t*Notepad"},
        {{"set focus", "FocusOnWindow=Connect To"}, "Set Focus\tConnect To"},
        {{"if window...", "WindowTitleToCheckFor=Editor"}, "If Window...\tEditor"},
        {{"If Time Elapsed...", "TimeElapsed=-30"}, "If Time Elapsed...\t-30 seconds"},
        {{"...end if"}, "...End If\t"},
        {{"display message", "DDEApplicationName=Time to go", "DDEApplicationTopic=Home"}, "Display Message\t"},
        {{"start program", "Command=xterm -e top   ", "Path=/tmp", "DDEApplicationName=128"},
         "Start Program\txterm -e top /tmp"},
        {{"close program"}, "Close Program\tWindow with focus"},
        {{"close program", "Command=xterm"}, "Close Program\txterm"},
        {{"dde (dynamic data exchange)", "DDEType=Execute", "DDEApplicationName=org.example.App",
          "DDEApplicationTopic=/main", "DDECommand=org.example.App.Open a"},
         "DDE (Dynamic Data Exchange)\tExecute org.example.App /main"},
        {{"exit script"}, "Exit Script\t"},
    };
    std::string expected;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::vector<std::string> args = {"script", "add", "1"};
        args.insert(args.end(), steps[i].args.begin(), steps[i].args.end());
        EXPECT_EQ(ok(args), std::to_string(i + 1) + "\n") << steps[i].listed;
        expected += std::to_string(i + 1) + '\t' + steps[i].listed + '\n';
        // The other task's numbering is its own.
        if (i == 1) {
            EXPECT_EQ(ok({"script", "add", "2", "exit script"}), "1\n");
        }
    }
    EXPECT_EQ(ok({"script", "list", "1"}), expected);
    EXPECT_EQ(ok({"script", "list", "2"}), "1\tExit Script\t\n");

    const std::vector<ScriptingRecord> stored = storeRows().steps;
    ASSERT_EQ(stored.size(), steps.size() + 1);
    const ScriptingRecord& wait = stored[1];
    EXPECT_EQ(wait.action, "Wait");
    EXPECT_EQ(wait.secondsToWait, 5);
    EXPECT_EQ(wait.ddeApplicationName, "Or");
    // What the step form gives a new step, and its stamps.
    EXPECT_EQ(wait.windowExistance, "Window Exists");
    EXPECT_EQ(wait.ifTimeElapsed, "Greater Than");
    EXPECT_EQ(wait.timeElapsed, 86400);
    EXPECT_EQ(wait.originalId, 1);
    EXPECT_NE(wait.lastChangeDate, 0);
    EXPECT_EQ(stored[5].timeElapsed, -30);
    EXPECT_EQ(stored[8].command, "xterm -e top");
}

TEST_F(ScriptCommandsTest, ListCutsDetailsToEightyCharacters) {
    ok({"add", "Description=Long"});
    const std::string keys(100, 'k');
    ok({"script", "add", "1", "Send Keystrokes", "KeyStrokes=" + keys});
    EXPECT_EQ(ok({"script", "list", "1"}), "1\tSend Keystrokes\t" + keys.substr(0, 80) + "\n");
    EXPECT_EQ(storeRows().steps.at(0).keyStrokes, keys);
}

TEST_F(ScriptCommandsTest, BadInputIsOneLineOnStderrAndWritesNothing) {
    ok({"add", "Description=Task"});
    ok({"script", "add", "1", "Wait", "SecondsToWait=2"});
    const StoreRows before = storeRows();
    const std::vector<std::vector<std::string>> cases = {
        {"script", "add", "7", "Wait"},
        {"script", "add", "0", "Wait"},
        {"script", "add", "x", "Wait"},
        {"script", "add", "1", "Jump"},
        {"script", "add", "1"},
        {"script", "add", "1", "Wait", "Colour=red"},
        {"script", "add", "1", "Wait", "SecondsToWait=soon"},
        {"script", "add", "1", "Wait", "SecondsToWait=-1"},
        {"script", "add", "1", "Wait", "TimeElapsed=99999999999"},
        {"script", "add", "1", "Wait", "WindowExistance=" + std::string(21, 'w')},
        {"script", "add", "1", "Wait", "Sequence=9"},
        {"script", "add", "1", "Wait", "SCR:ID=2"},
        {"script", "add", "1", "Wait", "WaitForWindow"},
        {"script", "list", "7"},
        {"script", "list"},
        {"script", "remove", "1"},
    };
    for (const auto& args : cases) {
        const CliRun run = cli(args);
        std::string shown;
        for (const auto& a : args) shown += a + ' ';
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(lines(run.err).size(), 1u) << shown << run.err;
        EXPECT_EQ(run.err.rfind("chronomate-cli: ", 0), 0u) << shown << run.err;
        EXPECT_EQ(run.out, "") << shown;
    }
    EXPECT_EQ(storeRows(), before);
}

}  // namespace
}  // namespace cm::test
