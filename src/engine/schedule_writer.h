#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/recurrence.h"
#include "store/store_error.h"
#include "store/table_handle.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"

namespace cm {

class Clock;
class HolidayCalendar;
class TaskDeleter;

// A due task's moment and warning as they were when it fell due: what its history record keeps.
struct DueMoment {
    std::int32_t date = 0;
    std::int32_t time = 0;
    std::int32_t advanceWarnDate = 0;
    std::int32_t advanceWarnTime = 0;

    static DueMoment of(const ScheduleRecord& task) {
        return {task.date, task.time, task.advanceWarnDate, task.advanceWarnTime};
    }
};

// The recurrence operations that write the Schedule table: applying exceptions with their
// one-time copy, rescheduling a task after the monitor handled it, and adding copies of tasks
// under fresh identifiers. Works on the current record of the schedule handle.
class ScheduleWriter {
public:
    static constexpr std::string_view kSkippedPrefix = "(Skipped) ";
    static constexpr std::size_t kDescriptionWidth = 40;

    ScheduleWriter(Table<ScheduleRecord>& schedule, Table<ScriptingRecord>& scripting, TaskDeleter& deleter,
                   HolidayCalendar& holidays, const Clock& clock, Runtime& runtime);

    // AddScheduleWithNextId: adds the image (memo included) under the last SCH:ID + 1, or the
    // next free one after it; the added copy becomes the current record. Its ID, or 0 when the
    // add failed (the error is the handle's).
    static std::int32_t addScheduleWithNextId(Table<ScheduleRecord>& schedule, const ScheduleRecord& image);

    // ApplyExceptions on the current record. 1 when an exception changed the task: it has been
    // written, with a linked one-time copy for "Next Day"/"Previous Day" that carries a copy of
    // the task's script. 0 when nothing was written and the caller writes the record. A write
    // that fails gives 0 with lastError() set and the record as it was before the call.
    // deleteOldCopy (the task form's save) deletes the copy the task linked before.
    // On return the current record is the task as stored.
    int applyExceptions(bool deleteOldCopy);

    // RescheduleAfterRun for the due task in the current record: moves it past now (past the
    // start of today when a missed run is skipped), deletes a finished "Once" task through the
    // cascade, and adds the history record, written with SCH:AdvanceWarned = 1 so the warning
    // check never finds the occurrence that just ran. False when a write failed: the moved
    // task is then kept here and written by retryPending(), and awaitsWrite() tells the
    // monitor not to fire the task's stale row again meanwhile.
    bool rescheduleAfterRun(const DueMoment& saved, bool skipped);

    // Writes what earlier reschedules could not; true when nothing is left.
    bool retryPending();
    // The stored row of that task still shows an occurrence that has been handled.
    bool awaitsWrite(std::int32_t taskId) const;
    std::size_t pendingCount() const { return m_pending.size(); }

    const StoreError& lastError() const { return m_error; }
    const Recurrence& recurrence() const { return m_recurrence; }

private:
    // What one reschedule still has to write, in this order.
    struct Plan {
        std::int32_t taskId = 0;
        bool deleteTask = false;
        std::optional<ScheduleRecord> task;
        std::optional<ScheduleRecord> copy;
        std::optional<ScheduleRecord> history;
    };

    bool run(Plan& plan);
    // Writes the task, with its one-time copy and the copy's script in the same transaction.
    // copyId gets the copy's ID. A task no longer stored counts as written.
    bool storeTask(const ScheduleRecord& task, const std::optional<ScheduleRecord>& copy, std::int32_t& copyId);
    bool copyScript(std::int32_t fromId, std::int32_t toId);
    void deleteOldCopy(std::int32_t copyId, std::int32_t taskId);
    bool readTask(std::int32_t id);
    bool fail(const StoreError& error);

    Table<ScheduleRecord>& m_schedule;
    Table<ScriptingRecord>& m_scripting;
    TaskDeleter& m_deleter;
    HolidayCalendar& m_holidays;
    const Clock& m_clock;
    Recurrence m_recurrence;
    std::vector<Plan> m_pending;
    StoreError m_error;
};

}  // namespace cm
