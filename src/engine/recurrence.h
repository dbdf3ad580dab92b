#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/date.h"
#include "base/moment.h"
#include "store/tables/schedule_record.h"

namespace cm {

class HolidayCalendar;
class Runtime;

// What applying a task's exceptions decided. The task itself has been changed in place.
struct ExceptionOutcome {
    // An exception changed the task: it must be written (ApplyExceptions' result 1).
    bool changed = false;
    // "Next Day"/"Previous Day": the one-time copy on the shifted date, to be added under a new
    // ID (with a copy of the task's script) and linked from the task's SCH:ExceptionLink.
    std::optional<ScheduleRecord> oneTimeCopy;
    // The copy the task linked before, which a save from the task form deletes.
    std::int32_t previousCopy = 0;
};

// When a task runs next: the schedule types, their next occurrence and the exceptions that move
// or skip it. Pure logic on a record; the store-facing steps are in ScheduleWriter.
class Recurrence {
public:
    enum class Kind { Once, DayOfWeek, DayOfMonth, Monthly, Yearly, Custom };
    enum class Unit { Minute, Hour, Day, Week, Month, Year, Invalid };

    static constexpr std::int32_t kMinutesPerDay = 1440;
    static constexpr std::int32_t kHoursPerDay = 24;
    // The longest move of an occurrence off exception days, and the longest search for an
    // occurrence outside the excluded time window.
    static constexpr std::int32_t kShiftLimitDays = 10000;
    static constexpr int kTimeWindowLimit = 100;
    static constexpr std::string_view kOnce = "Once";
    static constexpr std::string_view kInvalidUnitsTitle = "Invalid Units";
    static constexpr std::string_view kInvalidUnitsText = "Custom repetition is not set up properly.  Select units.";

    explicit Recurrence(Runtime& runtime) : m_runtime(runtime) {}

    static Kind kindOf(const ScheduleRecord& task);
    static Unit unitOf(const ScheduleRecord& task);

    // DateFitsScheduleType; a date of 0 means the task's own date.
    static bool dateFitsScheduleType(const ScheduleRecord& task, std::int32_t date = Date::kNone);

    // NextOccurrence: moves SCH:Date (and for minute and hour steps SCH:Time) past the
    // reference; marks a "Once" task completed. Jumps over many steps at once where that
    // gives the same moment as stepping.
    void nextOccurrence(ScheduleRecord& task, Moment reference) const;

    // ApplyExceptions without the store: today is the day annual holidays roll up to.
    ExceptionOutcome applyExceptions(ScheduleRecord& task, HolidayCalendar& holidays, std::int32_t today) const;

private:
    // warned: the "Invalid Units" box has been shown during this operation; the time-window
    // search calls NextOccurrence up to a hundred times and must not show it each time.
    void nextOccurrence(ScheduleRecord& task, Moment reference, bool& warned) const;
    void nextCustom(ScheduleRecord& task, Moment reference, bool& warned) const;
    bool timeWindowStep(ScheduleRecord& task, bool& warned) const;
    void dayStep(ScheduleRecord& task, HolidayCalendar& holidays, std::int32_t today, ExceptionOutcome& out) const;

    Runtime& m_runtime;
};

}  // namespace cm
