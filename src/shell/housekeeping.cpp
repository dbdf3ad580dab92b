#include "shell/housekeeping.h"

#include <cstdint>
#include <string>
#include <utility>

#include "base/ini_file.h"
#include "engine/history_expiry.h"
#include "engine/task_deleter.h"
#include "shell/runtime.h"
#include "store/table_name.h"
#include "store/transaction.h"

namespace cm {

namespace fs = std::filesystem;

const std::vector<std::string_view>& Housekeeping::placementKeys() {
    static const std::vector<std::string_view> keys = {
        "Maximize", "XPosit", "YPosit", "Width", "Height", "?Browse:1", "?Browse:2", "WindowScaled",
    };
    return keys;
}

const std::vector<std::string_view>& Housekeeping::placementSections() {
    static const std::vector<std::string_view> sections = {
        "BrowseSchedule",  "Main",        "About",           "Calendar",       "ViewToDo",
        "UpdateTodo",      "Setup",       "AddProgramWizard", "AddMessageWizard", "BrowseTodo",
        "UpdateSchedule",  "UpdateScripting", "ViewScriptKeys", "AddScripting",  "ShowMessage",
        "SystemInfo",      "AddTaskWizard", "SpecialEventWizard",
    };
    return sections;
}

Housekeeping::Housekeeping(Runtime& runtime, Table<ScheduleRecord>& schedule, Table<TodoRecord>& todo,
                           TaskDeleter& deleter, fs::path dataFolder)
    : m_runtime(runtime), m_schedule(schedule), m_todo(todo), m_deleter(deleter), m_dataFolder(std::move(dataFolder)) {}

fs::path Housekeeping::dataFolder() const { return m_dataFolder.empty() ? StoreFiles::dataFolder() : m_dataFolder; }

bool Housekeeping::ask(std::string_view question) {
    MessageBoxRequest box;
    box.text = std::string(question);
    box.title = std::string(kTitle);
    box.icon = MessageIcon::Exclamation;
    box.buttons = kButtonsYesNo;
    box.defaultButton = Button::No;
    return m_runtime.messageBox(box) == Button::Yes;
}

void Housekeeping::tell(std::string_view text, std::string_view title) {
    MessageBoxRequest box;
    box.text = std::string(text);
    box.title = std::string(title);
    box.buttons = kButtonOk;
    m_runtime.messageBox(box);
}

bool Housekeeping::clearTasks(std::string_view question, std::string_view done,
                              bool (*selected)(const ScheduleRecord&)) {
    if (!ask(question)) return false;
    // Read first, delete afterwards: each delete runs its own transaction through the schedule
    // handle, which would lose a walk's place.
    std::vector<ScheduleRecord> tasks;
    m_schedule.set(m_schedule.keyIndex("SCH:KeyID"));
    while (m_schedule.next() == StoreCode::kOk)
        if (selected(m_schedule.record())) tasks.push_back(m_schedule.record());
    if (m_schedule.lastError().code != StoreCode::kNoRecord) {
        tell(m_schedule.lastError().text + std::string(HistoryExpiry::kFailureText), HistoryExpiry::kFailureTitle);
        return true;
    }
    for (const ScheduleRecord& task : tasks)
        if (!m_deleter.deleteTask(task))
            tell(m_deleter.lastError().text + std::string(HistoryExpiry::kFailureText), HistoryExpiry::kFailureTitle);
    tell(done);
    return true;
}

bool Housekeeping::clearDisabledTasks() {
    return clearTasks(kDisabledQuestion, kDisabledDone, [](const ScheduleRecord& r) { return r.disabled != 0; });
}

bool Housekeeping::clearCompletedTasks() {
    return clearTasks(kCompletedQuestion, kCompletedDone, [](const ScheduleRecord& r) { return r.completed != 0; });
}

bool Housekeeping::clearTodoList() {
    if (!ask(kTodoQuestion)) return false;
    const auto failure = [this](const StoreError& error) {
        tell(error.text + std::string(kTodoFailureText), kTodoFailureTitle);
    };
    std::vector<std::int64_t> items;
    m_todo.set(m_todo.keyIndex("TDO:KeyToDo"));  // a key that leaves no item out
    while (m_todo.next() == StoreCode::kOk) items.push_back(m_todo.recordNumber());
    if (m_todo.lastError().code != StoreCode::kNoRecord) {
        failure(m_todo.lastError());
        return true;
    }
    // One transaction for speed; failures are told once it has ended, never while it holds
    // the store.
    std::vector<StoreError> failures;
    {
        Transaction transaction({&m_todo});
        if (!transaction.begin()) {
            failure(transaction.lastError());
            return true;
        }
        for (std::int64_t item : items)
            if (m_todo.getByNumber(item) != StoreCode::kOk || m_todo.erase() != StoreCode::kOk)
                failures.push_back(m_todo.lastError());
        if (!transaction.commit()) {
            failures.assign(1, transaction.lastError());
        }
    }
    for (const StoreError& error : failures) failure(error);
    tell(kTodoDone);
    return true;
}

bool Housekeeping::resetWindowSettings() {
    if (!ask(kResetQuestion)) return false;
    const fs::path folder = dataFolder();
    IniFile program(resolveIniPath(fs::path(kProgramIni), folder));
    IniFile positions(resolveIniPath(fs::path(kPositionIni), folder));
    std::vector<IniEntry> blanks;
    for (std::string_view section : placementSections())
        for (std::string_view key : placementKeys()) blanks.push_back({std::string(section), std::string(key), {}});
    // One batch per file: keys already empty cost nothing, and an untouched file is not
    // rewritten. Write failures are ignored: a placement that stays only means a window
    // reopens where it was.
    program.write(blanks);
    positions.write(blanks);
    return true;
}

bool Housekeeping::clearScriptQueue() {
    if (!ask(kScriptsQuestion)) return false;
    if (m_emptyScriptQueue) m_emptyScriptQueue();
    tell(kScriptsDone);
    return true;
}

}  // namespace cm
