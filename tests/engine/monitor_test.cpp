#include "engine/monitor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/picture.h"
#include "engine/advance_warning.h"
#include "engine/monitor_fixture.h"
#include "shell/version.h"

namespace cm {
namespace {

using namespace std::chrono_literals;
using test::MonitorFixture;
using Strings = std::vector<std::string>;

const std::int32_t kToday = Date::fromYmd(2026, 3, 2);

class MonitorTest : public MonitorFixture {};

TEST_F(MonitorTest, MissedDailyTaskWithSkipIfMissedIsSkippedSilently) {
    clock.set(2026, 3, 2, 8, 0);
    ScheduleRecord t = daily(2026, 2, 27);
    t.skipIfMissed = 1;
    t.warn = 1;  // the skip rule comes first, so nothing is asked
    const std::int32_t id = addTask(t);

    monitor.tick();

    EXPECT_TRUE(programsRun().empty());
    EXPECT_TRUE(runtime.boxes().empty());
    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, Date::fromYmd(2026, 3, 3));  // day steps move past the whole of today
    EXPECT_EQ(moved.time, Time::fromHms(9, 0));
    EXPECT_EQ(moved.lastRunDate, kToday);
    EXPECT_EQ(moved.lastRunTime, Time::fromHms(8, 0));
    const auto done = history();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].description, "(Skipped) Back up the ledger");
    EXPECT_EQ(done[0].date, Date::fromYmd(2026, 2, 27));
    EXPECT_TRUE(done[0].completed);
    EXPECT_NE(done[0].id, id);
    for (const std::string& e : events()) EXPECT_EQ(e.find("skipped"), std::string::npos) << e;
    EXPECT_EQ(scheduleChangedPosts(), 1);
}

TEST_F(MonitorTest, LatenessUpToTenMinutesIsOnTime) {
    struct Case {
        std::int32_t late;
        bool skipIfMissed;
        bool runs;
    };
    const Case cases[] = {
        {Monitor::kLateTolerance, true, true},
        {Monitor::kLateTolerance + 1, true, false},
        {Monitor::kLateTolerance + 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.late << (c.skipIfMissed ? " skip-if-missed" : ""));
        launcher.calls.clear();
        clock.set(Moment{kToday, Time::fromHms(9, 0)}.plusHundredths(c.late));
        ScheduleRecord t = daily(2026, 3, 2);
        t.skipIfMissed = c.skipIfMissed;
        const std::int32_t id = addTask(t);
        monitor.tick();
        EXPECT_EQ(programsRun().size(), c.runs ? 1u : 0u);
        ScheduleRecord moved;
        ASSERT_TRUE(read(id, moved));
        EXPECT_EQ(moved.date, Date::fromYmd(2026, 3, 3));
        ASSERT_FALSE(history().empty());
        EXPECT_EQ(history().back().description.rfind("(Skipped) ", 0) == 0, !c.runs);
        deleter.deleteTask(moved);
    }
}

TEST_F(MonitorTest, TasksDueAtTheSameMinuteFireOnConsecutiveTicks) {
    ScheduleRecord first = daily(2026, 3, 2);
    first.command = "first";
    ScheduleRecord second = first;
    second.command = "second";
    addTask(first);
    addTask(second);

    monitor.start();
    timers.advance(1250ms);
    EXPECT_EQ(programsRun(), Strings{"first"});
    timers.advance(1250ms);
    EXPECT_EQ(programsRun(), (Strings{"first", "second"}));
    timers.advance(1250ms);
    EXPECT_EQ(programsRun().size(), 2u);
}

TEST_F(MonitorTest, OnceTaskIsDeletedAndLeavesItsHistoryCopyUnlessNoHistory) {
    ScheduleRecord once = task("Once", 2026, 3, 2, 9, 0);
    once.command = "once";
    once.advanceWarnDate = kToday;
    once.advanceWarnTime = Time::fromHms(8, 0);
    once.advanceWarned = 1;
    ScheduleRecord quiet = once;
    quiet.description = "Leaves nothing";
    quiet.noHistory = 1;
    const std::int32_t id = addTask(once);
    addTask(quiet);
    addScriptItem(id, 1, "abc");

    monitor.tick();
    monitor.tick();

    EXPECT_EQ(programsRun(), (Strings{"once", "once"}));
    const auto rows = allTasks();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].id, id);
    EXPECT_EQ(rows[0].description, "Back up the ledger");
    EXPECT_TRUE(rows[0].completed);
    EXPECT_TRUE(rows[0].disabled);
    EXPECT_TRUE(rows[0].advanceWarned);
    EXPECT_EQ(rows[0].date, kToday);
    EXPECT_TRUE(scriptOf(id).empty());
}

TEST_F(MonitorTest, SkipNextTimePassesWithoutAnyActionAndIsCleared) {
    ScheduleRecord t = daily(2026, 3, 2);
    t.taskType = "Both";
    t.alarm = 1;
    t.alarmFile = "ring.wav";
    t.userSkip = 1;
    t.skipNextTime = 1;
    const std::int32_t id = addTask(t);

    monitor.tick();

    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(programsRun().empty());
    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, Date::fromYmd(2026, 3, 3));
    EXPECT_FALSE(moved.skipNextTime);
    EXPECT_EQ(moved.lastRunDate, 0);
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history()[0].description, "Back up the ledger");
}

TEST_F(MonitorTest, NoneTaskSoundsItsAlarmAndAsksButShowsAndStartsNothing) {
    ScheduleRecord t = daily(2026, 3, 2);
    t.taskType = "None";
    t.alarm = 1;
    t.alarmFile = "beep ";
    t.userSkip = 1;
    const std::int32_t id = addTask(t);
    runtime.answerNext(Button::Yes);

    monitor.tick();

    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(boxesTitled(Monitor::kConfirmTitle), 1);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(programsRun().empty());
    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, Date::fromYmd(2026, 3, 3));
    EXPECT_EQ(moved.lastRunDate, kToday);
}

struct QuestionCase {
    const char* name;
    const char* taskType;
    bool missed;                   // due on an earlier day with SCH:Warn; otherwise due now with SCH:UserSkip
    std::optional<Button> answer;  // nothing: no question is asked
    bool runs;
    bool handled;
    const char* loggedEvent;
};

class MonitorQuestionTest : public MonitorFixture, public testing::WithParamInterface<QuestionCase> {};

TEST_P(MonitorQuestionTest, AnswerDecidesTheOccurrence) {
    const QuestionCase& c = GetParam();
    ScheduleRecord t = daily(2026, c.missed ? 2 : 3, c.missed ? 27 : 2);
    t.taskType = c.taskType;
    t.message = "Use the blue disk.";
    (c.missed ? t.warn : t.userSkip) = 1;
    const ScheduleRecord before = t;
    const std::int32_t id = addTask(t);
    if (c.answer) runtime.answerNext(*c.answer);

    monitor.tick();

    const std::string title(c.missed ? Monitor::kMissedTitle : Monitor::kConfirmTitle);
    if (c.answer) {
        ASSERT_EQ(runtime.boxes().size(), 1u);
        const MessageBoxRequest& box = runtime.lastBox().request;
        EXPECT_EQ(box.text, std::string("Back up the ledger") +
                                std::string(c.missed ? Monitor::kMissedQuestion : Monitor::kConfirmQuestion));
        EXPECT_EQ(box.title, title);
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.buttons, unsigned(kButtonsYesNo));
        EXPECT_EQ(box.defaultButton, Button::No);
        EXPECT_EQ(box.owner, Owner::Frame);
    } else {
        EXPECT_TRUE(runtime.boxes().empty());
    }
    const bool showsMessage = std::string(c.taskType) != "Run Program";
    EXPECT_EQ(programsRun().size(), c.runs && !showsMessage ? 1u : 0u);
    EXPECT_EQ(sink.shown.size(), c.runs && showsMessage ? 1u : 0u);

    ScheduleRecord after;
    ASSERT_TRUE(read(id, after));
    if (!c.handled) {
        EXPECT_EQ(after.date, before.date);
        EXPECT_EQ(after.lastRunDate, 0);
        EXPECT_TRUE(history().empty());
        EXPECT_EQ(scheduleChangedPosts(), 0);
        return;
    }
    EXPECT_EQ(after.date, Date::fromYmd(2026, 3, 3));
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history()[0].description.rfind("(Skipped) ", 0) == 0, !c.runs);
    bool logged = false;
    for (const std::string& e : events())
        logged = logged || e == std::string(c.loggedEvent ? c.loggedEvent : "") + "|Back up the ledger";
    EXPECT_EQ(logged, c.loggedEvent != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, MonitorQuestionTest,
    testing::Values(QuestionCase{"MissedYes", "Run Program", true, Button::Yes, true, true, nullptr},
                    QuestionCase{"MissedNo", "Run Program", true, Button::No, false, true, "Missed task skipped"},
                    QuestionCase{"MissedAborted", "Run Program", true, Button::Aborted, false, false, nullptr},
                    QuestionCase{"MissedMessageNotAsked", "Display Message", true, std::nullopt, true, true, nullptr},
                    QuestionCase{"ConfirmYes", "Display Message", false, Button::Yes, true, true, nullptr},
                    QuestionCase{"ConfirmNo", "Run Program", false, Button::No, false, true, "Task skipped"},
                    QuestionCase{"ConfirmAborted", "Both", false, Button::Aborted, false, false, nullptr}),
    [](const testing::TestParamInfo<QuestionCase>& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, HistoryExpiresOncePerDay) {
    for (bool removeUncompleted : {false, true}) {
        SCOPED_TRACE(removeUncompleted ? "removing uncompleted" : "completed only");
        settings.historyExpires = 7;
        settings.removeUncompleted = removeUncompleted;
        clock.set(2026, 3, removeUncompleted ? 3 : 2, 9, 0, 1);
        const std::int32_t today = clock.today();
        const auto add = [&](std::int32_t date, bool completed) {
            ScheduleRecord r = daily(2026, 1, 1);
            r.date = date;
            r.disabled = 1;
            r.completed = completed;
            return addTask(r);
        };
        const std::int32_t expired = add(today - 7, true);
        const std::int32_t recent = add(today - 6, true);
        const std::int32_t uncompleted = add(today - 30, false);

        monitor.tick();
        ScheduleRecord r;
        EXPECT_FALSE(read(expired, r));
        EXPECT_TRUE(read(recent, r));
        EXPECT_EQ(read(uncompleted, r), !removeUncompleted);
        EXPECT_EQ(scheduleChangedPosts(), 1);

        add(today - 8, true);
        monitor.tick();  // the same day: no second look
        EXPECT_EQ(history().size(), removeUncompleted ? 2u : 3u);
        runtime.postedEvents.clear();
    }
    int checks = 0;
    for (const std::string& e : events()) checks += e == "History|Checked for tasks needing removal";
    EXPECT_EQ(checks, 2);
}

TEST_F(MonitorTest, FailedHistoryDeleteIsShownAndTheRunGoesOn) {
    settings.historyExpires = 1;
    for (int i = 0; i < 2; ++i) {
        ScheduleRecord r = daily(2026, 2, 1 + i);
        r.disabled = 1;
        r.completed = 1;
        addTask(r);
    }
    flaky.failures = 1;

    monitor.tick();

    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Cannot Remove History");
    EXPECT_EQ(runtime.lastBox().request.text, "database is locked error while removing history");
    EXPECT_EQ(history().size(), 1u);
}

TEST_F(MonitorTest, InactiveSchedulerFiresNothingAndQueuedScriptsWait) {
    settings.startUpActive = false;
    settings.historyExpires = 1;
    addTask(daily(2026, 3, 2));
    stepper.queued = 3;
    runtime.statusZones[2] = "Next: something";

    monitor.start();
    timers.advance(2500ms);

    EXPECT_TRUE(programsRun().empty());
    EXPECT_EQ(stepper.steps, 0);
    EXPECT_EQ(runtime.frameTitle, std::string(Version::kProductName) + " (Inactive)");
    EXPECT_EQ(runtime.statusZones[2], "Inactive");
    EXPECT_EQ(monitor.period(), Monitor::kInactivePeriod);
    EXPECT_EQ(timers.lastDelay(), 2500ms);
    EXPECT_EQ(monitor.historyExpiry().lastCheckDay(), 0);

    settings.startUpActive = true;
    ASSERT_TRUE(timers.fireNext());
    EXPECT_EQ(programsRun().size(), 1u);
    EXPECT_EQ(stepper.steps, 1);
    EXPECT_EQ(timers.lastDelay(), 500ms);
}

TEST_F(MonitorTest, TitleStatusZonesAndTrayTipFollowTheNextTask) {
    struct IconizedFrame : MonitorHooks {
        bool frameIconized() const override { return true; }
    } hooks;
    monitor.setHooks(&hooks);
    ScheduleRecord t = daily(2026, 3, 3, 10, 30);
    t.description = "A description that is forty characters!!";
    addTask(t);

    monitor.tick();

    const std::string title = std::string(Version::kProductName) + " - " + t.description + " " +
                              formatDate(t.date, "d3") + " " + formatTime(t.time, "T3");
    EXPECT_EQ(runtime.frameTitle, title);
    EXPECT_EQ(runtime.trayTip, FixedText::cut(title, 63));
    EXPECT_EQ(runtime.trayTip.size(), 63u);
    EXPECT_EQ(runtime.statusZones[2], "Next: " + t.description);
    EXPECT_EQ(runtime.statusZones[3], "Monday, " + formatDate(kToday, "D3"));
    EXPECT_EQ(runtime.statusZones[4], formatTime(clock.now(), "T3"));

    settings.noTray = true;
    runtime.trayTip.clear();
    monitor.setHooks(nullptr);
    monitor.tick();
    EXPECT_EQ(runtime.frameTitle, Version::kProductName);
    EXPECT_TRUE(runtime.trayTip.empty());
}

TEST_F(MonitorTest, AdvanceWarningIsGivenOnceAndNotForTheOccurrenceThatRan) {
    ScheduleRecord blank = daily(2026, 2, 1);  // would block every later warning at the head
    blank.scheduleType = "";
    blank.disabled = 1;
    blank.advanceWarnDate = Date::fromYmd(2026, 2, 1);
    blank.advanceWarnTime = Time::fromHms(8, 0);
    const std::int32_t blankId = addTask(blank);
    ScheduleRecord t = daily(2026, 3, 2, 10, 0);
    t.taskType = "Both";
    t.message = "  Use the blue disk.";
    t.advanceWarnDate = kToday;
    t.advanceWarnTime = Time::fromHms(9, 30);
    const std::int32_t id = addTask(t);
    clock.set(2026, 3, 2, 9, 45);

    monitor.tick();
    monitor.tick();
    ASSERT_EQ(boxesTitled(AdvanceWarning::kTitle), 1);
    EXPECT_EQ(runtime.lastBox().request.text, formatDate(t.date, "d3") + " " + formatTime(t.time, "t3") +
                                                  "\rUse the blue disk.\rCommand: backup --all");
    EXPECT_EQ(runtime.lastBox().request.owner, Owner::Frame);

    clock.set(2026, 3, 2, 10, 0, 1);
    monitor.tick();
    EXPECT_EQ(programsRun().size(), 1u);
    EXPECT_EQ(boxesTitled(AdvanceWarning::kTitle), 1);
    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_FALSE(moved.advanceWarned);
    EXPECT_EQ(moved.advanceWarnDate, Date::fromYmd(2026, 3, 3));

    clock.set(2026, 3, 3, 9, 30, 1);
    monitor.tick();
    EXPECT_EQ(boxesTitled(AdvanceWarning::kTitle), 2);
    ASSERT_TRUE(read(blankId, blank));
    EXPECT_FALSE(blank.advanceWarned);
    int logged = 0;
    for (const std::string& e : events()) logged += e == "Advanced Warning|Back up the ledger";
    EXPECT_EQ(logged, 2);
}

TEST(MonitorAdvanceWarningText, FollowsTheTaskType) {
    struct Case {
        const char* type;
        const char* command;
        const char* body;
    };
    const Case cases[] = {
        {"Display Message", "x", "\r  Line one"},
        {"Run Program", "backup", "\rCommand:  backup"},
        {"Both", "backup", "\rLine one\rCommand: backup"},
        {"None", "backup", "\rLine one\rCommand: backup"},
        {"None", "", "\rLine one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + "/" + c.command);
        ScheduleRecord t;
        t.taskType = c.type;
        t.command = c.command;
        t.message = "  Line one";
        t.date = kToday;
        t.time = Time::fromHms(14, 5);
        EXPECT_EQ(AdvanceWarning::text(t), formatDate(kToday, "d3") + " " + formatTime(t.time, "t3") + c.body);
    }
}

TEST_F(MonitorTest, HeldMonitorTicksDoNothingButStayArmed) {
    addTask(daily(2026, 3, 2));
    monitor.start();
    {
        MonitorHold outer(monitor);
        monitor.hold();
        timers.advance(1250ms);
        monitor.release();
        timers.advance(1250ms);
        EXPECT_TRUE(programsRun().empty());
        EXPECT_EQ(timers.pending(), 1u);
        EXPECT_EQ(timers.lastDelay(), 1250ms);
    }
    EXPECT_FALSE(monitor.held());
    timers.advance(1250ms);
    EXPECT_EQ(programsRun().size(), 1u);
    // The program queued its script: the next tick comes at the script period.
    EXPECT_EQ(timers.lastDelay(), 500ms);
    EXPECT_EQ(timers.pending(), 1u);

    monitor.stop();
    EXPECT_EQ(timers.pending(), 0u);
    monitor.tick();
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(MonitorTest, TickFromInsideATickDoesNothing) {
    struct Reentering : MonitorHooks {
        void restoreFrame() override {
            inTick = monitor->inTick();
            monitor->tick();
            shownInside = sink->shown.size();
        }
        Monitor* monitor = nullptr;
        test::RecordingSink* sink = nullptr;
        bool inTick = false;
        std::size_t shownInside = 99;
    } hooks;
    hooks.monitor = &monitor;
    hooks.sink = &sink;
    monitor.setHooks(&hooks);
    ScheduleRecord t = daily(2026, 3, 2);
    t.taskType = "Display Message";
    addTask(t);
    monitor.start();

    timers.advance(1250ms);

    EXPECT_TRUE(hooks.inTick);
    EXPECT_EQ(hooks.shownInside, 0u);
    EXPECT_EQ(sink.shown, Strings{"child:Back up the ledger"});
    EXPECT_EQ(timers.pending(), 1u);
    EXPECT_FALSE(monitor.inTick());
}

TEST_F(MonitorTest, FailedRescheduleWriteNeverFiresTheOccurrenceTwice) {
    ScheduleRecord once = task("Once", 2026, 3, 2, 9, 0);
    once.command = "once";
    const std::int32_t onceId = addTask(once);
    ScheduleRecord later = daily(2026, 3, 2, 9, 0);
    later.time = Time::fromHms(9, 0, 30);
    later.command = "later";
    addTask(later);
    flaky.failures = 2;

    monitor.tick();  // fires; the delete fails
    clock.advanceSeconds(2);
    monitor.tick();  // the retry fails; the stale row is passed over
    EXPECT_EQ(programsRun(), Strings{"once"});
    ScheduleRecord r;
    EXPECT_TRUE(read(onceId, r));

    clock.advanceSeconds(30);
    monitor.tick();  // the retry succeeds, then the next task fires
    EXPECT_EQ(programsRun(), (Strings{"once", "later"}));
    EXPECT_FALSE(read(onceId, r));
    EXPECT_EQ(monitorWriter.pendingCount(), 0u);
    ASSERT_EQ(history().size(), 2u);
}

TEST_F(MonitorTest, SixtyOpenMessageWindowsTurnTheNextMessageIntoAFrameBox) {
    ScheduleRecord t = daily(2026, 3, 2);
    t.taskType = "Display Message";
    t.message = "Use the blue disk.   ";
    addTask(t);
    for (int i = 0; i < MessageRouter::kWindowLimit; ++i) messages.windowOpened();

    monitor.tick();

    EXPECT_TRUE(sink.shown.empty());
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.text, "Use the blue disk.");
    EXPECT_EQ(runtime.lastBox().request.title, "");
    EXPECT_EQ(runtime.lastBox().request.owner, Owner::Frame);

    messages.windowClosed();
    clock.set(2026, 3, 3, 9, 0, 1);
    monitor.tick();
    EXPECT_EQ(sink.shown, Strings{"child:Back up the ledger"});
}

TEST_F(MonitorTest, MessageRoutingFollowsTheSettings) {
    struct Case {
        bool win, external, modal;
        const char* path;
        const char* shown;
        int messageEvents;
    };
    const Case cases[] = {
        {false, false, false, "", "child:Back up the ledger", 1},
        {true, true, true, "", "plain:Back up the ledger", 1},
        {false, true, true, "", "external:Use the blue disk.", 1},
        {false, false, true, "", "modal:Back up the ledger", 2},
        {true, false, false, "Reply to:/srv/office", "reply:Back up the ledger|/srv/office", 1},
    };
    ScheduleRecord t = daily(2026, 3, 2);
    t.alarm = 1;
    t.alarmFile = "ring.wav";
    std::size_t before = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        settings.useWinMessage = c.win;
        settings.useExternalMessage = c.external;
        settings.useModalMessage = c.modal;
        t.path = c.path;
        sink.shown.clear();
        messages.showTaskMessage(t);
        EXPECT_EQ(sink.shown, Strings{c.shown});
        const Strings logged = events();
        EXPECT_EQ(logged.size() - before, std::size_t(c.messageEvents));
        for (std::size_t i = before; i < logged.size(); ++i)
            EXPECT_EQ(logged[i], "Message|Back up the ledger ring.wav");
        before = logged.size();
    }
}

TEST(MonitorFrameRestore, WantedForChildMessagesOrWhenAskedForEveryRun) {
    Settings s;
    ScheduleRecord t;
    t.taskType = "Display Message";
    EXPECT_TRUE(MessageRouter::frameRestoreWanted(t, s));
    s.useModalMessage = true;
    EXPECT_FALSE(MessageRouter::frameRestoreWanted(t, s));
    t.taskType = "Run Program";
    s.useModalMessage = false;
    EXPECT_FALSE(MessageRouter::frameRestoreWanted(t, s));
    s.maximizeOnRun = true;
    EXPECT_TRUE(MessageRouter::frameRestoreWanted(t, s));
}

}  // namespace
}  // namespace cm
