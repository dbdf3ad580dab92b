#pragma once

#include <cstdint>
#include <string_view>

#include "engine/advance_warning.h"
#include "engine/history_expiry.h"
#include "shell/timers.h"
#include "store/table_handle.h"
#include "store/tables/schedule_record.h"

namespace cm {

class Clock;
class EventLog;
class MessageRouter;
class Runtime;
class ScheduleWriter;
class Sound;
class TaskActions;
class TaskDeleter;
struct Settings;

// What a tick asks of the parts of the program that come with the frame, the clipboard
// history and the window finder. Each defaults to doing nothing.
class MonitorHooks {
public:
    virtual ~MonitorHooks() = default;
    // The clipboard history's step, first in every tick.
    virtual void clipboardStep() {}
    // Records one window title; called on ticks where no task is due and window monitoring is on.
    virtual void recordNextWindowTitle() {}
    virtual bool frameIconized() const { return false; }
    // De-iconizes the frame and takes its icon out of the tray, when it is iconized.
    virtual void restoreFrame() {}
    // The frame's one-character script indicator: "*" while scripts are queued.
    virtual void setScriptIndicator(std::string_view) {}
    // Puts the tray's normal icon back, or advances its animation while a script runs.
    virtual void refreshTrayIcon(bool /*scriptRunning*/) {}
};

// The script queue and its interpreter, as the monitor drives them.
class ScriptStepper {
public:
    virtual ~ScriptStepper() = default;
    // Carries out at most one queued item.
    virtual void step() = 0;
    virtual bool queueEmpty() const = 0;
    // A keystroke send in progress: the due, warning, history and script steps wait for it.
    virtual bool sending() const { return false; }
};

// Everything a monitor works with. schedule is the open handle the writer works on.
struct MonitorContext {
    Runtime& runtime;
    const Clock& clock;
    Timers& timers;
    Sound& sound;
    const Settings& settings;
    EventLog& log;
    Table<ScheduleRecord>& schedule;
    ScheduleWriter& writer;
    TaskDeleter& deleter;
    TaskActions& actions;
    MessageRouter& messages;
};

// The due-task monitor: on each tick it fires the earliest due task, gives advance warnings,
// removes old history once a day, drives the script interpreter and keeps the frame's title,
// status zones and tray tip on the next task.
//
// Its timer is single-shot and is armed again when a tick ends, with the period that tick
// chose, so a tick never starts while another one waits for the user. A tick that finds the
// monitor held, or finds a tick already running (a nested event loop), does nothing.
//
// An occurrence is never fired twice. When the reschedule after a run cannot be written, the
// writer keeps the moved task; every due check first has it retry the write, and until the
// write succeeds the due check and the warning check pass over that task's stale row, so the
// other tasks still fire on time.
class Monitor {
public:
    // Timer periods, in hundredths of a second.
    static constexpr std::int32_t kNormalPeriod = 125;
    static constexpr std::int32_t kScriptPeriod = 50;
    static constexpr std::int32_t kInactivePeriod = 250;
    // A task later than this (hundredths) counts as missed.
    static constexpr std::int32_t kLateTolerance = 60000;
    // Posted to every window after a task fired and after a history removal; the schedule
    // lists refresh on it, other windows ignore it.
    static constexpr int kScheduleChangedEvent = 1025;

    static constexpr std::string_view kMissedTitle = "Missed Task";
    static constexpr std::string_view kMissedQuestion = " was not run.  Run it now?";
    static constexpr std::string_view kMissedEvent = "Missed task skipped";
    static constexpr std::string_view kConfirmTitle = "Confirm Task";
    static constexpr std::string_view kConfirmQuestion = " is due to run.  Run it now?";
    static constexpr std::string_view kConfirmEvent = "Task skipped";
    static constexpr std::string_view kInactiveTitleSuffix = " (Inactive)";
    static constexpr std::string_view kInactiveStatus = "Inactive";
    static constexpr std::string_view kNextPrefix = "Next: ";
    static constexpr std::string_view kScriptIndicator = "*";
    static constexpr std::string_view kBeepAlarm = "BEEP";
    static constexpr std::string_view kNormalTrayIcon = "tray_ico";
    static constexpr std::size_t kTrayTipWidth = 63;
    static constexpr std::string_view kTitleDatePicture = "d3";
    static constexpr std::string_view kTitleTimePicture = "T3";
    static constexpr std::string_view kStatusDatePicture = "D3";
    static constexpr std::string_view kStatusTimePicture = "T3";

    explicit Monitor(const MonitorContext& context);
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Both may be given later; without them the steps they stand for do nothing.
    void setHooks(MonitorHooks* hooks) { m_hooks = hooks ? hooks : &m_noHooks; }
    void setScriptStepper(ScriptStepper* stepper) { m_stepper = stepper; }

    // Arms the first tick after firstPeriod hundredths; stop() cancels the pending one.
    void start(std::int32_t firstPeriod = kNormalPeriod);
    void stop();
    bool running() const { return m_running; }

    // MonitorTick. The timer calls it; a direct call while running re-arms the timer too.
    void tick();

    // A box owned by the frame holds the monitor while it is open (see MonitorHold).
    void hold() { ++m_holds; }
    void release() {
        if (m_holds > 0) --m_holds;
    }
    bool held() const { return m_holds > 0; }
    bool inTick() const { return m_inTick; }

    // The period the last tick chose: what the next tick is armed with.
    std::int32_t period() const { return m_period; }
    bool scriptRunning() const { return m_scriptRunning; }
    const HistoryExpiry& historyExpiry() const { return m_history; }

private:
    enum class Verdict { Run, Skip, Aborted };

    void arm();
    void onTimer();
    void runActiveSteps();
    void refreshStatus();
    void dueCheck();
    bool readDueTask();
    // False when a question was aborted: the task is left as it is.
    bool fireTask();
    void soundAlarm(const ScheduleRecord& task);
    Verdict decide(const ScheduleRecord& task);
    Verdict ask(const ScheduleRecord& task, std::string_view question, std::string_view title,
                std::string_view skippedEvent);
    bool scriptQueueEmpty() const { return !m_stepper || m_stepper->queueEmpty(); }

    MonitorContext m_ctx;
    MonitorHooks m_noHooks;
    MonitorHooks* m_hooks = &m_noHooks;
    ScriptStepper* m_stepper = nullptr;
    AdvanceWarning m_warning;
    HistoryExpiry m_history;

    TimerId m_timer = 0;
    bool m_running = false;
    bool m_inTick = false;
    int m_holds = 0;
    std::int32_t m_period = kNormalPeriod;
    bool m_scriptRunning = false;
};

// Holds the monitor for the life of a scope: wrapped around a box the frame owns.
class MonitorHold {
public:
    explicit MonitorHold(Monitor& monitor) : m_monitor(monitor) { m_monitor.hold(); }
    ~MonitorHold() { m_monitor.release(); }
    MonitorHold(const MonitorHold&) = delete;
    MonitorHold& operator=(const MonitorHold&) = delete;

private:
    Monitor& m_monitor;
};

}  // namespace cm
