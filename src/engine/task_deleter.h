#pragma once

#include "store/store_error.h"
#include "store/table_handle.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"

namespace cm {

// Deletes a task together with its script items and contact links, all or nothing.
class TaskDeleter {
public:
    virtual ~TaskDeleter() = default;
    // True when the task is gone, also when it was gone already.
    virtual bool deleteTask(const ScheduleRecord& task) = 0;
    virtual const StoreError& lastError() const = 0;
};

// The cascade straight on the store: Link rows with L:ID, Scripting rows with SCR:ID, then the
// task, in one transaction. The handles must be open; the schedule handle's buffer is used.
class StoreTaskDeleter final : public TaskDeleter {
public:
    StoreTaskDeleter(Table<ScheduleRecord>& schedule, Table<ScriptingRecord>& scripting, Table<LinkRecord>& links)
        : m_schedule(schedule), m_scripting(scripting), m_links(links) {}

    bool deleteTask(const ScheduleRecord& task) override;
    const StoreError& lastError() const override { return m_error; }

private:
    bool fail(const StoreError& error);

    Table<ScheduleRecord>& m_schedule;
    Table<ScriptingRecord>& m_scripting;
    Table<LinkRecord>& m_links;
    StoreError m_error;
};

// Deletes the script items of one task ID; the caller frames it in a transaction.
bool deleteScriptOf(Table<ScriptingRecord>& scripting, std::int32_t taskId);

}  // namespace cm
