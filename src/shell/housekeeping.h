#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "store/table_handle.h"
#include "store/tables/schedule_record.h"
#include "store/tables/todo_record.h"

namespace cm {

class Runtime;
class TaskDeleter;

// The options window's housekeeping buttons. Each asks first and acts only on Yes; the result
// says whether it acted. Tasks go through the task deleter so that their script items and
// contact links go with them: a new task given a freed identifier must not inherit them.
class Housekeeping {
public:
    static constexpr std::string_view kTitle = "Housekeeping";

    static constexpr std::string_view kDisabledQuestion = "Remove disabled tasks?";
    static constexpr std::string_view kDisabledDone = "Disabled tasks removed.";
    static constexpr std::string_view kCompletedQuestion = "Remove completed tasks?";
    static constexpr std::string_view kCompletedDone = "Completed tasks removed.";
    static constexpr std::string_view kTodoQuestion = "Clear To Do list?";
    static constexpr std::string_view kTodoDone = "To Do list removed.";
    static constexpr std::string_view kResetQuestion = "Reset saved window settings?";
    static constexpr std::string_view kScriptsQuestion = "Remove active scripts?";
    static constexpr std::string_view kScriptsDone = "All active scripts have been removed";

    static constexpr std::string_view kTodoFailureTitle = "Cannot Remove To Do List";
    static constexpr std::string_view kTodoFailureText = " error while removing To Do entry";

    static constexpr std::string_view kProgramIni = "cm98.INI";
    static constexpr std::string_view kPositionIni = "POSITION.INI";
    // The placement keys blanked in every section, and the sections, in the order written.
    static const std::vector<std::string_view>& placementKeys();
    static const std::vector<std::string_view>& placementSections();

    // The tables must be open. An empty data folder is the store's.
    Housekeeping(Runtime& runtime, Table<ScheduleRecord>& schedule, Table<TodoRecord>& todo, TaskDeleter& deleter,
                 std::filesystem::path dataFolder = {});

    // Empties the script queue; set by whoever owns the queue.
    void setScriptQueueEmptier(std::function<void()> emptier) { m_emptyScriptQueue = std::move(emptier); }

    bool clearDisabledTasks();
    bool clearCompletedTasks();
    bool clearTodoList();
    bool resetWindowSettings();
    bool clearScriptQueue();

private:
    bool ask(std::string_view question);
    void tell(std::string_view text, std::string_view title = kTitle);
    bool clearTasks(std::string_view question, std::string_view done, bool (*selected)(const ScheduleRecord&));
    std::filesystem::path dataFolder() const;

    Runtime& m_runtime;
    Table<ScheduleRecord>& m_schedule;
    Table<TodoRecord>& m_todo;
    TaskDeleter& m_deleter;
    std::filesystem::path m_dataFolder;
    std::function<void()> m_emptyScriptQueue;
};

}  // namespace cm
