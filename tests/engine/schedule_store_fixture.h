#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/date.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "engine/schedule_writer.h"
#include "engine/task_deleter.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace cm::test {

// A store in a fresh data folder with the task tables open, and a writer over them.
class ScheduleStoreFixture : public ::testing::Test {
protected:
    void SetUp() override { TestStore::open(m_dir.path(), {&schedule, &scripting, &links, &holidayTable}); }
    void TearDown() override { TestStore::close({&schedule, &scripting, &links, &holidayTable}); }

    static ScheduleRecord task(std::string type, int y, int m, int d, int hour = 9, int minute = 0) {
        ScheduleRecord r;
        r.taskType = "Run Program";
        r.description = "Back up the ledger";
        r.scheduleType = std::move(type);
        r.date = Date::fromYmd(y, m, d);
        r.time = Time::fromHms(hour, minute);
        r.message = "Use the blue disk.";
        return r;
    }

    std::int32_t addTask(const ScheduleRecord& r) {
        const std::int32_t id = ScheduleWriter::addScheduleWithNextId(schedule, r);
        EXPECT_NE(id, 0) << schedule.lastError().text;
        return id;
    }

    void addScriptItem(std::int32_t taskId, std::int32_t sequence, std::string keys) {
        scripting.clear();
        scripting.record().id = taskId;
        scripting.record().sequence = sequence;
        scripting.record().action = "Send Keystrokes";
        scripting.record().keyStrokes = std::move(keys);
        ASSERT_EQ(scripting.add(), 0) << scripting.lastError().text;
    }

    void addLink(std::int32_t taskId, std::int32_t clientId) {
        links.record() = {taskId, clientId};
        ASSERT_EQ(links.add(), 0) << links.lastError().text;
    }

    // Reads a task by ID into a copy; false when there is none.
    bool read(std::int32_t id, ScheduleRecord& out) {
        Table<ScheduleRecord> t(scheduleLayout(), "cm97\\!s");
        if (t.open() != 0) return false;
        t.record().id = id;
        if (t.get(t.keyIndex("SCH:KeyID")) != 0) return false;
        out = t.record();
        return true;
    }

    std::vector<ScheduleRecord> allTasks() {
        std::vector<ScheduleRecord> out;
        Table<ScheduleRecord> t(scheduleLayout(), "cm97\\!s");
        EXPECT_EQ(t.open(), 0);
        t.set(t.keyIndex("SCH:KeyID"));
        while (t.next() == 0) out.push_back(t.record());
        return out;
    }

    std::vector<std::string> scriptOf(std::int32_t taskId) {
        std::vector<std::string> out;
        Table<ScriptingRecord> t(scriptingLayout(), "CM97\\!Script");
        EXPECT_EQ(t.open(), 0);
        t.record().id = taskId;
        t.setFrom(t.keyIndex("SCR:KeyID"));
        while (t.next() == 0 && t.record().id == taskId)
            out.push_back(std::to_string(t.record().sequence) + ":" + t.record().keyStrokes);
        return out;
    }

    std::int64_t linkCount() { return links.records(); }

    TempDir m_dir;
    Table<ScheduleRecord> schedule{scheduleLayout(), "cm97\\!s"};
    Table<ScriptingRecord> scripting{scriptingLayout(), "CM97\\!Script"};
    Table<LinkRecord> links{linkLayout(), "CM97\\!Link"};
    Table<HolidayRecord> holidayTable{holidaysLayout(), "CM97\\!Hol"};
    StoreTaskDeleter deleter{schedule, scripting, links};
    StoreHolidayCalendar holidays{holidayTable};
    FakeClock clock{2026, 3, 2, 9, 0, 1};
    FakeRuntime runtime;
    ScheduleWriter writer{schedule, scripting, deleter, holidays, clock, runtime};
};

}  // namespace cm::test
