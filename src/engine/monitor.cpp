#include "engine/monitor.h"

#include <array>
#include <string>

#include "base/ascii.h"
#include "base/date.h"
#include "base/fixed_text.h"
#include "base/picture.h"
#include "engine/event_log.h"
#include "engine/message_router.h"
#include "engine/schedule_writer.h"
#include "engine/task_actions.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/sound.h"
#include "shell/version.h"
#include "store/store_error.h"

namespace cm {
namespace {

constexpr std::array<std::string_view, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                           "Thursday", "Friday", "Saturday"};

std::string clipped(std::string_view text) {
    return std::string(FixedText::trimTrailingBlanks(text));
}

bool isType(const ScheduleRecord& task, std::string_view type) { return TaskType::is(task.taskType, type); }

// Clears a flag for the length of a scope, whatever way the scope is left.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TickGuard() { m_flag = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& m_flag;
};

}  // namespace

Monitor::Monitor(const MonitorContext& context)
    : m_ctx(context),
      m_warning(context.schedule, context.writer, context.runtime, context.clock, context.log),
      m_history(context.schedule, context.deleter, context.runtime, context.clock, context.settings, context.log) {}

Monitor::~Monitor() {
    stop();
}

void Monitor::start(std::int32_t firstPeriod) {
    m_running = true;
    m_period = firstPeriod;
    arm();
}

void Monitor::stop() {
    m_running = false;
    if (m_timer != 0) m_ctx.timers.cancel(m_timer);
    m_timer = 0;
}

void Monitor::arm() {
    if (!m_running) return;
    if (m_timer != 0) m_ctx.timers.cancel(m_timer);
    m_timer = m_ctx.timers.singleShot(Timers::hundredths(m_period), [this] { onTimer(); });
}

void Monitor::onTimer() {
    m_timer = 0;
    tick();
}

void Monitor::tick() {
    // A tick reached from inside a tick's own nested event loop: the outer tick re-arms.
    if (m_inTick) return;
    if (held()) {
        // Poll again at the last period; the first tick after the release does the work.
        arm();
        return;
    }
    {
        TickGuard guard(m_inTick);
        m_scriptRunning = false;
        m_hooks->clipboardStep();
        if (!m_ctx.settings.startUpActive) {
            m_ctx.runtime.setFrameTitle(std::string(Version::kProductName) + std::string(kInactiveTitleSuffix));
            m_ctx.runtime.setStatusText(2, kInactiveStatus);
            m_hooks->setScriptIndicator({});
            m_period = kInactivePeriod;
        } else {
            runActiveSteps();
        }
        m_hooks->refreshTrayIcon(m_scriptRunning);
        refreshStatus();
    }
    arm();
}

void Monitor::runActiveSteps() {
    const bool sending = m_stepper && m_stepper->sending();
    if (!sending) {
        dueCheck();
        m_warning.check();
        if (m_history.run()) m_ctx.runtime.postEvent(kScheduleChangedEvent);
    }
    if (!scriptQueueEmpty()) {
        m_scriptRunning = true;
        m_period = kScriptPeriod;
        if (!sending) m_stepper->step();
        m_hooks->setScriptIndicator(kScriptIndicator);
    } else {
        m_hooks->setScriptIndicator({});
        m_period = kNormalPeriod;
    }
}

void Monitor::refreshStatus() {
    const Moment now = m_ctx.clock.current();
    m_ctx.runtime.setStatusText(3, std::string(kWeekdayNames[static_cast<std::size_t>(Date::weekday(now.date))]) +
                                       ", " + formatDate(now.date, kStatusDatePicture));
    m_ctx.runtime.setStatusText(4, formatTime(now.time, kStatusTimePicture));
}

// The earliest enabled task. A task whose reschedule could not be written yet is passed over:
// its row still shows the occurrence that has been handled, and firing it again would run
// that occurrence twice. The writer retries the write first on every tick.
bool Monitor::readDueTask() {
    Table<ScheduleRecord>& schedule = m_ctx.schedule;
    if (schedule.set(schedule.keyIndex("SCH:KeyDateEnabled")) != StoreCode::kOk) return false;
    while (schedule.next() == StoreCode::kOk) {
        if (schedule.record().disabled) return false;
        if (!m_ctx.writer.awaitsWrite(schedule.record().id)) return true;
    }
    // A failed read is a tick without a task; the next tick reads again.
    schedule.clearError();
    return false;
}

void Monitor::dueCheck() {
    // Store errors of the reschedule go unreported: the moved task waits in the writer.
    if (m_ctx.writer.pendingCount() > 0) m_ctx.writer.retryPending();

    const std::string product = Version::kProductName;
    if (!readDueTask()) {
        m_ctx.runtime.setFrameTitle(product);
        m_ctx.runtime.setStatusText(2, {});
        return;
    }
    const ScheduleRecord& task = m_ctx.schedule.record();
    const std::string description = clipped(task.description);
    std::string title = product;
    if (m_hooks->frameIconized())
        title += " - " + description + " " + formatDate(task.date, kTitleDatePicture) + " " +
                 formatTime(task.time, kTitleTimePicture);
    m_ctx.runtime.setFrameTitle(title);
    if (scriptQueueEmpty()) m_ctx.runtime.setStatusText(2, std::string(kNextPrefix) + description);
    if (!m_ctx.settings.noTray) {
        m_ctx.runtime.setTrayTip(FixedText::cut(title, kTrayTipWidth));
        m_ctx.runtime.setTrayIcon(kNormalTrayIcon);
    }

    const Moment now = m_ctx.clock.current();
    if (compareMoments(now.date, now.time, task.date, task.time) >= 0) {
        if (fireTask()) m_ctx.runtime.postEvent(kScheduleChangedEvent);
    } else if (m_ctx.settings.monitorWindows) {
        m_hooks->recordNextWindowTitle();
    }
}

void Monitor::soundAlarm(const ScheduleRecord& task) {
    if (!task.alarm) return;
    const std::string file = clipped(task.alarmFile);
    if (ascii::equalNoCase(file, kBeepAlarm)) {
        m_ctx.sound.beep();
    } else if (!file.empty()) {
        // The alarm is played without waiting; one that cannot be played is simply not heard.
        m_ctx.sound.play(file);
    }
}

Monitor::Verdict Monitor::ask(const ScheduleRecord& task, std::string_view question, std::string_view title,
                              std::string_view skippedEvent) {
    MessageBoxRequest box;
    box.text = clipped(task.description) + std::string(question);
    box.title = title;
    box.icon = MessageIcon::Exclamation;
    box.buttons = kButtonsYesNo;
    box.defaultButton = Button::No;
    box.owner = Owner::Frame;
    const Button answer = m_ctx.runtime.messageBox(box);
    if (answer == Button::Aborted) return Verdict::Aborted;
    if (answer == Button::Yes) return Verdict::Run;
    m_ctx.log.logEvent(skippedEvent, task.description);
    return Verdict::Skip;
}

// The first rule that applies decides.
Monitor::Verdict Monitor::decide(const ScheduleRecord& task) {
    const Moment now = m_ctx.clock.current();
    // Strictly later than the tolerance: a task exactly ten minutes late is still on time.
    if (task.skipIfMissed && compareMoments(now.date, now.time, task.date, task.time + kLateTolerance) > 0)
        return Verdict::Skip;
    if (now.date > task.date && task.warn && !isType(task, TaskType::kDisplayMessage))
        return ask(task, kMissedQuestion, kMissedTitle, kMissedEvent);
    if (task.userSkip) return ask(task, kConfirmQuestion, kConfirmTitle, kConfirmEvent);
    return Verdict::Run;
}

bool Monitor::fireTask() {
    // The questions below open nested event loops; the task is worked on in a copy and only
    // put back into the writer's buffer for the reschedule.
    ScheduleRecord task = m_ctx.schedule.record();
    const DueMoment due = DueMoment::of(task);
    bool skipped = false;
    if (!task.skipNextTime) {
        if (MessageRouter::frameRestoreWanted(task, m_ctx.settings)) m_hooks->restoreFrame();
        soundAlarm(task);
        const Verdict verdict = decide(task);
        // The program is quitting: the task stays due, as if it had not been looked at.
        if (verdict == Verdict::Aborted) return false;
        skipped = verdict == Verdict::Skip;

        const Moment now = m_ctx.clock.current();
        task.lastRunDate = now.date;
        task.lastRunTime = now.time;
        const bool both = isType(task, TaskType::kBoth);
        if (!skipped && (both || isType(task, TaskType::kDisplayMessage))) m_ctx.messages.showTaskMessage(task);
        if (!skipped && (both || isType(task, TaskType::kRunProgram))) {
            m_ctx.actions.runProgram(task.id, task.command, task.path);
            if (!scriptQueueEmpty()) m_period = kScriptPeriod;
        }
    }
    m_ctx.schedule.record() = task;
    // A failed write leaves the moved task with the writer, which writes it on a later tick;
    // until then readDueTask() passes over the stale row.
    m_ctx.writer.rescheduleAfterRun(due, skipped);
    return true;
}

}  // namespace cm
