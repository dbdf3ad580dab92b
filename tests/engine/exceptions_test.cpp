#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "engine/recurrence.h"
#include "schedule_store_fixture.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

std::int32_t ymd(int y, int m, int d) {
    return Date::fromYmd(y, m, d);
}
std::int32_t hm(int h, int m) {
    return Time::fromHms(h, m);
}

// A task that has just been moved to its date; applying exceptions is the next step.
ScheduleRecord monthlyOn(std::int32_t date) {
    ScheduleRecord r;
    r.scheduleType = "Monthly";
    r.date = date;
    r.time = hm(9, 0);
    return r;
}

class ExceptionDays : public ::testing::Test {
protected:
    FakeRuntime runtime;
    Recurrence recurrence{runtime};
    MemoryHolidayCalendar holidays;
    std::int32_t today = ymd(2026, 3, 1);
};

struct DayCase {
    const char* name;
    std::int32_t date;
    const char* shiftType;
    bool weekends, weekdays, exceptHolidays;
    bool changed;
    std::optional<std::int32_t> copyDate;
};

TEST_F(ExceptionDays, ExceptionDaysSkipOrShiftTheOccurrence) {
    holidays.add({ymd(2026, 5, 4), "Bank holiday", 0});  // a Monday
    holidays.add({ymd(2026, 5, 1), "May Day", 0});       // a Friday
    const DayCase cases[] = {
        {"weekday, not excepted", ymd(2026, 5, 6), "Next Day", true, false, false, false, {}},
        {"Saturday skipped", ymd(2026, 5, 2), "Skip (to Next Valid", true, false, false, true, {}},
        {"blank shift skips", ymd(2026, 5, 2), "", true, false, false, true, {}},
        {"Saturday to Tuesday past the holiday Monday", ymd(2026, 5, 2), "Next Day", true, false, true, true,
         ymd(2026, 5, 5)},
        {"Sunday back to Thursday before the holiday Friday", ymd(2026, 5, 3), "Previous Day", true, false, true, true,
         ymd(2026, 4, 30)},
        {"holiday alone", ymd(2026, 5, 4), "Next Day", false, false, true, true, ymd(2026, 5, 5)},
        {"weekdays excepted: Wednesday to Saturday", ymd(2026, 5, 6), "Next Day", false, true, false, true,
         ymd(2026, 5, 9)},
        {"weekdays excepted: Monday back to Sunday", ymd(2026, 5, 4), "Previous Day", false, true, false, true,
         ymd(2026, 5, 3)},
        {"both set: weekdays dropped, Monday runs", ymd(2026, 5, 11), "Next Day", true, true, false, false, {}},
        {"both set: Sunday to Monday", ymd(2026, 5, 10), "Next Day", true, true, false, true, ymd(2026, 5, 11)},
    };
    for (const DayCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScheduleRecord task = monthlyOn(c.date);
        task.shiftType = c.shiftType;
        task.exceptWeekends = c.weekends;
        task.exceptWeekdays = c.weekdays;
        task.exceptHolidays = c.exceptHolidays;
        task.exceptionLink = 41;
        const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, today);
        EXPECT_EQ(out.changed, c.changed);
        EXPECT_EQ(task.date, c.date);  // the task itself never moves off its date
        EXPECT_EQ(task.skipNextTime, c.changed ? 1 : 0);
        if (c.weekends) {
            EXPECT_EQ(task.exceptWeekdays, 0);
        }
        ASSERT_EQ(out.oneTimeCopy.has_value(), c.copyDate.has_value());
        if (c.copyDate) {
            EXPECT_EQ(out.oneTimeCopy->date, *c.copyDate);
            EXPECT_EQ(out.previousCopy, 41);
        }
    }
}

TEST_F(ExceptionDays, TheOneTimeCopyRunsOnceWithTheTasksSettings) {
    ScheduleRecord task = monthlyOn(ymd(2026, 5, 2));
    task.description = "Pay rent";
    task.message = "Standing order";
    task.shiftType = "Next Day";
    task.exceptWeekends = 1;
    task.exceptionLink = 12;
    const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, today);
    ASSERT_TRUE(out.oneTimeCopy);
    const ScheduleRecord& copy = *out.oneTimeCopy;
    EXPECT_EQ(copy.scheduleType, "Once");
    EXPECT_EQ(copy.exceptionLink, 0);
    EXPECT_EQ(copy.skipNextTime, 0);  // the value before the skip was set on the task
    EXPECT_EQ(copy.date, ymd(2026, 5, 4));
    EXPECT_EQ(copy.time, task.time);
    EXPECT_EQ(copy.description, "Pay rent");
    EXPECT_EQ(copy.message, "Standing order");
    EXPECT_EQ(task.scheduleType, "Monthly");
    EXPECT_EQ(task.exceptionLink, 12);  // the writer links the new copy once it has an ID
}

TEST_F(ExceptionDays, AnnualHolidaysRollForwardBeforeTheTest) {
    holidays.add({ymd(2025, 5, 4), "Annual", 1});
    holidays.add({ymd(2023, 5, 11), "Three years ago", 1});
    holidays.add({ymd(2025, 5, 18), "Once only", 0});
    holidays.add({ymd(2024, 2, 29), "Leap day", 1});
    for (std::int32_t date : {ymd(2026, 5, 4), ymd(2026, 5, 11)}) {
        ScheduleRecord task = monthlyOn(date);
        task.exceptHolidays = 1;
        task.shiftType = "Skip";
        EXPECT_TRUE(recurrence.applyExceptions(task, holidays, today).changed) << Date::day(date);
    }
    ScheduleRecord notRolled = monthlyOn(ymd(2026, 5, 18));
    notRolled.exceptHolidays = 1;
    EXPECT_FALSE(recurrence.applyExceptions(notRolled, holidays, today).changed);

    std::vector<std::int32_t> dates;
    for (const HolidayRecord& h : holidays.rows()) dates.push_back(h.holidayDate);
    EXPECT_EQ(dates, (std::vector<std::int32_t>{ymd(2025, 5, 18), ymd(2026, 3, 1), ymd(2026, 5, 4), ymd(2026, 5, 11)}));
}

TEST_F(ExceptionDays, TheStoreCalendarRollsTheTableTheSameWay) {
    TempDir dir;
    StoreFiles::setDataFolder(dir.path());
    {
        Table<HolidayRecord> table(holidaysLayout(), "CM97\\!Hol");
        ASSERT_EQ(table.create(), 0);
        ASSERT_EQ(table.open(), 0);
        for (const HolidayRecord& h :
             {HolidayRecord{ymd(2023, 5, 11), "Three years ago", 1}, HolidayRecord{ymd(2025, 5, 18), "Once only", 0},
              HolidayRecord{ymd(2025, 12, 25), "Christmas", 1}, HolidayRecord{ymd(2026, 12, 25), "Christmas", 0},
              HolidayRecord{ymd(2026, 7, 4), "Later", 1}}) {
            table.record() = h;
            ASSERT_EQ(table.add(), 0);
        }
        StoreHolidayCalendar calendar(table);
        calendar.rollAnnual(today);
        EXPECT_TRUE(calendar.isHoliday(ymd(2026, 5, 11)));
        EXPECT_FALSE(calendar.isHoliday(ymd(2023, 5, 11)));
        EXPECT_TRUE(calendar.isHoliday(ymd(2025, 5, 18)));
        EXPECT_TRUE(calendar.isHoliday(ymd(2025, 12, 25)));  // next year's date was taken
        EXPECT_TRUE(calendar.isHoliday(ymd(2026, 7, 4)));
        table.close();
    }
    StoreConnection::closeIdle();
    StoreFiles::setDataFolder({});
}

// Every day a holiday: the shift gives up after 10,000 days instead of looping for ever.
class AlwaysHoliday final : public HolidayCalendar {
public:
    void rollAnnual(std::int32_t) override {}
    bool isHoliday(std::int32_t) override { return true; }
};

TEST_F(ExceptionDays, TheShiftStopsAfterTenThousandDays) {
    AlwaysHoliday always;
    ScheduleRecord task = monthlyOn(ymd(2026, 5, 4));
    task.exceptHolidays = 1;
    task.shiftType = "Next Day";
    const ExceptionOutcome out = recurrence.applyExceptions(task, always, today);
    ASSERT_TRUE(out.oneTimeCopy);
    EXPECT_EQ(out.oneTimeCopy->date - task.date, Recurrence::kShiftLimitDays + 1);
}

TEST_F(ExceptionDays, AOnceTaskLosesItsExceptionSettings) {
    ScheduleRecord task = monthlyOn(ymd(2026, 5, 2));
    task.scheduleType = "Once";
    task.exceptWeekends = task.exceptWeekdays = task.exceptHolidays = task.exceptTime = 1;
    task.exceptTimeBegin = hm(8, 0);
    task.exceptTimeEnd = hm(9, 30);
    task.exceptOther = "x";
    task.shiftType = "Next Day";
    const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, today);
    EXPECT_FALSE(out.changed);
    EXPECT_FALSE(out.oneTimeCopy);
    EXPECT_EQ(task.exceptWeekends + task.exceptWeekdays + task.exceptHolidays + task.exceptTime, 0);
    EXPECT_EQ(task.exceptTimeBegin, 0);
    EXPECT_EQ(task.exceptTimeEnd, 0);
    EXPECT_EQ(task.exceptOther, "");
    EXPECT_EQ(task.date, ymd(2026, 5, 2));
}

struct WindowCase {
    const char* name;
    const char* scheduleType;
    const char* everyType;
    std::int32_t every;
    std::int32_t time;
    std::int32_t begin, end;
    std::int32_t wantDate, wantTime;
    bool changed;
};

TEST_F(ExceptionDays, TheTimeWindowMovesOccurrencesToItsEnd) {
    const std::int32_t day = ymd(2026, 3, 2);
    const WindowCase cases[] = {
        {"daily, inside", "Custom", "day(s)", 1, hm(12, 30), hm(12, 0), hm(13, 0), day + 1, hm(13, 0), true},
        {"daily, at the window's start", "Custom", "day(s)", 1, hm(12, 0), hm(12, 0), hm(13, 0), day + 1, hm(13, 0),
         true},
        {"daily, at the window's end: outside", "Custom", "day(s)", 1, hm(13, 0), hm(12, 0), hm(13, 0), day, hm(13, 0),
         false},
        {"daily, before", "Custom", "day(s)", 1, hm(11, 59), hm(12, 0), hm(13, 0), day, hm(11, 59), false},
        {"end 0 is the end of the day", "Custom", "day(s)", 1, hm(22, 0), hm(21, 0), 0, day + 1, Time::kOneDay, true},
        {"weekly", "Custom", "week(s)", 1, hm(12, 30), hm(12, 0), hm(13, 0), day + 7, hm(13, 0), true},
        {"monthly", "Monthly", "", 0, hm(12, 30), hm(12, 0), hm(13, 0), ymd(2026, 4, 2), hm(13, 0), true},
        {"minutes: the same day", "Custom", "minute(s)", 15, hm(12, 30), hm(12, 0), hm(13, 0), day, hm(13, 0), true},
        {"hours: the same day", "Custom", "hour(s)", 2, hm(12, 30), hm(12, 0), hm(13, 0), day, hm(13, 0), true},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScheduleRecord task;
        task.scheduleType = c.scheduleType;
        task.everyType = c.everyType;
        task.every = c.every;
        task.date = day;
        task.time = c.time;
        task.exceptTime = 1;
        task.exceptTimeBegin = c.begin;
        task.exceptTimeEnd = c.end;
        const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, today);
        EXPECT_EQ(out.changed, c.changed);
        EXPECT_EQ(task.date, c.wantDate);
        EXPECT_EQ(task.time, c.wantTime);
        EXPECT_EQ(task.skipNextTime, 0);
    }
}

TEST_F(ExceptionDays, TheWindowRunsBeforeTheDayStep) {
    // Daily at 12:30, next due on a Saturday: the window moves it on to Sunday 13:00, which the
    // weekend exception then skips, with a copy on Monday at 13:00.
    ScheduleRecord task;
    task.scheduleType = "Custom";
    task.everyType = "day(s)";
    task.every = 1;
    task.date = ymd(2026, 3, 7);  // Saturday: the next occurrence after Friday's run
    task.time = hm(12, 30);
    task.exceptTime = 1;
    task.exceptTimeBegin = hm(12, 0);
    task.exceptTimeEnd = hm(13, 0);
    task.exceptWeekends = 1;
    task.shiftType = "Next Day";
    const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, today);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(task.date, ymd(2026, 3, 8));
    EXPECT_EQ(task.time, hm(13, 0));
    EXPECT_EQ(task.skipNextTime, 1);
    ASSERT_TRUE(out.oneTimeCopy);
    EXPECT_EQ(out.oneTimeCopy->date, ymd(2026, 3, 9));
    EXPECT_EQ(out.oneTimeCopy->time, hm(13, 0));
}

// The one-time copy in the store: linked from the task, with its own copy of the script.
using ExceptionCopies = ScheduleStoreFixture;

TEST_F(ExceptionCopies, TheCopyIsLinkedAndCarriesTheScript) {
    ScheduleRecord t = task("Monthly", 2026, 5, 2);  // a Saturday
    t.exceptWeekends = 1;
    t.shiftType = "Next Day";
    const std::int32_t id = addTask(t);
    addScriptItem(id, 1, "{Alt}f");
    addScriptItem(id, 2, "x");
    addTask(task("Day of Week", 2026, 5, 5));  // another task, another script
    addScriptItem(id + 1, 1, "other");

    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ASSERT_EQ(writer.applyExceptions(false), 1) << writer.lastError().text;
    EXPECT_EQ(schedule.record().id, id);  // the task is the current record again

    ScheduleRecord stored;
    ASSERT_TRUE(read(id, stored));
    EXPECT_EQ(stored.skipNextTime, 1);
    EXPECT_EQ(stored.date, Date::fromYmd(2026, 5, 2));
    ScheduleRecord copy;
    ASSERT_TRUE(read(stored.exceptionLink, copy));
    EXPECT_EQ(stored.exceptionLink, id + 2);
    EXPECT_EQ(copy.scheduleType, "Once");
    EXPECT_EQ(copy.date, Date::fromYmd(2026, 5, 4));
    EXPECT_EQ(copy.message, t.message);
    EXPECT_EQ(scriptOf(copy.id), (std::vector<std::string>{"1:{Alt}f", "2:x"}));
    EXPECT_EQ(scriptOf(id), (std::vector<std::string>{"1:{Alt}f", "2:x"}));
}

TEST_F(ExceptionCopies, SavingFromTheFormReplacesTheOldCopy) {
    ScheduleRecord t = task("Monthly", 2026, 5, 2);
    t.exceptWeekends = 1;
    t.shiftType = "Next Day";
    const std::int32_t id = addTask(t);
    addScriptItem(id, 1, "keys");
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ASSERT_EQ(writer.applyExceptions(true), 1);
    const std::int32_t first = schedule.record().exceptionLink;

    schedule.record().date = Date::fromYmd(2026, 5, 9);  // the user moves it to the next Saturday
    ASSERT_EQ(writer.applyExceptions(true), 1);
    const std::int32_t second = schedule.record().exceptionLink;
    ScheduleRecord gone;
    EXPECT_FALSE(read(first, gone));
    EXPECT_TRUE(scriptOf(first).empty());
    ScheduleRecord copy;
    ASSERT_TRUE(read(second, copy));
    EXPECT_EQ(copy.date, Date::fromYmd(2026, 5, 11));

    // Automatic rescheduling leaves the old copy alone.
    schedule.record().date = Date::fromYmd(2026, 5, 16);
    ASSERT_EQ(writer.applyExceptions(false), 1);
    EXPECT_TRUE(read(second, copy));
}

TEST_F(ExceptionCopies, AHistoryRecordThatTookTheOldCopysIdIsKept) {
    ScheduleRecord t = task("Monthly", 2026, 5, 2);
    t.exceptWeekends = 1;
    t.shiftType = "Next Day";
    t.exceptionLink = 2;  // its earlier copy ran, was deleted and its history took ID 2
    const std::int32_t id = addTask(t);
    ScheduleRecord history = task("Once", 2026, 4, 6);
    history.completed = history.disabled = 1;
    ASSERT_EQ(addTask(history), 2);

    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ASSERT_EQ(writer.applyExceptions(true), 1);
    ScheduleRecord kept;
    EXPECT_TRUE(read(2, kept));
}

}  // namespace
}  // namespace cm::test
