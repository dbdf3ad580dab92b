#include "script/script_fixture.h"

namespace cm::test {
namespace {

using ScriptLoaderTest = ScriptFixture;

// Due moments as hundredths after the moment the script was loaded.
std::vector<std::string> dues(const ScriptQueue& queue, Moment loadedAt) {
    std::vector<std::string> out;
    for (const ScriptEntry& e : queue.entries()) {
        const std::int64_t h = static_cast<std::int64_t>(e.due.date - loadedAt.date) * Time::kOneDay + e.due.time - loadedAt.time;
        out.push_back(std::string(e.action()) + "@" + std::to_string(h));
    }
    return out;
}

TEST_F(ScriptLoaderTest, AScriptlessTaskStillQueuesItsEndMarkerTwoDelaysLater) {
    ASSERT_TRUE(actions.runProgram(7, "N/A", ""));
    ASSERT_EQ(queue.size(), 1u);
    runUntilEmpty();
    EXPECT_EQ(events, (std::vector<std::string>{"**End**@150"}));
    EXPECT_EQ(runtime.statusZones[2], "Script completed");
}

TEST_F(ScriptLoaderTest, ItemsAreSpacedByTheDelayAndASecondScriptQueuesBehindTheFirst) {
    settings.scriptingDelay = 80;
    addScript(7, {scriptItem("Set Focus"), waitItem(10, "And", ""), waitItem(5, "Or", ""), ifTime("Greater Than", 60),
                  scriptItem("...End If"), scriptItem("Close Program")});
    addScript(8, {scriptItem("Set Focus")});
    addScript(9, {scriptItem("Exit Script")});  // another task's rows are not read
    const Moment t0 = clock.current();
    loader.loadTaskScript(7);
    loader.loadTaskScript(8);
    EXPECT_EQ(dues(queue, t0), (std::vector<std::string>{"Set Focus@240", "Wait@1240", "Wait@1240", "If Time Elapsed...@1240",
                                                          "...End If@1240", "Close Program@1320", "**End**@1320",
                                                          "Set Focus@1480", "**End**@1480"}));
    // The condition's deadline counts from the script's start, not from its own due moment.
    EXPECT_EQ(queue.entries()[3].deadline, t0.plusHundredths(160 + 6000));
    EXPECT_FALSE(queue.entries()[2].deadline) << "an \"Or\" wait sets its deadline when it comes up";
}

TEST_F(ScriptLoaderTest, MomentsCarryPastMidnightAndALaterScriptFollowsOnTheNextDay) {
    clock.set(2026, 3, 2, 23, 59, 59);
    addScript(7, {scriptItem("Set Focus")});
    const Moment t0 = clock.current();
    loader.loadTaskScript(7);
    loader.loadTaskScript(8);
    EXPECT_EQ(dues(queue, t0), (std::vector<std::string>{"Set Focus@150", "**End**@150", "**End**@200"}));
    for (const ScriptEntry& e : queue.entries()) EXPECT_EQ(e.due.date, t0.date + 1);
    // Due tomorrow: nothing happens before midnight.
    run(1);
    EXPECT_EQ(queue.size(), 3u);
    run(2);
    EXPECT_EQ(scriptLog(), (std::vector<std::string>{"Set Focus", "**End**", "**End**"}));
}

TEST_F(ScriptLoaderTest, AReadErrorIsShownAndTheEndMarkerStillQueued) {
    scripting.close();
    loader.loadTaskScript(7);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.text.rfind(ScriptLoader::kReadErrorPrefix, 0), 0u) << runtime.lastBox().request.text;
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.front().action(), "**End**");
}

TEST(ScriptQueueTest, StatusZoneTextNamesTheItemAndItsOperand) {
    const auto entry = [](ScriptingRecord r) {
        ScriptEntry e;
        e.item = std::move(r);
        return e;
    };
    ScriptingRecord keys = scriptItem("Send Keystrokes");
    keys.keyStrokes = "Dear Sir[ENTER]";
    ScriptingRecord dde = scriptItem("DDE (Dynamic Data Exchange)");
    dde.ddeType = "Execute";
    dde.ddeApplicationName = "org.example.Ledger";
    dde.ddeApplicationTopic = "/ledger";
    ScriptingRecord start = scriptItem("Start Program");
    start.command = "editor --new";
    ScriptingRecord waiting = start;
    waiting.action = "Wait for Program End";
    ScriptingRecord focus = scriptItem("Set Focus");
    focus.focusOnWindow = "Editor*";
    const std::vector<std::pair<ScriptingRecord, std::string>> cases = {
        {keys, "Send Keystrokes:Dear Sir[ENTER]"},
        {dde, "DDE (Dynamic Data Exchange):Execute org.example.Ledger /ledger"},
        {start, "Start Program:editor --new"},
        {waiting, "Wait for Program End:editor --new"},
        {focus, "Set Focus:Editor*"},
        {waitItem(10, "And", "Editor*"), "Wait:10 seconds Editor*"},
        {waitItem(0, "Or", "Editor*"), "Wait:Editor*"},
        {ifWindow("Window Exists", "Editor*"), "If Window...:Editor*"},
        {ifTime("Less Than", 86400), "If Time Elapsed...:86400 seconds"},
        {scriptItem("Exit Script"), "Exit Script"},
        {scriptItem("**End**"), "**End**"},
    };
    for (const auto& [row, text] : cases) EXPECT_EQ(ScriptQueue::statusText(entry(row)), text);
}

}  // namespace
}  // namespace cm::test
