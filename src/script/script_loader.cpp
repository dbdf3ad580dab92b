#include "script/script_loader.h"

#include <algorithm>

#include "script/script_queue.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "store/store_error.h"

namespace cm {

ScriptLoader::ScriptLoader(ScriptQueue& queue, Table<ScriptingRecord>& scripting, const Clock& clock,
                           const Settings& settings, Runtime& runtime)
    : m_queue(queue), m_scripting(scripting), m_clock(clock), m_settings(settings), m_runtime(runtime) {}

std::int32_t ScriptLoader::delayOf(const Settings& settings) {
    return std::max(SettingsStore::kMinScriptingDelay, settings.scriptingDelay);
}

// A script queued behind another one starts one delay after that one's last entry.
Moment ScriptLoader::startMoment(std::int32_t delay) const {
    const Moment now = m_clock.current();
    Moment start = now.plusHundredths(2 * static_cast<std::int64_t>(delay));
    if (m_queue.empty()) return start;
    const Moment last = m_queue.back().due;
    if (last.date == now.date && last.time > start.time && start.date == now.date)
        start = Moment{start.date, last.time}.plusHundredths(delay);
    else if (last.date > now.date)
        start = last.plusHundredths(delay);
    return start;
}

void ScriptLoader::loadTaskScript(std::int32_t taskId) {
    const std::int32_t delay = delayOf(m_settings);
    const Moment base = startMoment(delay);
    Moment running = base;

    m_scripting.clear();
    m_scripting.record().id = taskId;
    int code = m_scripting.setFrom(m_scripting.keyIndex("SCR:KeyID"));
    if (code == StoreCode::kOk) code = m_scripting.next();
    while (code == StoreCode::kOk && m_scripting.record().id == taskId) {
        ScriptEntry entry;
        entry.item = m_scripting.record();
        const std::string_view action = entry.action();
        if (action.substr(0, 4) != ScriptAction::kWait) {
            // The condition items and their end take no time of their own.
            if (action.find("...") == std::string_view::npos) running = running.plusHundredths(delay);
        } else if (!isOrWait(entry.item)) {
            running = running.plusHundredths(static_cast<std::int64_t>(entry.item.secondsToWait) * 100);
        }
        entry.due = running;
        if (action == ScriptAction::kIfTimeElapsed)
            entry.deadline = base.plusHundredths(static_cast<std::int64_t>(entry.item.timeElapsed) * 100);
        m_queue.append(std::move(entry));
        code = m_scripting.next();
    }
    // A failed read cannot be told from a row to process, so the script ends there; the end
    // marker still goes in, as for every task run.
    if (code != StoreCode::kOk && code != StoreCode::kNoRecord) {
        MessageBoxRequest box;
        box.text = std::string(kReadErrorPrefix) + m_scripting.lastError().text;
        box.owner = Owner::Frame;
        m_runtime.messageBox(box);
    }
    m_scripting.clearError();
    m_queue.appendEndMarker(running);
}

}  // namespace cm
