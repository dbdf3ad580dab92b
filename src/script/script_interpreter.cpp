#include "script/script_interpreter.h"

#include <string>

#include "base/fixed_text.h"
#include "base/time_of_day.h"
#include "engine/event_log.h"
#include "engine/task_actions.h"
#include "script/keystroke_sender.h"
#include "script/script_queue.h"
#include "shell/clock.h"
#include "shell/dde.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/window_system.h"

namespace cm {

namespace {

std::string trimmed(std::string_view text) {
    return std::string(FixedText::trimTrailingBlanks(text));
}

Moment secondsFrom(const Moment& from, std::int32_t seconds) {
    return from.plusHundredths(static_cast<std::int64_t>(seconds) * Time::kOneSecond);
}

}  // namespace

ScriptInterpreter::ScriptInterpreter(const ScriptContext& context) : m_ctx(context), m_finder(context.windows) {}

bool ScriptInterpreter::queueEmpty() const {
    return m_ctx.queue.empty();
}

bool ScriptInterpreter::sending() const {
    return m_sendSerial != 0 || m_ctx.sender.busy();
}

bool ScriptInterpreter::debug() const {
    return m_ctx.settings.debug != 0;
}

void ScriptInterpreter::emptyQueue() {
    ++m_generation;
    m_sendSerial = 0;
    m_waitStarted = false;
    m_ctx.queue.clear();
    m_ctx.sender.abort();
}

bool ScriptInterpreter::show(std::string_view text, std::string_view title) {
    MessageBoxRequest box;
    box.text = std::string(text);
    box.title = std::string(title);
    box.owner = Owner::Frame;
    m_ctx.runtime.messageBox(box);
    return !emptied();
}

void ScriptInterpreter::showStatus() {
    ScriptQueue& queue = m_ctx.queue;
    m_ctx.runtime.setStatusText(2, queue.empty() ? std::string(kCompletedStatus) : ScriptQueue::statusText(queue.front()));
}

void ScriptInterpreter::finishHead() {
    ScriptQueue& queue = m_ctx.queue;
    if (queue.empty()) return;
    m_ctx.log.logEvent(kScriptEvent, queue.front().action());
    queue.popFront();
    m_waitStarted = false;
}

void ScriptInterpreter::step() {
    ScriptQueue& queue = m_ctx.queue;
    if (queue.empty() || sending()) return;
    const Moment now = m_ctx.clock.current();
    ScriptEntry& head = queue.front();
    // Raw fields on purpose: a postponed time past midnight waits for the next day's date.
    if (head.due.date > now.date) return;
    if (head.action() == ScriptAction::kWait && isOrWait(head.item) && !head.deadline)
        head.deadline = secondsFrom(now, head.item.secondsToWait);

    if (head.due.date < now.date || head.due.time < now.time) {
        m_stepGeneration = m_generation;
        const Outcome outcome = carryOut(head);
        if (!emptied() && outcome == Outcome::Done) finishHead();
    } else if (head.due.time - now.time >= Time::kOneSecond) {
        return;
    }
    showStatus();
}

ScriptInterpreter::Outcome ScriptInterpreter::carryOut(ScriptEntry& entry) {
    const std::string action(entry.action());
    const ScriptingRecord& r = entry.item;
    if (action == ScriptAction::kDisplayMessage) {
        show(r.ddeApplicationName, r.ddeApplicationTopic);
        return Outcome::Done;
    }
    if (action == ScriptAction::kExitScript)
        return m_ctx.queue.removeRestOfScript() ? Outcome::Done : Outcome::Keep;
    if (action == ScriptAction::kCloseProgram) return closeProgram(entry);
    if (action == ScriptAction::kStartProgram) return startProgram(entry);
    if (action == ScriptAction::kSendKeystrokes) return sendKeystrokes(entry);
    if (action == ScriptAction::kDde) return dde(entry);
    if (action == ScriptAction::kSetFocus) return setFocus(entry);
    if (action == ScriptAction::kWait) return waitFor(entry);
    if (action == ScriptAction::kWaitForProgramEnd) return waitForProgramEnd(entry);
    if (action == ScriptAction::kIfWindow) return condition(entry, windowExists(entry));
    if (action == ScriptAction::kIfTimeElapsed) return condition(entry, timeConditionPasses(entry));
    if (action == ScriptAction::kEndIf || action == ScriptAction::kEnd) return Outcome::Done;
    show(std::string(kInvalidOption) + action, kErrorTitle);
    return Outcome::Done;
}

ScriptInterpreter::Outcome ScriptInterpreter::dde(const ScriptEntry& entry) {
    const ScriptingRecord& r = entry.item;
    // Nobody serving the application, or a command that fails, is passed over in silence.
    const int channel = m_ctx.dde.open(trimmed(r.ddeApplicationName), trimmed(r.ddeApplicationTopic));
    if (channel != 0) {
        m_ctx.dde.execute(channel, trimmed(r.ddeCommand));
        m_ctx.dde.close(channel);
    }
    return Outcome::Done;
}

// Without a program name the active window goes, unless it is one of ours: closing our own
// frame from its own script would end the scheduler.
ScriptInterpreter::Outcome ScriptInterpreter::closeProgram(const ScriptEntry& entry) {
    const std::string program = trimmed(entry.item.command);
    if (!program.empty()) {
        m_ctx.actions.runHelper(kKillProcHelper, {program});
        return Outcome::Done;
    }
    const std::optional<WindowInfo> active = m_ctx.windows.activeWindow();
    if (active && !active->own) m_ctx.windows.requestClose(active->id);
    return Outcome::Done;
}

ScriptInterpreter::Outcome ScriptInterpreter::startProgram(ScriptEntry& entry) {
    const ProgramStartOptions options = ProgramStartOptions::decode(entry.item.ddeApplicationName);
    m_ctx.actions.runProgram(0, entry.item.command, entry.item.path, options);
    // A failed start shows a box, and the queue may have been emptied meanwhile.
    if (emptied()) return Outcome::Abandoned;
    if (!options.waitForEnd) return Outcome::Done;
    entry.item.action = std::string(ScriptAction::kWaitForProgramEnd);
    if (entry.item.timeElapsed != 0) entry.deadline = secondsFrom(m_ctx.clock.current(), entry.item.timeElapsed);
    return Outcome::Keep;
}

ScriptInterpreter::Outcome ScriptInterpreter::waitForProgramEnd(const ScriptEntry& entry) {
    if (m_ctx.actions.startedProcessEnded()) return Outcome::Done;
    if (entry.deadline && compareMoments(m_ctx.clock.current(), *entry.deadline) > 0) return Outcome::Done;
    return Outcome::Keep;
}

ScriptInterpreter::Outcome ScriptInterpreter::sendKeystrokes(const ScriptEntry& entry) {
    const std::uint64_t serial = entry.serial;
    // The sender reports the end from a timer, never from inside send().
    if (!m_ctx.sender.send(entry.item.keyStrokes, [this, serial] { onSendDone(serial); })) return Outcome::Keep;
    m_sendSerial = serial;
    return Outcome::Keep;
}

void ScriptInterpreter::onSendDone(std::uint64_t serial) {
    // An emptied queue forgot the send; a later send is not this one.
    if (serial != m_sendSerial) return;
    m_sendSerial = 0;
    if (!m_ctx.queue.empty() && m_ctx.queue.front().serial == serial) finishHead();
    showStatus();
}

ScriptInterpreter::Outcome ScriptInterpreter::setFocus(const ScriptEntry& entry) {
    const std::string pattern = trimmed(entry.item.focusOnWindow);
    if (debug() && !show(pattern, kSetFocusTitle)) return Outcome::Abandoned;
    if (!m_finder.bringWindowToFront(pattern) && debug()) show(pattern, kFailedSetFocusTitle);
    return Outcome::Done;
}

ScriptInterpreter::Outcome ScriptInterpreter::waitFor(const ScriptEntry& entry) {
    const Moment now = m_ctx.clock.current();
    if (isOrWait(entry.item) && entry.deadline && compareMoments(now, *entry.deadline) > 0) return Outcome::Done;
    const std::string pattern = trimmed(entry.item.waitForWindow);
    if (pattern.empty()) return Outcome::Done;
    if (!m_waitStarted) {
        m_waitStarted = true;
        m_waitStart = now;
    }
    // The finder reads past a leading "~"; here it turns the wait around.
    const std::optional<WindowInfo> window = m_finder.findWindowByTitle(pattern);
    if (pattern.front() == '~') {
        if (window) return Outcome::Keep;
        postponeByWait();
        return Outcome::Done;
    }
    if (!window) return Outcome::Keep;
    m_finder.bringToFront(window->id);
    postponeByWait();
    if (debug()) show(std::string(kSwitchedToWindow) + pattern, kDebugTitle);
    return Outcome::Done;
}

// The later entries were timed as if the window had been there when the wait came due.
void ScriptInterpreter::postponeByWait() {
    const Moment now = m_ctx.clock.current();
    std::int32_t days = now.date - m_waitStart.date;
    std::int32_t hundredths = now.time - m_waitStart.time;
    if (hundredths < 0) {
        --days;
        hundredths += Time::kOneDay;
    }
    if (days < 0) {
        days = 0;
        hundredths = Time::kOneSecond;
    }
    m_ctx.queue.postponeAfterFirst(days, hundredths);
}

bool ScriptInterpreter::windowExists(const ScriptEntry& entry) {
    const std::string_view condition = entry.item.windowExistance;
    const bool wanted = condition.size() > 1 && condition.substr(1).find("Exists") != std::string_view::npos;
    const bool found = m_finder.findWindowByTitle(trimmed(entry.item.windowTitleToCheckFor)).has_value();
    return found == wanted;
}

bool ScriptInterpreter::timeConditionPasses(const ScriptEntry& entry) const {
    const bool greater = entry.item.ifTimeElapsed.find("Greater") != std::string::npos;
    const int order = compareMoments(m_ctx.clock.current(), entry.deadline.value_or(Moment{}));
    return greater ? order >= 0 : order < 0;
}

ScriptInterpreter::Outcome ScriptInterpreter::condition(const ScriptEntry& entry, bool passed) {
    if (passed) {
        if (debug()) show(kPassedText, kPassedTitle);
        return Outcome::Done;
    }
    m_ctx.log.logEvent(kScriptEvent, entry.action());
    if (debug() && !show(kFailedText, kFailedTitle)) return Outcome::Abandoned;
    return m_ctx.queue.removeFailedBlock() ? Outcome::Done : Outcome::Keep;
}

}  // namespace cm
