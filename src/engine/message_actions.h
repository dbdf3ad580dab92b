#pragma once

#include <cstdint>
#include <string_view>

#include "base/moment.h"
#include "store/table_handle.h"
#include "store/tables/schedule_record.h"
#include "store/tables/todo_record.h"

namespace cm {

class Clock;
class Runtime;

// What the buttons of a message window store: the snoozed copy of the message and the to-do
// item made of it. title and text are the window's, as it shows them.
class MessageActions {
public:
    static constexpr std::string_view kSnoozeCategory = "Snooze";
    static constexpr std::string_view kOnce = "Once";
    static constexpr std::int32_t kSnoozeDelay = 60000;  // ten minutes, in hundredths
    static constexpr std::size_t kMessageWidth = 1000;
    static constexpr std::string_view kTodoCategory = "General";
    static constexpr std::uint8_t kTodoPriority = 5;
    static constexpr std::string_view kSavedTitle = "Saved";
    static constexpr std::string_view kSavedText = "Added to To Do List:\r";
    static constexpr int kInsertWarning = 14;

    // A one-time "Display Message" task due ten minutes after now, skipped when missed by
    // more than its grace, with no alarm.
    static ScheduleRecord snoozeTask(std::string_view title, std::string_view text, const Moment& now);
    static TodoRecord todoItem(std::string_view title, std::string_view text);

    // The handles are open; their current records are overwritten.
    MessageActions(Table<ScheduleRecord>& schedule, Table<TodoRecord>& todo, const Clock& clock, Runtime& runtime);

    // Adds the snooze task under a new ID and returns that ID. A failed add is reported as a
    // record insert error and gives 0.
    std::int32_t snooze(std::string_view title, std::string_view text);
    // Adds the to-do item and confirms it with "Saved"; a failed add is reported instead.
    bool addToTodoList(std::string_view title, std::string_view text);

private:
    Table<ScheduleRecord>& m_schedule;
    Table<TodoRecord>& m_todo;
    const Clock& m_clock;
    Runtime& m_runtime;
};

}  // namespace cm
