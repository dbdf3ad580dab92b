#pragma once

#include <cstdint>
#include <string_view>

#include "base/moment.h"
#include "engine/task_actions.h"
#include "store/table_handle.h"
#include "store/tables/scripting_record.h"

namespace cm {

class Clock;
class Runtime;
class ScriptQueue;
struct Settings;

// LoadTaskScript: appends a task's Scripting rows and its end marker to the queue, each with
// the moment it falls due, spaced by the scripting delay.
class ScriptLoader {
public:
    static constexpr std::string_view kReadErrorPrefix = "Error executing script: ";

    // scripting is an open handle of its own; the loader walks it along SCR:KeyID.
    ScriptLoader(ScriptQueue& queue, Table<ScriptingRecord>& scripting, const Clock& clock,
                 const Settings& settings, Runtime& runtime);

    // Every call appends an end marker, even for a task without script rows.
    void loadTaskScript(std::int32_t taskId);
    // What TaskActions calls once a task's program has started.
    ScriptQueuer queuer() {
        return [this](std::int32_t taskId) { loadTaskScript(taskId); };
    }

    // The scripting delay in hundredths, never below its minimum.
    static std::int32_t delayOf(const Settings& settings);

private:
    Moment startMoment(std::int32_t delay) const;

    ScriptQueue& m_queue;
    Table<ScriptingRecord>& m_scripting;
    const Clock& m_clock;
    const Settings& m_settings;
    Runtime& m_runtime;
};

}  // namespace cm
