#include "store/change_stamp.h"

#include "base/fixed_text.h"
#include "shell/clock.h"
#include "shell/settings.h"

namespace cm {

ChangeStamp::ChangeStamp(std::string_view networkUser, const Clock& clock)
    : m_networkUser(FixedText::cut(networkUser, kNetworkUserWidth)), m_clock(clock) {}

ChangeStamp::ChangeStamp(const Settings& settings, const Clock& clock) : ChangeStamp(settings.userId, clock) {}

template <class R>
void ChangeStamp::stampCommon(R& record) const {
    const Moment now = m_clock.current();
    record.networkUser = m_networkUser;
    record.lastChangeDate = now.date;
    record.lastChangeTime = now.time;
}

void ChangeStamp::apply(ScheduleRecord& task) const {
    stampCommon(task);
    if (task.originalId == 0) task.originalId = task.id;
}

void ChangeStamp::apply(ScriptingRecord& step) const {
    stampCommon(step);
    if (step.originalId == 0) step.originalId = step.id;
}

bool ChangeStamp::apply(Table<TodoRecord>& todo) const {
    stampCommon(todo.record());
    if (todo.record().originalId != 0) return true;
    const std::int64_t rows = todo.records();
    if (rows < 0) return false;
    todo.record().originalId = static_cast<std::int32_t>(rows);
    return true;
}

}  // namespace cm
