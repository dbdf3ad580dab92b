#include "shell/housekeeping.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/ini_file.h"
#include "engine/task_deleter.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/todo_record.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace cm::test {
namespace {

namespace fs = std::filesystem;

// Refuses the tasks it is told to, and deletes the others through the real cascade.
class PickyDeleter final : public TaskDeleter {
public:
    explicit PickyDeleter(TaskDeleter& real) : m_real(real) {}
    bool deleteTask(const ScheduleRecord& task) override {
        if (refused.count(task.id)) {
            m_error = StoreError::make(StoreCode::kFileLocked, "Locked");
            return false;
        }
        asked.push_back(task.id);
        return m_real.deleteTask(task);
    }
    const StoreError& lastError() const override { return m_error; }

    std::set<std::int32_t> refused;
    std::vector<std::int32_t> asked;

private:
    TaskDeleter& m_real;
    StoreError m_error;
};

class HousekeepingTest : public ::testing::Test {
protected:
    void SetUp() override { TestStore::open(dir.path(), {&schedule, &scripting, &links, &todo}); }
    void TearDown() override { TestStore::close({&schedule, &scripting, &links, &todo}); }

    // A task with two script steps and one contact link.
    void addTask(std::int32_t id, bool disabled, bool completed) {
        schedule.clear();
        schedule.record().id = id;
        schedule.record().description = "Task " + std::to_string(id);
        schedule.record().disabled = disabled;
        schedule.record().completed = completed;
        ASSERT_EQ(schedule.add(), 0) << schedule.lastError().text;
        for (std::int32_t step = 1; step <= 2; ++step) {
            scripting.clear();
            scripting.record().id = id;
            scripting.record().sequence = step;
            ASSERT_EQ(scripting.add(), 0) << scripting.lastError().text;
        }
        links.clear();
        links.record() = {id, 100 + id};
        ASSERT_EQ(links.add(), 0) << links.lastError().text;
    }

    std::vector<std::int32_t> taskIds() {
        std::vector<std::int32_t> ids;
        schedule.set(schedule.keyIndex("SCH:KeyID"));
        while (schedule.next() == 0) ids.push_back(schedule.record().id);
        return ids;
    }

    void expectQuestion(const FakeRuntime::ShownBox& box, std::string_view question) {
        EXPECT_EQ(box.request.text, question);
        EXPECT_EQ(box.request.title, "Housekeeping");
        EXPECT_EQ(box.request.icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.request.buttons, kButtonsYesNo);
        EXPECT_EQ(box.request.defaultButton, Button::No);
    }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempDir dir;
    FakeRuntime runtime;
    Table<ScheduleRecord> schedule{scheduleLayout(), "cm97\\!s"};
    Table<ScriptingRecord> scripting{scriptingLayout(), "CM97\\!Script"};
    Table<LinkRecord> links{linkLayout(), "CM97\\!Link"};
    Table<TodoRecord> todo{todoLayout(), "CM97\\!ToDo"};
    StoreTaskDeleter cascade{schedule, scripting, links};
    PickyDeleter deleter{cascade};
    Housekeeping housekeeping{runtime, schedule, todo, deleter, dir.path()};
};

TEST_F(HousekeepingTest, ClearDisabledTasksAsksAndTakesTheirScriptsAndLinks) {
    addTask(1, true, false);
    addTask(2, false, true);
    addTask(3, true, true);

    runtime.answerNext(Button::No);
    EXPECT_FALSE(housekeeping.clearDisabledTasks());
    ASSERT_EQ(runtime.boxes().size(), 1u);
    expectQuestion(runtime.boxes()[0], "Remove disabled tasks?");
    EXPECT_EQ(taskIds(), (std::vector<std::int32_t>{1, 2, 3}));

    runtime.clearBoxes();
    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearDisabledTasks());
    EXPECT_EQ(taskIds(), std::vector<std::int32_t>{2});
    EXPECT_EQ(scripting.records(), 2) << "only task 2's script is left";
    EXPECT_EQ(links.records(), 1);
    ASSERT_EQ(runtime.boxes().size(), 2u);
    EXPECT_EQ(runtime.boxes()[1].request.text, "Disabled tasks removed.");
    EXPECT_EQ(runtime.boxes()[1].request.title, "Housekeeping");

    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearCompletedTasks());
    EXPECT_TRUE(taskIds().empty());
    EXPECT_EQ(scripting.records(), 0);
    EXPECT_EQ(runtime.lastBox().request.text, "Completed tasks removed.");
}

TEST_F(HousekeepingTest, AFailedDeleteIsToldAndTheRestGoOn) {
    addTask(1, false, true);
    addTask(2, false, true);
    addTask(3, false, true);
    deleter.refused = {2};

    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearCompletedTasks());
    EXPECT_EQ(taskIds(), std::vector<std::int32_t>{2});
    EXPECT_EQ(scripting.records(), 2);
    ASSERT_EQ(runtime.boxes().size(), 3u);
    EXPECT_EQ(runtime.boxes()[1].request.text, "Locked error while removing history");
    EXPECT_EQ(runtime.boxes()[1].request.title, "Cannot Remove History");
    EXPECT_EQ(runtime.boxes()[2].request.text, "Completed tasks removed.");
}

TEST_F(HousekeepingTest, AReadErrorEndsTheClearBeforeAnyDelete) {
    addTask(1, true, false);
    schedule.close();
    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearDisabledTasks());
    EXPECT_TRUE(deleter.asked.empty());
    ASSERT_EQ(runtime.boxes().size(), 2u);
    EXPECT_EQ(runtime.lastBox().request.title, "Cannot Remove History");
    EXPECT_EQ(runtime.lastBox().request.text, "Schedule is not open error while removing history");
    ASSERT_EQ(schedule.open(), 0);
}

TEST_F(HousekeepingTest, ClearTodoList) {
    for (const char* item : {"Call", "Call", ""}) {
        todo.clear();
        todo.record().toDo = item;
        ASSERT_EQ(todo.add(), 0);
    }
    EXPECT_FALSE(housekeeping.clearTodoList()) << "No is the default";
    expectQuestion(runtime.lastBox(), "Clear To Do list?");
    EXPECT_EQ(todo.records(), 3);

    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearTodoList());
    EXPECT_EQ(todo.records(), 0);
    EXPECT_EQ(runtime.lastBox().request.text, "To Do list removed.");
    EXPECT_EQ(runtime.lastBox().request.title, "Housekeeping");
    EXPECT_FALSE(todo.connection()->inTransaction());
}

TEST_F(HousekeepingTest, ResetWindowSettingsBlanksEveryKeyInBothFiles) {
    std::ofstream(dir / "cm98.INI") << "[Settings]\nLogEvents=1\n[Main]\nXPosit=120\nOther=kept\n";
    std::ofstream(dir / "position.ini") << "[BrowseSchedule]\nSRCF?Browse:1=layout\n?Browse:1=cols\nWidth=300\n";

    const std::string before = read(dir / "position.ini");
    EXPECT_FALSE(housekeeping.resetWindowSettings());
    EXPECT_EQ(read(dir / "position.ini"), before);

    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.resetWindowSettings());
    expectQuestion(runtime.lastBox(), "Reset saved window settings?");
    EXPECT_EQ(runtime.boxes().size(), 2u) << "no done message";
    EXPECT_FALSE(fs::exists(dir / "POSITION.INI")) << "the existing file is written, whatever its case";

    for (const char* file : {"cm98.INI", "position.ini"}) {
        IniFile ini(dir / file);
        for (std::string_view section : Housekeeping::placementSections())
            for (std::string_view key : Housekeeping::placementKeys())
                EXPECT_EQ(ini.read(section, key, "absent"), "") << file << " [" << section << "] " << key;
    }
    IniFile program(dir / "cm98.INI");
    EXPECT_EQ(program.read("Settings", "LogEvents"), "1");
    EXPECT_EQ(program.read("Main", "Other"), "kept");
    EXPECT_EQ(IniFile(dir / "position.ini").read("BrowseSchedule", "SRCF?Browse:1"), "layout");
    EXPECT_EQ(Housekeeping::placementSections().size(), 18u);
    EXPECT_EQ(Housekeeping::placementSections().front(), "BrowseSchedule");
    EXPECT_EQ(Housekeeping::placementSections().back(), "SpecialEventWizard");
}

TEST_F(HousekeepingTest, ClearScriptQueue) {
    int emptied = 0;
    housekeeping.setScriptQueueEmptier([&] { ++emptied; });
    EXPECT_FALSE(housekeeping.clearScriptQueue());
    expectQuestion(runtime.lastBox(), "Remove active scripts?");
    EXPECT_EQ(emptied, 0);

    runtime.answerNext(Button::Yes);
    EXPECT_TRUE(housekeeping.clearScriptQueue());
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(runtime.lastBox().request.text, "All active scripts have been removed");
    EXPECT_EQ(runtime.lastBox().request.title, "Housekeeping");
}

}  // namespace
}  // namespace cm::test
