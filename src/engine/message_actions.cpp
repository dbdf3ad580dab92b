#include "engine/message_actions.h"

#include <string>

#include "base/fixed_text.h"
#include "engine/schedule_writer.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "store/standard_warnings.h"

namespace cm {

ScheduleRecord MessageActions::snoozeTask(std::string_view title, std::string_view text, const Moment& now) {
    ScheduleRecord task;
    task.taskType = TaskType::kDisplayMessage;
    task.category = kSnoozeCategory;
    task.description = FixedText::stored(title, ScheduleWriter::kDescriptionWidth);
    task.message = FixedText::cut(text, kMessageWidth);
    task.scheduleType = kOnce;
    const Moment due = now.plusHundredths(kSnoozeDelay);
    task.date = due.date;
    task.time = due.time;
    task.skipIfMissed = 1;
    return task;
}

TodoRecord MessageActions::todoItem(std::string_view title, std::string_view text) {
    TodoRecord item;
    item.category = kTodoCategory;
    item.toDo = FixedText::stored(title, ScheduleWriter::kDescriptionWidth);
    item.notes = std::string(text);
    item.priority = kTodoPriority;
    item.done = 0;
    return item;
}

MessageActions::MessageActions(Table<ScheduleRecord>& schedule, Table<TodoRecord>& todo, const Clock& clock,
                               Runtime& runtime)
    : m_schedule(schedule), m_todo(todo), m_clock(clock), m_runtime(runtime) {}

std::int32_t MessageActions::snooze(std::string_view title, std::string_view text) {
    m_schedule.clear();
    const std::int32_t id =
        ScheduleWriter::addScheduleWithNextId(m_schedule, snoozeTask(title, text, m_clock.current()));
    if (id == 0) {
        StandardWarnings::show(m_runtime, kInsertWarning, m_schedule.name(), {}, m_schedule.lastError());
        m_schedule.clearError();
    }
    return id;
}

bool MessageActions::addToTodoList(std::string_view title, std::string_view text) {
    m_todo.clear();
    m_todo.record() = todoItem(title, text);
    if (m_todo.add() != 0) {
        StandardWarnings::show(m_runtime, kInsertWarning, m_todo.name(), {}, m_todo.lastError());
        m_todo.clearError();
        return false;
    }
    MessageBoxRequest box;
    box.text = std::string(kSavedText) + std::string(FixedText::trimTrailingBlanks(title));
    box.title = kSavedTitle;
    box.owner = Owner::Window;
    m_runtime.messageBox(box);
    return true;
}

}  // namespace cm
