#include "engine/schedule_writer.h"

#include <algorithm>
#include <limits>

#include "base/fixed_text.h"
#include "engine/holiday_calendar.h"
#include "engine/task_deleter.h"
#include "shell/clock.h"
#include "store/transaction.h"

namespace cm {
namespace {

int keyId(const TableHandle& schedule) {
    return schedule.keyIndex("SCH:KeyID");
}

bool ok(const StoreError& error) {
    return error.ok() || error.code == StoreCode::kNoRecord;
}

// The old copy a form save removes must still be that copy: once it has run, its ID may have
// passed to its own history record (added after the copy was deleted) or to a new task.
bool isPendingCopyOf(const ScheduleRecord& candidate, const ScheduleRecord& task) {
    return Recurrence::kindOf(candidate) == Recurrence::Kind::Once && !candidate.completed &&
           (task.originalId == 0 || candidate.originalId == task.originalId);
}

}  // namespace

ScheduleWriter::ScheduleWriter(Table<ScheduleRecord>& schedule, Table<ScriptingRecord>& scripting, TaskDeleter& deleter,
                               HolidayCalendar& holidays, const Clock& clock, Runtime& runtime)
    : m_schedule(schedule),
      m_scripting(scripting),
      m_deleter(deleter),
      m_holidays(holidays),
      m_clock(clock),
      m_recurrence(runtime) {}

bool ScheduleWriter::fail(const StoreError& error) {
    m_error = error;
    return false;
}

std::int32_t ScheduleWriter::addScheduleWithNextId(Table<ScheduleRecord>& schedule, const ScheduleRecord& image) {
    const int key = keyId(schedule);
    std::int64_t last = 0;
    if (schedule.set(key) != StoreCode::kOk) return 0;
    if (schedule.previous() == StoreCode::kOk)
        last = schedule.record().id;
    else if (schedule.lastError().code != StoreCode::kNoRecord)
        return 0;
    schedule.record() = image;
    schedule.clearError();
    std::int64_t id = std::max<std::int64_t>(last, 0) + 1;
    for (;;) {
        if (id > std::numeric_limits<std::int32_t>::max()) {
            schedule.record() = image;
            return 0;
        }
        schedule.record().id = static_cast<std::int32_t>(id);
        if (!schedule.duplicateCheck(key)) break;
        ++id;
    }
    if (!schedule.lastError().ok()) return 0;
    return schedule.add() == StoreCode::kOk ? static_cast<std::int32_t>(id) : 0;
}

bool ScheduleWriter::readTask(std::int32_t id) {
    m_schedule.record().id = id;
    return m_schedule.get(keyId(m_schedule)) == StoreCode::kOk;
}

bool ScheduleWriter::copyScript(std::int32_t fromId, std::int32_t toId) {
    // No task holds the new ID yet, so rows with it are leftovers that must not join the copy.
    if (!deleteScriptOf(m_scripting, toId)) return false;
    std::vector<ScriptingRecord> items;
    m_scripting.clear();
    m_scripting.record().id = fromId;
    if (m_scripting.setFrom(m_scripting.keyIndex("SCR:KeyID")) != StoreCode::kOk) return false;
    while (m_scripting.next() == StoreCode::kOk && m_scripting.record().id == fromId)
        items.push_back(m_scripting.record());
    if (!ok(m_scripting.lastError())) return false;
    for (ScriptingRecord& item : items) {
        item.id = toId;
        m_scripting.record() = item;
        if (m_scripting.add() != StoreCode::kOk) return false;
    }
    return true;
}

bool ScheduleWriter::storeTask(const ScheduleRecord& task, const std::optional<ScheduleRecord>& copy,
                               std::int32_t& copyId) {
    copyId = 0;
    std::vector<TableHandle*> tables{&m_schedule};
    if (copy) tables.push_back(&m_scripting);
    Transaction transaction(tables);
    if (!transaction.begin()) return fail(transaction.lastError());
    if (!readTask(task.id)) {
        // Deleted meanwhile, by another window or station: there is nothing left to move.
        if (m_schedule.lastError().code == StoreCode::kNotFound) return true;
        return fail(m_schedule.lastError());
    }
    ScheduleRecord stored = task;
    std::int32_t added = 0;
    if (copy) {
        added = addScheduleWithNextId(m_schedule, *copy);
        if (added == 0) return fail(m_schedule.lastError());
        if (!copyScript(task.id, added)) return fail(m_scripting.lastError());
        stored.exceptionLink = added;
        if (!readTask(task.id)) return fail(m_schedule.lastError());
    }
    m_schedule.record() = stored;
    if (m_schedule.put() != StoreCode::kOk) return fail(m_schedule.lastError());
    if (!transaction.commit()) return fail(transaction.lastError());
    copyId = added;
    return true;
}

void ScheduleWriter::deleteOldCopy(std::int32_t copyId, std::int32_t taskId) {
    const ScheduleRecord task = m_schedule.record();
    if (readTask(copyId) && isPendingCopyOf(m_schedule.record(), task)) {
        const ScheduleRecord old = m_schedule.record();
        // A copy that cannot be deleted now stays; it runs once and goes as any "Once" task.
        m_deleter.deleteTask(old);
    }
    readTask(taskId);
}

int ScheduleWriter::applyExceptions(bool deleteOldCopy) {
    m_error.clear();
    const ScheduleRecord before = m_schedule.record();
    ScheduleRecord task = before;
    ExceptionOutcome out = m_recurrence.applyExceptions(task, m_holidays, m_clock.today());
    if (!out.changed) {
        m_schedule.record() = task;
        return 0;
    }
    std::int32_t copyId = 0;
    if (!storeTask(task, out.oneTimeCopy, copyId)) {
        readTask(before.id);
        m_schedule.record() = before;
        return 0;
    }
    readTask(task.id);
    if (deleteOldCopy && copyId != 0 && out.previousCopy != 0 && out.previousCopy != copyId)
        this->deleteOldCopy(out.previousCopy, task.id);
    return 1;
}

bool ScheduleWriter::rescheduleAfterRun(const DueMoment& saved, bool skipped) {
    m_error.clear();
    ScheduleRecord task = m_schedule.record();
    const Moment now = m_clock.current();

    const bool warns = task.advanceWarnDate != 0 || task.advanceWarnTime != 0;
    const std::int32_t warnDateOffset = task.advanceWarnDate != 0 ? task.advanceWarnDate - task.date : 0;
    const std::int32_t warnTimeOffset = task.advanceWarnTime != 0 ? task.advanceWarnTime - task.time : 0;

    const Moment reference = now.date > task.date && task.skipIfMissed ? Moment{now.date, 0} : now;
    m_recurrence.nextOccurrence(task, reference);

    Plan plan;
    plan.taskId = task.id;
    if (task.completed) {
        plan.deleteTask = true;
    } else {
        task.skipNextTime = 0;
        if (warns) {
            task.advanceWarnDate = task.date + warnDateOffset;
            task.advanceWarnTime = task.time + warnTimeOffset;
        }
        task.advanceWarned = 0;
        ExceptionOutcome out = m_recurrence.applyExceptions(task, m_holidays, now.date);
        plan.task = task;
        plan.copy = std::move(out.oneTimeCopy);
    }
    if (!task.noHistory) {
        ScheduleRecord history = task;
        history.completed = 1;
        history.disabled = 1;
        history.date = saved.date;
        history.time = saved.time;
        history.advanceWarnDate = saved.advanceWarnDate;
        history.advanceWarnTime = saved.advanceWarnTime;
        history.advanceWarned = 1;
        if (skipped)
            history.description = FixedText::cut(std::string(kSkippedPrefix) + history.description, kDescriptionWidth);
        plan.history = std::move(history);
    }

    m_pending.push_back(std::move(plan));
    if (run(m_pending.back())) {
        m_pending.pop_back();
        return true;
    }
    m_schedule.record() = task;
    return false;
}

bool ScheduleWriter::run(Plan& plan) {
    if (plan.deleteTask) {
        ScheduleRecord task;
        task.id = plan.taskId;
        if (!m_deleter.deleteTask(task)) return fail(m_deleter.lastError());
        plan.deleteTask = false;
    }
    if (plan.task) {
        std::int32_t copyId = 0;
        if (!storeTask(*plan.task, plan.copy, copyId)) return fail(m_error);
        if (plan.history && copyId != 0) plan.history->exceptionLink = copyId;
        plan.task.reset();
        plan.copy.reset();
    }
    if (plan.history) {
        if (addScheduleWithNextId(m_schedule, *plan.history) == 0) return fail(m_schedule.lastError());
        plan.history.reset();
    }
    return true;
}

bool ScheduleWriter::retryPending() {
    m_error.clear();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (!run(*it)) return false;
        it = m_pending.erase(it);
    }
    return true;
}

bool ScheduleWriter::awaitsWrite(std::int32_t taskId) const {
    return std::any_of(m_pending.begin(), m_pending.end(),
                       [&](const Plan& p) { return p.taskId == taskId && (p.deleteTask || p.task); });
}

}  // namespace cm
