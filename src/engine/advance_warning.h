#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/table_handle.h"
#include "store/tables/schedule_record.h"

namespace cm {

class Clock;
class EventLog;
class Runtime;
class ScheduleWriter;

// The warning a task gives ahead of its due moment. It looks at the earliest task not yet
// warned, says what is coming in a box owned by the frame, and marks the task warned.
class AdvanceWarning {
public:
    static constexpr std::string_view kTitle = "Advanced Warning";
    static constexpr std::string_view kEvent = "Advanced Warning";
    static constexpr std::string_view kRunCommandLabel = "Command:  ";
    static constexpr std::string_view kBothCommandLabel = "Command: ";
    static constexpr std::string_view kDatePicture = "d3";
    static constexpr std::string_view kTimePicture = "t3";

    // writer tells which rows still show an occurrence that has already been handled.
    AdvanceWarning(Table<ScheduleRecord>& schedule, const ScheduleWriter& writer, Runtime& runtime, const Clock& clock,
                   EventLog& log);

    // The box's text: the due moment, then the message or the command by the task type.
    static std::string text(const ScheduleRecord& task);

    // One look at the earliest unwarned task; a task is warned at most once per occurrence.
    void check();

private:
    struct Warned {
        std::int32_t id;
        std::int32_t date;
        std::int32_t time;
        friend bool operator==(const Warned&, const Warned&) = default;
    };

    bool readEarliest();

    Table<ScheduleRecord>& m_schedule;
    const ScheduleWriter& m_writer;
    Runtime& m_runtime;
    const Clock& m_clock;
    EventLog& m_log;
    // A warning given whose mark could not be stored: the next ticks store it without asking again.
    std::optional<Warned> m_unstored;
};

}  // namespace cm
