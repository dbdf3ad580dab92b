#include "engine/history_expiry.h"

#include <string>
#include <vector>

#include "engine/event_log.h"
#include "engine/task_deleter.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "store/store_error.h"

namespace cm {

HistoryExpiry::HistoryExpiry(Table<ScheduleRecord>& schedule, TaskDeleter& deleter, Runtime& runtime,
                             const Clock& clock, const Settings& settings, EventLog& log)
    : m_schedule(schedule), m_deleter(deleter), m_runtime(runtime), m_clock(clock), m_settings(settings), m_log(log) {}

void HistoryExpiry::report(std::string_view errorText) {
    MessageBoxRequest box;
    box.text = std::string(errorText) + std::string(kFailureText);
    box.title = kFailureTitle;
    box.icon = MessageIcon::Exclamation;
    box.owner = Owner::Frame;
    m_runtime.messageBox(box);
}

bool HistoryExpiry::run() {
    // A negative number of days would remove every history record at once; only the options
    // window sets it, and it keeps it in range, so anything below 1 means "never".
    if (m_settings.historyExpires <= 0) return false;
    const std::int32_t today = m_clock.today();
    if (today == m_lastCheckDay) return false;
    m_lastCheckDay = today;

    // The deleter uses this handle's buffer, so the walk collects first and deletes after.
    std::vector<ScheduleRecord> expired;
    m_schedule.clear();
    m_schedule.record().disabled = 1;
    bool readFailed = m_schedule.setFrom(m_schedule.keyIndex("SCH:KeyDateEnabled")) != StoreCode::kOk;
    while (!readFailed && m_schedule.next() == StoreCode::kOk) {
        const ScheduleRecord& task = m_schedule.record();
        if (today >= task.date + m_settings.historyExpires && (task.completed || m_settings.removeUncompleted)) {
            ScheduleRecord key;
            key.id = task.id;
            expired.push_back(key);
        }
    }
    readFailed = readFailed || m_schedule.lastError().code != StoreCode::kNoRecord;
    const std::string readError = m_schedule.lastError().text;
    m_schedule.clearError();

    for (const ScheduleRecord& task : expired)
        if (!m_deleter.deleteTask(task)) report(m_deleter.lastError().text);
    if (readFailed) {
        report(readError);
        return !expired.empty();
    }
    m_log.logEvent(kEvent, kEventText);
    return true;
}

}  // namespace cm
