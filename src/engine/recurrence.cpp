#include "engine/recurrence.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "base/fixed_text.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "shell/runtime.h"

namespace cm {
namespace {

using Flag = std::uint8_t ScheduleRecord::*;
constexpr Flag kWeekdayFlags[7] = {&ScheduleRecord::sunday,    &ScheduleRecord::monday,   &ScheduleRecord::tuesday,
                                   &ScheduleRecord::wednesday, &ScheduleRecord::thursday, &ScheduleRecord::friday,
                                   &ScheduleRecord::saturday};

bool weekdayFlag(const ScheduleRecord& task, std::int32_t date) {
    return task.*kWeekdayFlags[Date::weekday(date)] != 0;
}

bool anyWeekdayFlag(const ScheduleRecord& task) {
    return std::any_of(std::begin(kWeekdayFlags), std::end(kWeekdayFlags), [&](Flag f) { return task.*f != 0; });
}

bool anyOrdinalFlag(const ScheduleRecord& task) {
    return task.every1st || task.every2nd || task.every3rd || task.every4th || task.everyLast;
}

// Days 1-7 are the first band, 8-14 the second, 15-21 the third, 22-28 the fourth; 29-31 none.
int bandOf(std::int32_t date) {
    const int day = Date::day(date);
    return day <= 28 ? (day - 1) / 7 + 1 : 0;
}

bool inLastWeek(std::int32_t date) {
    return Date::month(date + 7) != Date::month(date);
}

bool ordinalFits(const ScheduleRecord& task, std::int32_t date) {
    const std::uint8_t byBand[] = {0, task.every1st, task.every2nd, task.every3rd, task.every4th};
    return byBand[bandOf(date)] || (task.everyLast && inLastWeek(date));
}

// One advance of "Day of Week" and "Day of Month": to the next selected weekday after the date,
// or the next day when no weekday is selected.
std::int32_t nextSelectedDay(const ScheduleRecord& task, std::int32_t after) {
    if (!anyWeekdayFlag(task)) return after + 1;
    std::int32_t d = after + 1;
    while (!weekdayFlag(task, d)) ++d;
    return d;
}

bool isWeekend(std::int32_t date) {
    const int w = Date::weekday(date);
    return w == 0 || w == 6;
}

// Day 0 ("no date") is 28 December 1800 to the calendar arithmetic, as it always was.
YearMonthDay ymdOf(std::int32_t date) {
    return date == Date::kNone ? YearMonthDay{1800, 12, 28} : Date::toYmd(date);
}

// A date built from month, day and year, rolling over as the program's dates do. A year past
// the supported range gives the last supported day, so a task stepped beyond it never falls
// due again instead of looking overdue with no date.
std::int32_t buildDate(std::int64_t month, int day, std::int64_t year) {
    const std::int64_t months = year * 12 + (month - 1);
    const std::int64_t y = months / 12;
    if (y > Date::kMaxYear) return Date::lastSupported();
    const std::int32_t d = Date::build(static_cast<int>(months % 12) + 1, day, static_cast<int>(y));
    return d == Date::kNone ? Date::lastSupported() : d;
}

std::int32_t clampDate(std::int64_t date) {
    return date > Date::lastSupported() ? Date::lastSupported() : static_cast<std::int32_t>(date);
}

std::int64_t absoluteHundredths(const Moment& m) {
    return static_cast<std::int64_t>(m.date) * Time::kOneDay + m.time;
}

// A minute or hour step: N above the units of a day adds whole days and the rest to the time;
// up to a day's worth it all goes to the time. The time is then carried into the date.
Moment stepMoment(Moment m, std::int64_t n, std::int64_t perDay, std::int64_t unit) {
    std::int64_t date = m.date;
    std::int64_t time = m.time;
    if (n > perDay) {
        date += n / perDay;
        time += (n % perDay) * unit;
    } else {
        time += n * unit;
    }
    return Moment{static_cast<std::int32_t>(date), static_cast<std::int32_t>(time)}.normalized();
}

}  // namespace

Recurrence::Kind Recurrence::kindOf(const ScheduleRecord& task) {
    const std::string_view type = task.scheduleType;
    if (FixedText::equal(type, kOnce)) return Kind::Once;
    if (FixedText::equal(type, "Monthly")) return Kind::Monthly;
    if (FixedText::equal(type, "Yearly")) return Kind::Yearly;
    if (FixedText::equal(type, "Day of Week")) return Kind::DayOfWeek;
    if (FixedText::equal(type, "Day of Month")) return Kind::DayOfMonth;
    return Kind::Custom;
}

Recurrence::Unit Recurrence::unitOf(const ScheduleRecord& task) {
    std::string unit = task.everyType.substr(0, 3);
    for (char& c : unit) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (unit == "min") return Unit::Minute;
    if (unit == "hou") return Unit::Hour;
    if (unit == "day") return Unit::Day;
    if (unit == "wee") return Unit::Week;
    if (unit == "mon") return Unit::Month;
    if (unit == "yea") return Unit::Year;
    return Unit::Invalid;
}

bool Recurrence::dateFitsScheduleType(const ScheduleRecord& task, std::int32_t date) {
    if (date == Date::kNone) date = task.date;
    switch (kindOf(task)) {
        case Kind::DayOfWeek:
            return weekdayFlag(task, date);
        case Kind::DayOfMonth:
            if (task.lastDayOfMonth) return Date::month(date + 1) != Date::month(date);
            return weekdayFlag(task, date) && ordinalFits(task, date);
        default:
            return true;
    }
}

void Recurrence::nextOccurrence(ScheduleRecord& task, Moment reference) const {
    bool warned = false;
    nextOccurrence(task, reference, warned);
}

void Recurrence::nextOccurrence(ScheduleRecord& task, Moment reference, bool& warned) const {
    const std::int32_t refDate = reference.date;
    std::int32_t& d = task.date;
    switch (kindOf(task)) {
        case Kind::Once:
            task.completed = 1;
            return;
        case Kind::Monthly:
            while (d <= refDate) {
                const YearMonthDay ymd = ymdOf(d);
                const std::int32_t next = buildDate(ymd.month + 1, ymd.day, ymd.year);
                if (next <= d) break;
                d = next;
            }
            return;
        case Kind::Yearly:
            while (d <= refDate) {
                const YearMonthDay ymd = ymdOf(d);
                const std::int32_t next = buildDate(ymd.month, ymd.day, ymd.year + 1);
                if (next <= d) break;
                d = next;
            }
            return;
        case Kind::DayOfWeek:
            // Stepping from one selected weekday to the next ends on the first one after the
            // reference.
            if (d <= refDate) d = nextSelectedDay(task, refDate);
            return;
        case Kind::DayOfMonth:
            if (task.lastDayOfMonth) {
                // Month End: the last day of the month holding the later of the date and the
                // reference, or when that is not after the reference, the last day of the month
                // after. It never moves backwards and always lands on a month end (31 Jan, 28 Feb,
                // 31 Mar, ...), where the weekday search would wander off them.
                std::int32_t end = Date::lastDayOfMonth(std::max(d, refDate));
                if (end <= refDate) end = Date::lastDayOfMonth(end + 1);
                if (end != Date::kNone) d = end;
                return;
            }
            // The first advance always happens; advances stop at the first selected weekday after
            // both the date and the reference, then go on until the ordinal band fits.
            d = nextSelectedDay(task, std::max(d, refDate));
            if (anyOrdinalFlag(task))
                while (!ordinalFits(task, d)) d = nextSelectedDay(task, d);
            return;
        case Kind::Custom:
            nextCustom(task, reference, warned);
            return;
    }
}

void Recurrence::nextCustom(ScheduleRecord& task, Moment reference, bool& warned) const {
    if (task.every < 1) task.every = 1;
    const std::int64_t n = task.every;
    const std::int32_t refDate = reference.date;
    std::int32_t& d = task.date;
    switch (unitOf(task)) {
        case Unit::Minute:
        case Unit::Hour: {
            const bool minutes = unitOf(task) == Unit::Minute;
            const std::int64_t perDay = minutes ? kMinutesPerDay : kHoursPerDay;
            const std::int64_t unit = minutes ? Time::kOneMinute : Time::kOneHour;
            const std::int64_t step = n * unit;
            const Moment ref = reference.normalized();
            Moment m{task.date, task.time};
            while (compareMoments(m, ref) < 0) {
                // Jump to two steps short of the reference: every step in between would still be
                // earlier, and from a time of at least midnight each step adds exactly n units.
                // The last steps are taken one by one, so the comparison decides as stepping does.
                m = m.normalized();
                const std::int64_t gap = absoluteHundredths(ref) - absoluteHundredths(m);
                if (m.time >= Time::kMidnight && gap / step > 2) m = m.plusHundredths((gap / step - 1) * step);
                m = stepMoment(m, n, perDay, unit);
            }
            task.date = m.date;
            task.time = m.time;
            return;
        }
        case Unit::Day:
        case Unit::Week: {
            const std::int64_t days = unitOf(task) == Unit::Day ? n : 7 * n;
            if (d <= refDate) d = clampDate(d + ((static_cast<std::int64_t>(refDate) - d) / days + 1) * days);
            return;
        }
        case Unit::Month:
            // The month number is not limited to a byte: any N lands on the right month and year.
            while (d <= refDate) {
                const YearMonthDay ymd = ymdOf(d);
                const std::int32_t next = buildDate(ymd.month + n, ymd.day, ymd.year);
                if (next <= d) break;
                d = next;
            }
            return;
        case Unit::Year:
            while (d <= refDate) {
                const YearMonthDay ymd = ymdOf(d);
                const std::int32_t next = buildDate(ymd.month, ymd.day, ymd.year + n);
                if (next <= d) break;
                d = next;
            }
            return;
        case Unit::Invalid:
            if (!warned) {
                warned = true;
                MessageBoxRequest box;
                box.title = std::string(kInvalidUnitsTitle);
                box.text = std::string(kInvalidUnitsText);
                box.icon = MessageIcon::Exclamation;
                box.buttons = kButtonOk;
                m_runtime.messageBox(box);
            }
            // So that the task cannot fall due again at once.
            if (d <= refDate) d = refDate + 1;
            return;
    }
}

ExceptionOutcome Recurrence::applyExceptions(ScheduleRecord& task, HolidayCalendar& holidays,
                                             std::int32_t today) const {
    ExceptionOutcome out;
    if (kindOf(task) == Kind::Once) {
        task.exceptTime = 0;
        task.exceptWeekends = 0;
        task.exceptWeekdays = 0;
        task.exceptHolidays = 0;
        task.exceptTimeBegin = 0;
        task.exceptTimeEnd = 0;
        task.exceptOther.clear();
        return out;
    }
    if (!task.exceptTime && !task.exceptHolidays && !task.exceptWeekdays && !task.exceptWeekends) return out;
    bool warned = false;
    if (task.exceptTime && timeWindowStep(task, warned)) out.changed = true;
    if (task.exceptHolidays || task.exceptWeekdays || task.exceptWeekends) dayStep(task, holidays, today, out);
    return out;
}

bool Recurrence::timeWindowStep(ScheduleRecord& task, bool& warned) const {
    if (task.exceptTimeEnd == Time::kNone) task.exceptTimeEnd = Time::kOneDay;
    const std::int32_t begin = task.exceptTimeBegin;
    const std::int32_t end = task.exceptTimeEnd;
    const Moment remembered{task.date, task.time};
    bool changed = false;
    int count = 0;
    // The window's end is the first moment outside it: a daily task moved to the end must not
    // count as inside at its next reschedule, or it would lose a day every time.
    while (begin <= task.time && task.time < end && count < kTimeWindowLimit) {
        changed = true;
        ++count;
        nextOccurrence(task, Moment{task.date, task.time}, warned);
    }
    if (count == kTimeWindowLimit) {
        task.date = remembered.date;
        task.time = remembered.time;
        nextOccurrence(task, remembered, warned);
        task.time = end;
    }
    return changed;
}

void Recurrence::dayStep(ScheduleRecord& task, HolidayCalendar& holidays, std::int32_t today,
                         ExceptionOutcome& out) const {
    if (task.exceptWeekends) task.exceptWeekdays = 0;
    if (task.exceptHolidays) holidays.rollAnnual(today);
    auto movesOff = [&](std::int32_t date) {
        return (task.exceptWeekends && isWeekend(date)) || (task.exceptWeekdays && !isWeekend(date)) ||
               (task.exceptHolidays && holidays.isHoliday(date));
    };
    if (!movesOff(task.date)) return;

    const std::uint8_t skipBefore = task.skipNextTime;
    task.skipNextTime = 1;  // the regular occurrence passes without running
    out.changed = true;
    const char shift = task.shiftType.empty() ? '\0' : task.shiftType.front();
    if (shift != 'N' && shift != 'P') return;

    // The task keeps its date; a one-time copy runs on the nearest day that is no exception.
    const std::int32_t direction = shift == 'N' ? 1 : -1;
    ScheduleRecord copy = task;
    const std::int32_t start = copy.date;
    for (;;) {
        bool moved = false;
        auto move = [&] {
            copy.date += direction;
            moved = true;
        };
        if (copy.exceptWeekends && isWeekend(copy.date)) move();
        if (copy.exceptWeekdays && !isWeekend(copy.date)) move();
        if (copy.exceptHolidays && holidays.isHoliday(copy.date)) move();
        if (!moved || std::abs(copy.date - start) > kShiftLimitDays) break;
    }
    out.previousCopy = task.exceptionLink;
    copy.exceptionLink = 0;
    copy.scheduleType = std::string(kOnce);
    copy.skipNextTime = skipBefore;
    out.oneTimeCopy = std::move(copy);
}

}  // namespace cm
