#pragma once

#include <cstdint>

#include "store/table_handle.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"

namespace cm {

class Runtime;
class WarningReporter;

// The one way a task row leaves the store: its contact links, then its script steps, then the
// task, in one transaction. Forms, list windows and the program's own deletes (history
// expiry, the housekeeping clears, a finished "Once" task) all come through here, so a task
// that later gets the freed identifier never inherits another task's script or links.
// Results are those of RecordRules: 0 done, 1 failed (reported, rolled back).
class ScheduleCascade {
public:
    // Child tables are opened through TableUsage with the reporter's runtime.
    explicit ScheduleCascade(WarningReporter& reporter);
    // Uses these open handles for the child tables: no runtime is needed.
    ScheduleCascade(WarningReporter& reporter, Table<ScriptingRecord>& scripting, Table<LinkRecord>& links);

    // Deletes the current record of the handle.
    int deleteCurrent(Table<ScheduleRecord>& schedule);
    // Deletes the task with that ID, read into the handle's buffer. A task that is gone already
    // counts as deleted; rows still referring to its ID are removed all the same.
    int deleteId(Table<ScheduleRecord>& schedule, std::int32_t id);

private:
    WarningReporter& m_reporter;
    Table<ScriptingRecord>* m_scripting = nullptr;
    Table<LinkRecord>* m_links = nullptr;
};

// For code without a form: deletes the current task of the handle, showing any failure.
int deleteScheduleCascade(Table<ScheduleRecord>& schedule, Runtime& runtime);
// The same by ID with open child handles and no warnings shown; error receives the failure.
int deleteScheduleCascade(Table<ScheduleRecord>& schedule, Table<ScriptingRecord>& scripting, Table<LinkRecord>& links,
                          std::int32_t id, StoreError& error);

}  // namespace cm
