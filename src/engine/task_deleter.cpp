#include "engine/task_deleter.h"

#include "store/schedule_cascade.h"

namespace cm {

bool deleteScriptOf(Table<ScriptingRecord>& scripting, std::int32_t taskId) {
    scripting.clear();
    scripting.record().id = taskId;
    if (scripting.setFrom(scripting.keyIndex("SCR:KeyID")) != StoreCode::kOk) return false;
    while (scripting.next() == StoreCode::kOk && scripting.record().id == taskId)
        if (scripting.erase() != StoreCode::kOk) return false;
    return scripting.lastError().ok() || scripting.lastError().code == StoreCode::kNoRecord;
}

bool StoreTaskDeleter::fail(const StoreError& error) {
    m_error = error;
    return false;
}

// The store's cascade does the work, so the monitor's deletes and the forms' deletes are one.
bool StoreTaskDeleter::deleteTask(const ScheduleRecord& task) {
    m_error.clear();
    StoreError error;
    if (deleteScheduleCascade(m_schedule, m_scripting, m_links, task.id, error) != 0) return fail(error);
    return true;
}

}  // namespace cm
