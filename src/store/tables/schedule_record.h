#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cm {

// The values of SCH:TaskType.
struct TaskType {
    static constexpr std::string_view kRunProgram = "Run Program";
    static constexpr std::string_view kDisplayMessage = "Display Message";
    static constexpr std::string_view kBoth = "Both";
    static constexpr std::string_view kNone = "None";
    // Whether a task type text is that value, case and trailing blanks aside.
    static bool is(std::string_view taskType, std::string_view value);
};

// A task, or the history record of a run of one.
struct ScheduleRecord {
    std::string user;
    std::int32_t id = 0;
    std::string taskType;
    std::string category;
    std::string description;
    std::string command;
    std::string path;
    std::string scheduleType;
    std::uint8_t sunday = 0;
    std::uint8_t monday = 0;
    std::uint8_t tuesday = 0;
    std::uint8_t wednesday = 0;
    std::uint8_t thursday = 0;
    std::uint8_t friday = 0;
    std::uint8_t saturday = 0;
    std::int32_t every = 0;
    std::uint8_t every1st = 0;
    std::uint8_t every2nd = 0;
    std::uint8_t every3rd = 0;
    std::uint8_t every4th = 0;
    std::uint8_t everyLast = 0;
    std::uint8_t lastDayOfMonth = 0;
    std::string everyType;
    std::int32_t date = 0;
    std::int32_t time = 0;
    std::int32_t lastRunDate = 0;
    std::int32_t lastRunTime = 0;
    std::uint8_t skipNextTime = 0;
    std::uint8_t alarm = 0;
    std::string alarmFile;
    std::int32_t advanceWarnDate = 0;
    std::int32_t advanceWarnTime = 0;
    std::uint8_t advanceWarned = 0;
    std::uint8_t warn = 0;
    std::uint8_t skipIfMissed = 0;
    std::uint8_t noHistory = 0;
    std::uint8_t userSkip = 0;
    std::uint8_t disabled = 0;
    std::uint8_t completed = 0;
    std::uint8_t skipped = 0;
    std::uint8_t undefinedOption1 = 0;
    std::uint8_t undefinedOption2 = 0;
    std::string shiftType;
    std::uint8_t exceptWeekends = 0;
    std::uint8_t exceptWeekdays = 0;
    std::uint8_t exceptHolidays = 0;
    std::uint8_t exceptTime = 0;
    std::int32_t exceptTimeBegin = 0;
    std::int32_t exceptTimeEnd = 0;
    std::string exceptOther;
    std::int32_t exceptionLink = 0;
    std::string networkUser;
    std::int32_t lastChangeDate = 0;
    std::int32_t lastChangeTime = 0;
    std::int32_t originalId = 0;
    std::string message;

    friend bool operator==(const ScheduleRecord&, const ScheduleRecord&) = default;
};

const Layout& scheduleLayout();
// The same records in a synchronization file.
const Layout& syncScheduleLayout();

}  // namespace cm
