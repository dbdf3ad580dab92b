#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "schedule_store_fixture.h"

namespace cm::test {
namespace {

using ScheduleWriterTest = ScheduleStoreFixture;

std::int32_t ymd(int y, int m, int d) {
    return Date::fromYmd(y, m, d);
}
std::int32_t hm(int h, int m) {
    return Time::fromHms(h, m);
}

TEST_F(ScheduleWriterTest, AddScheduleWithNextIdNumbersAfterTheLastId) {
    ScheduleRecord t = task("Once", 2026, 3, 2);
    EXPECT_EQ(addTask(t), 1);
    EXPECT_EQ(schedule.record().id, 1);  // the copy is the current record
    t.id = 7;
    schedule.record() = t;
    ASSERT_EQ(schedule.add(), 0);
    t.id = 99;  // an image's own ID is replaced
    EXPECT_EQ(addTask(t), 8);
    ScheduleRecord stored;
    ASSERT_TRUE(read(8, stored));
    EXPECT_EQ(stored.message, "Use the blue disk.");
    EXPECT_EQ(stored.description, t.description);
}

TEST_F(ScheduleWriterTest, ARunMovesTheTaskAndWritesItsHistory) {
    ScheduleRecord t = task("Day of Week", 2026, 3, 2, 9, 0);
    t.monday = t.thursday = 1;
    t.advanceWarnDate = ymd(2026, 3, 1);
    t.advanceWarnTime = hm(17, 0);
    t.advanceWarned = 1;
    t.skipNextTime = 1;
    const std::int32_t id = addTask(t);
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    const DueMoment due = DueMoment::of(schedule.record());

    ASSERT_TRUE(writer.rescheduleAfterRun(due, false)) << writer.lastError().text;
    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, ymd(2026, 3, 5));
    EXPECT_EQ(moved.time, hm(9, 0));
    EXPECT_EQ(moved.advanceWarnDate, ymd(2026, 3, 4));  // the warning keeps its distance
    EXPECT_EQ(moved.advanceWarnTime, hm(17, 0));
    EXPECT_EQ(moved.advanceWarned, 0);
    EXPECT_EQ(moved.skipNextTime, 0);

    const std::vector<ScheduleRecord> all = allTasks();
    ASSERT_EQ(all.size(), 2u);
    const ScheduleRecord& history = all[1];
    EXPECT_EQ(history.id, id + 1);
    EXPECT_EQ(history.completed, 1);
    EXPECT_EQ(history.disabled, 1);
    EXPECT_EQ(history.date, ymd(2026, 3, 2));
    EXPECT_EQ(history.time, hm(9, 0));
    EXPECT_EQ(history.advanceWarnDate, ymd(2026, 3, 1));
    EXPECT_EQ(history.advanceWarnTime, hm(17, 0));
    // Warned already, so the advance-warning check never warns about the run that just happened.
    EXPECT_EQ(history.advanceWarned, 1);
    EXPECT_EQ(history.description, "Back up the ledger");
    EXPECT_EQ(history.message, "Use the blue disk.");
}

TEST_F(ScheduleWriterTest, ASkippedRunIsMarkedInItsHistory) {
    ScheduleRecord t = task("Custom", 2026, 3, 1, 9, 0);
    t.every = 1;
    t.everyType = "day(s)";
    t.skipIfMissed = 1;
    t.description = std::string(36, 'D');
    const std::int32_t id = addTask(t);
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ASSERT_TRUE(writer.rescheduleAfterRun(DueMoment::of(schedule.record()), true));

    ScheduleRecord moved;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, ymd(2026, 3, 3));  // past today, not only past its own day
    ScheduleRecord history;
    ASSERT_TRUE(read(id + 1, history));
    EXPECT_EQ(history.description, "(Skipped) " + std::string(30, 'D'));
    EXPECT_EQ(history.date, ymd(2026, 3, 1));
}

TEST_F(ScheduleWriterTest, AFinishedOnceTaskGoesWithItsScriptAndLinks) {
    const std::int32_t other = addTask(task("Monthly", 2026, 4, 1));
    addScriptItem(other, 1, "kept");
    addLink(other, 5);
    for (bool noHistory : {false, true}) {
        SCOPED_TRACE(noHistory ? "no history" : "history");
        ScheduleRecord t = task("Once", 2026, 3, 2);
        t.noHistory = noHistory;
        const std::int32_t id = addTask(t);
        addScriptItem(id, 1, "a");
        addScriptItem(id, 2, "b");
        addLink(id, 5);
        addLink(id, 6);
        const std::size_t before = allTasks().size();

        schedule.record().id = id;
        ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
        ASSERT_TRUE(writer.rescheduleAfterRun(DueMoment::of(schedule.record()), false)) << writer.lastError().text;
        EXPECT_TRUE(scriptOf(id).empty());
        EXPECT_EQ(linkCount(), 1);
        const std::vector<ScheduleRecord> all = allTasks();
        ASSERT_EQ(all.size(), before - (noHistory ? 1 : 0));
        // Only history is left beside the other task; it may have taken the freed ID.
        for (const ScheduleRecord& r : all) {
            if (r.id != other) {
                EXPECT_EQ(r.completed, 1) << r.id;
            }
        }
        if (!noHistory) {
            EXPECT_EQ(all.back().date, ymd(2026, 3, 2));
        }
    }
    EXPECT_EQ(scriptOf(other), std::vector<std::string>{"1:kept"});
}

TEST_F(ScheduleWriterTest, AnExceptionCopyMadeByARescheduleIsLinkedFromTask) {
    ScheduleRecord t = task("Monthly", 2026, 4, 2);  // its next date, 2 May 2026, is a Saturday
    t.exceptWeekends = 1;
    t.shiftType = "Previous Day";
    const std::int32_t id = addTask(t);
    addScriptItem(id, 1, "go");
    clock.set(Moment{ymd(2026, 4, 2), hm(9, 0) + Time::kOneSecond});
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ASSERT_TRUE(writer.rescheduleAfterRun(DueMoment::of(schedule.record()), false)) << writer.lastError().text;

    ScheduleRecord moved, copy, history;
    ASSERT_TRUE(read(id, moved));
    EXPECT_EQ(moved.date, ymd(2026, 5, 2));
    EXPECT_EQ(moved.skipNextTime, 1);
    ASSERT_TRUE(read(moved.exceptionLink, copy));
    EXPECT_EQ(copy.date, ymd(2026, 5, 1));
    EXPECT_EQ(scriptOf(copy.id), std::vector<std::string>{"1:go"});
    ASSERT_TRUE(read(copy.id + 1, history));
    EXPECT_EQ(history.completed, 1);
    EXPECT_EQ(history.date, ymd(2026, 4, 2));
}

// Another process holding the store's write lock makes every write fail for the moment.
class StoreLock {
public:
    explicit StoreLock(const std::filesystem::path& file) {
        sqlite3_open(file.c_str(), &m_db);
        sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~StoreLock() { release(); }
    void release() {
        if (m_db == nullptr) return;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3* m_db = nullptr;
};

TEST_F(ScheduleWriterTest, AFailedWriteIsRetriedAndNeverFiresTwice) {
    ScheduleRecord t = task("Custom", 2026, 3, 2, 9, 0);
    t.every = 1;
    t.everyType = "day(s)";
    const std::int32_t id = addTask(t);
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);

    StoreLock lock(m_dir / "CM97.TPS");
    EXPECT_FALSE(writer.rescheduleAfterRun(DueMoment::of(schedule.record()), false));
    EXPECT_EQ(writer.lastError().code, StoreCode::kFileLocked);
    EXPECT_TRUE(writer.awaitsWrite(id));
    EXPECT_EQ(schedule.record().date, ymd(2026, 3, 3));  // the moved moment is kept
    lock.release();

    ScheduleRecord stale;
    ASSERT_TRUE(read(id, stale));
    EXPECT_EQ(stale.date, ymd(2026, 3, 2));
    clock.set(Moment{ymd(2026, 3, 2), hm(9, 5)});  // a later tick: the clock has moved on
    ASSERT_TRUE(writer.retryPending()) << writer.lastError().text;
    EXPECT_FALSE(writer.awaitsWrite(id));
    EXPECT_EQ(writer.pendingCount(), 0u);

    const std::vector<ScheduleRecord> all = allTasks();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].date, ymd(2026, 3, 3));
    EXPECT_EQ(all[1].completed, 1);
    EXPECT_EQ(all[1].date, ymd(2026, 3, 2));
}

// A deleter that cannot delete yet: the Once task stays pending until it can.
class RefusingDeleter final : public TaskDeleter {
public:
    explicit RefusingDeleter(TaskDeleter& real) : m_real(real) {}
    bool deleteTask(const ScheduleRecord& task) override { return refuse ? false : m_real.deleteTask(task); }
    const StoreError& lastError() const override { return m_error; }
    bool refuse = true;

private:
    TaskDeleter& m_real;
    StoreError m_error = StoreError::make(StoreCode::kFileLocked, "locked");
};

TEST_F(ScheduleWriterTest, AOnceTaskThatCannotBeDeletedYetIsRetried) {
    RefusingDeleter refusing(deleter);
    ScheduleWriter w(schedule, scripting, refusing, holidays, clock, runtime);
    const std::int32_t id = addTask(task("Once", 2026, 3, 2));
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    EXPECT_FALSE(w.rescheduleAfterRun(DueMoment::of(schedule.record()), false));
    EXPECT_TRUE(w.awaitsWrite(id));
    EXPECT_EQ(allTasks().size(), 1u);  // no history before the task is gone

    EXPECT_FALSE(w.retryPending());
    refusing.refuse = false;
    EXPECT_TRUE(w.retryPending());
    const std::vector<ScheduleRecord> all = allTasks();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].completed, 1);
    EXPECT_EQ(all[0].disabled, 1);
}

}  // namespace
}  // namespace cm::test
