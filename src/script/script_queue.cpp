#include "script/script_queue.h"

#include "base/ascii.h"
#include "base/fixed_text.h"

namespace cm {

namespace {

bool containsNoCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (ascii::equalNoCase(text.substr(i, part.size()), part)) return true;
    return false;
}

std::string trimmed(std::string_view text) {
    return std::string(FixedText::trimTrailingBlanks(text));
}

bool opensBlock(std::string_view action) {
    return action.substr(0, 3) == "If ";
}

}  // namespace

std::string_view ScriptEntry::action() const {
    return FixedText::trimTrailingBlanks(item.action);
}

// The step form stores "And" or "Or"; the loader and the interpreter must agree on which
// waits give up after their seconds, so both ask here.
bool isOrWait(const ScriptingRecord& item) {
    return containsNoCase(item.ddeApplicationName, "or");
}

void ScriptQueue::append(ScriptEntry entry) {
    entry.serial = m_nextSerial++;
    m_entries.push_back(std::move(entry));
}

void ScriptQueue::appendEndMarker(Moment due) {
    ScriptEntry end;
    end.item.action = std::string(ScriptAction::kEnd);
    end.due = due;
    append(std::move(end));
}

void ScriptQueue::popFront() {
    if (!m_entries.empty()) m_entries.pop_front();
}

bool ScriptQueue::removeRestOfScript() {
    popFront();
    while (!m_entries.empty()) {
        if (front().action() == ScriptAction::kEnd) return true;
        popFront();
    }
    return false;
}

bool ScriptQueue::removeFailedBlock() {
    popFront();
    while (!m_entries.empty()) {
        const std::string_view action = front().action();
        if (action.substr(0, 3) == "End" || action == ScriptAction::kEndIf) return true;
        if (opensBlock(action))
            removeNestedBlock();
        else
            popFront();
    }
    return false;
}

void ScriptQueue::removeNestedBlock() {
    popFront();
    while (!m_entries.empty()) {
        const std::string_view action = front().action();
        if (action == ScriptAction::kEndIf) {
            popFront();
            return;
        }
        if (opensBlock(action))
            removeNestedBlock();
        else
            popFront();
    }
}

void ScriptQueue::postponeAfterFirst(std::int32_t days, std::int32_t hundredths) {
    for (std::size_t i = 1; i < m_entries.size(); ++i) {
        m_entries[i].due.date += days;
        m_entries[i].due.time += hundredths;
    }
}

std::string ScriptQueue::statusText(const ScriptEntry& entry) {
    const std::string action(entry.action());
    const ScriptingRecord& r = entry.item;
    const auto with = [&action](std::string_view operand) { return action + ":" + std::string(operand); };
    if (action == ScriptAction::kStartProgram || action == ScriptAction::kWaitForProgramEnd) return with(r.command);
    if (action == ScriptAction::kSendKeystrokes) return with(r.keyStrokes);
    if (action == ScriptAction::kDde)
        return with(trimmed(r.ddeType) + " " + trimmed(r.ddeApplicationName) + " " + r.ddeApplicationTopic);
    if (action == ScriptAction::kSetFocus) return with(r.focusOnWindow);
    if (action == ScriptAction::kWait) {
        if (r.secondsToWait == 0) return with(r.waitForWindow);
        return with(std::to_string(r.secondsToWait) + " seconds " + r.waitForWindow);
    }
    if (action == ScriptAction::kIfWindow) return with(r.windowTitleToCheckFor);
    // The deadline lives beside the row, so the condition's own seconds are still there to show.
    if (action == ScriptAction::kIfTimeElapsed) return with(std::to_string(r.timeElapsed) + " seconds");
    return action;
}

}  // namespace cm
