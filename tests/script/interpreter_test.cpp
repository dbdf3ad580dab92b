#include "script/script_fixture.h"

namespace cm::test {
namespace {

using InterpreterTest = ScriptFixture;
using Log = std::vector<std::string>;

struct WaitCase {
    const char* name;
    ScriptingRecord wait;
    bool windowAtStart;
    int toggleAt;  // hundredths; -1: the desktop never changes
    int doneAt;
};

TEST_F(InterpreterTest, WaitsEndAsTheirRuleSays) {
    const std::vector<WaitCase> cases = {
        // Due after its seconds; then it waits for the window as long as it takes.
        {"and, window comes late", waitItem(10, "And", "Editor*"), false, 1500, 1500},
        {"and, window already there", waitItem(10, "And", "Editor*"), true, -1, 1150},
        // An "Or" wait gives up ten seconds after it came up to the head (at the first tick).
        {"or, window never comes", waitItem(10, "Or", "Editor*"), false, -1, 1100},
        {"or, window first", waitItem(10, "Or", "Editor*"), false, 400, 400},
        {"tilde, window goes", waitItem(0, "And", "~Editor*"), true, 500, 500},
        {"tilde, no window", waitItem(0, "And", "~Editor*"), false, -1, 150},
        {"seconds only", waitItem(3, "And", ""), false, -1, 450},
    };
    std::int32_t task = 10;
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        windows.windows.clear();
        events.clear();
        if (c.windowAtStart) windows.addWindow(kEditor);
        if (c.toggleAt >= 0)
            at(elapsed() + c.toggleAt, [this, c] {
                if (c.windowAtStart)
                    windows.removeWindow(windows.windows.front().id);
                else
                    windows.addWindow(kEditor);
            });
        const int start = elapsed();
        addScript(++task, {c.wait});
        loader.loadTaskScript(task);
        run(20);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "Wait@" + std::to_string(start + c.doneAt));
    }
}

TEST_F(InterpreterTest, AWindowWaitPostponesTheLaterItemsByTheTimeItWaited) {
    addScript(7, {waitItem(10, "And", "Editor*"), waitItem(5, "And", "")});
    loader.loadTaskScript(7);
    WindowId editor = 0;
    at(1500, [&] { editor = windows.addWindow(kEditor); });
    run(12);
    EXPECT_EQ(runtime.statusZones[2], "Wait:10 seconds Editor*");
    runUntilEmpty();
    // The wait came due at 11.5 s and found its window at 15 s: 3.5 s later than planned.
    EXPECT_EQ(events, (Log{"Wait@1500", "Wait@2000", "**End**@2050"}));
    EXPECT_EQ(windows.raised, (std::vector<WindowId>{editor}));
}

struct IfCase {
    const char* name;
    std::vector<ScriptingRecord> script;
    bool editorOpen;
    Log log;
};

TEST_F(InterpreterTest, AFailedConditionSkipsToItsEndIf) {
    const ScriptingRecord inside = scriptItem("Close Program");
    const ScriptingRecord after = scriptItem("Set Focus");
    const ScriptingRecord endIf = scriptItem("...End If");
    const Log skipped = {"If Window...", "...End If", "Set Focus", "**End**"};
    const Log ran = {"If Window...", "Close Program", "...End If", "Set Focus", "**End**"};
    const std::vector<IfCase> cases = {
        {"exists, absent", {ifWindow("Window Exists", "Editor*"), inside, endIf, after}, false, skipped},
        {"exists, present", {ifWindow("Window Exists", "Editor*"), inside, endIf, after}, true, ran},
        {"doesn't exist, absent", {ifWindow("Window Doesn't Exist", "Editor*"), inside, endIf, after}, false, ran},
        {"doesn't exist, present", {ifWindow("Window Doesn't Exist", "Editor*"), inside, endIf, after}, true, skipped},
        // The inner block goes with its own "...End If"; removal stops at the outer one.
        {"nested",
         {ifWindow("Window Exists", "Editor*"), ifTime("Less Than", 86400), inside, endIf, inside, endIf, after},
         false,
         skipped},
        {"time, greater than a day", {ifTime("Greater Than", 86400), inside, endIf, after}, false,
         {"If Time Elapsed...", "...End If", "Set Focus", "**End**"}},
        {"time, less than a day", {ifTime("Less Than", 86400), inside, endIf, after}, false,
         {"If Time Elapsed...", "Close Program", "...End If", "Set Focus", "**End**"}},
        {"time, greater than nothing", {ifTime("Greater Than", 0), inside, endIf, after}, false,
         {"If Time Elapsed...", "Close Program", "...End If", "Set Focus", "**End**"}},
    };
    std::int32_t task = 10;
    for (const IfCase& c : cases) {
        SCOPED_TRACE(c.name);
        windows.windows.clear();
        if (c.editorOpen) windows.addWindow(kEditor);
        const std::size_t before = scriptLog().size();
        addScript(++task, c.script);
        loader.loadTaskScript(task);
        runUntilEmpty();
        const Log all = scriptLog();
        EXPECT_EQ(Log(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), c.log);
    }
}

TEST_F(InterpreterTest, AConditionWithoutEndIfTakesLaterTasksScriptsWithIt) {
    addScript(7, {ifWindow("Window Exists", "Editor*"), scriptItem("Close Program")});
    addScript(8, {scriptItem("Set Focus")});
    loader.loadTaskScript(7);
    loader.loadTaskScript(8);
    runUntilEmpty();
    EXPECT_EQ(scriptLog(), (Log{"If Window..."}));
    EXPECT_EQ(runtime.statusZones[2], "Script completed");
}

TEST_F(InterpreterTest, ExitScriptEndsItsOwnScriptAndKeepsTheNextTasks) {
    addScript(7, {scriptItem("Set Focus"), scriptItem("Exit Script"), scriptItem("Close Program")});
    addScript(8, {scriptItem("Close Program")});
    loader.loadTaskScript(7);
    loader.loadTaskScript(8);
    runUntilEmpty();
    EXPECT_EQ(scriptLog(), (Log{"Set Focus", "**End**", "Close Program", "**End**"}));
}

struct StartCase {
    const char* name;
    const char* digits;
    std::int32_t timeOut;
    int endsAt;  // hundredths; -1: never
    Log events;
};

TEST_F(InterpreterTest, StartProgramWaitsForItsEndOrItsTimeOut) {
    const std::vector<StartCase> cases = {
        // Carried out at 2 s; the time-out runs from there.
        {"times out", "113", 30, -1, {"Wait for Program End@3250", "**End**@3300"}},
        {"ends first", "113", 30, 1000, {"Wait for Program End@1000", "**End**@1050"}},
        {"no time-out", "123", 0, 5000, {"Wait for Program End@5000", "**End**@5050"}},
        {"no wait", "013", 30, -1, {"Start Program@200", "**End**@250"}},
    };
    std::int32_t task = 10;
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        launcher.calls.clear();
        ScriptingRecord start = scriptItem("Start Program");
        start.command = "/usr/bin/editor";
        start.ddeApplicationName = c.digits;
        start.timeElapsed = c.timeOut;
        addScript(++task, {start});
        const int t0 = elapsed();
        loader.loadTaskScript(task);
        if (c.endsAt >= 0) at(t0 + c.endsAt, [this] { launcher.ended.insert(actions.startedProcess()); });
        run(3);
        if (c.digits[0] == '1') {
            EXPECT_EQ(runtime.statusZones[2], "Wait for Program End:/usr/bin/editor");
        }
        runUntilEmpty();
        Log relative;
        for (const std::string& e : events) {
            const auto atSign = e.find('@');
            relative.push_back(e.substr(0, atSign + 1) + std::to_string(std::stoi(e.substr(atSign + 1)) - t0));
        }
        EXPECT_EQ(relative, c.events);
        ASSERT_EQ(launcher.calls.size(), 1u);
        EXPECT_EQ(launcher.calls[0].program, "/usr/bin/editor");
    }
    // Every window mode the step form stores reaches the launcher: "3" is maximized.
    EXPECT_EQ(launcher.calls[0].options.windowMode, WindowMode::Maximized);
    EXPECT_EQ(launcher.calls[0].options.priority, ProcessPriority::Low);
}

TEST_F(InterpreterTest, CloseProgramKillsByNameOrClosesTheActiveWindowUnlessItIsOurs) {
    ScriptingRecord byName = scriptItem("Close Program");
    byName.command = "gedit";
    addScript(7, {byName, scriptItem("Close Program"), scriptItem("Close Program")});
    const WindowId editor = windows.addWindow(kEditor);
    const WindowId frame = windows.addWindow("Chronomate", true);
    windows.active = editor;
    at(300, [&] { windows.active = frame; });
    loader.loadTaskScript(7);
    runUntilEmpty();
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_NE(launcher.calls[0].program.find("KillProc"), std::string::npos) << launcher.calls[0].program;
    EXPECT_EQ(launcher.calls[0].arguments, (std::vector<std::string>{"gedit"}));
    EXPECT_EQ(windows.closeRequests, (std::vector<WindowId>{editor}));
}

TEST_F(InterpreterTest, DdeExecutesOnAServedChannelAndSkipsAMissingOneSilently) {
    ScriptingRecord served = scriptItem("DDE (Dynamic Data Exchange)");
    served.ddeApplicationName = "org.example.Ledger";
    served.ddeApplicationTopic = "/ledger";
    served.ddeCommand = "org.example.Ledger.Post nightly";
    ScriptingRecord missing = served;
    missing.ddeApplicationName = "org.example.Missing";
    dde.servedApplications = {"org.example.Ledger"};
    addScript(7, {missing, served});
    loader.loadTaskScript(7);
    runUntilEmpty();
    EXPECT_EQ(dde.executed, (std::vector<std::string>{"1:org.example.Ledger.Post nightly"}));
    EXPECT_EQ(dde.closed, (std::vector<int>{1}));
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_EQ(scriptLog(), (Log{"DDE (Dynamic Data Exchange)", "DDE (Dynamic Data Exchange)", "**End**"}));
}

TEST_F(InterpreterTest, DebugModeExplainsEachDecision) {
    ScriptingRecord focus = scriptItem("Set Focus");
    focus.focusOnWindow = "Editor*";
    const std::vector<ScriptingRecord> script = {focus, ifWindow("Window Exists", "Editor*"), scriptItem("...End If"),
                                                 waitItem(0, "And", "Editor*"), ifTime("Less Than", 86400),
                                                 scriptItem("...End If")};
    for (const int debug : {0, 1}) {
        SCOPED_TRACE(debug);
        settings.debug = debug;
        runtime.clearBoxes();
        windows.windows.clear();
        addScript(7 + debug, script);
        loader.loadTaskScript(7 + debug);
        at(elapsed() + 400, [this] { windows.addWindow(kEditor); });
        runUntilEmpty();
        if (debug == 0)
            EXPECT_TRUE(boxes().empty());
        else
            EXPECT_EQ(boxes(), (Log{"Set Focus|Editor*", "Failed Set Focus|Editor*", "Test failed|Removing task items.",
                                    "Debug|Switched to window:\rEditor*", "Test passed|Next item will be processed."}));
    }
}

TEST_F(InterpreterTest, DisplayMessageShowsItsBoxAndAnUnknownActionIsReportedThenDropped) {
    ScriptingRecord message = scriptItem("Display Message");
    message.ddeApplicationName = "Back-up finished.";
    message.ddeApplicationTopic = "Ledger";
    addScript(7, {message, scriptItem("Launch Rockets")});
    loader.loadTaskScript(7);
    runUntilEmpty();
    EXPECT_EQ(boxes(), (Log{"Ledger|Back-up finished.", "Script Error|Invalid script option:  Launch Rockets"}));
    EXPECT_EQ(runtime.boxes()[0].request.owner, Owner::Frame);
    EXPECT_EQ(scriptLog(), (Log{"Display Message", "Launch Rockets", "**End**"}));
}

TEST_F(InterpreterTest, KeystrokesGoOutBeforeTheItemFinishesAndNothingElseRunsMeanwhile) {
    ScriptingRecord keys = scriptItem("Send Keystrokes");
    keys.keyStrokes = "Dear Sir[ENTER][TAB]x";
    addScript(7, {keys, scriptItem("Close Program")});
    loader.loadTaskScript(7);
    run(2);
    ASSERT_TRUE(interpreter.sending());
    EXPECT_EQ(runtime.statusZones[2], "Send Keystrokes:Dear Sir[ENTER][TAB]x");
    EXPECT_TRUE(scriptLog().empty());
    runUntilEmpty();
    EXPECT_EQ(keyboard.events, (Log{"text:Dear Si", "text:r", "key:0xD", "key:0x9", "text:x"}));
    EXPECT_EQ(scriptLog(), (Log{"Send Keystrokes", "Close Program", "**End**"}));
}

TEST_F(InterpreterTest, EmptyingTheQueueStopsASendAfterItsGroupAndDropsEveryScript) {
    ScriptingRecord keys = scriptItem("Send Keystrokes");
    keys.keyStrokes = "Dear Sir[ENTER][TAB]x";
    addScript(7, {keys});
    addScript(8, {scriptItem("Set Focus")});
    loader.loadTaskScript(7);
    loader.loadTaskScript(8);
    while (keyboard.events.empty()) tick();
    ASSERT_TRUE(interpreter.sending());
    interpreter.emptyQueue();
    EXPECT_TRUE(interpreter.queueEmpty());
    run(5);
    EXPECT_FALSE(interpreter.sending());
    EXPECT_EQ(keyboard.events.size(), 1u);
    EXPECT_TRUE(scriptLog().empty());
    // The queue works as before afterwards.
    loader.loadTaskScript(8);
    runUntilEmpty();
    EXPECT_EQ(scriptLog(), (Log{"Set Focus", "**End**"}));
}

}  // namespace
}  // namespace cm::test
