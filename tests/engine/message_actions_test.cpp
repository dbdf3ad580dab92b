#include "engine/message_actions.h"

#include <gtest/gtest.h>

#include <string>

#include "base/date.h"
#include "base/time_of_day.h"
#include "store/store_fixture.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"

namespace cm {
namespace {

class MessageActionsTest : public test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        for (TableHandle* t : {static_cast<TableHandle*>(&schedule), static_cast<TableHandle*>(&todo)}) {
            ASSERT_EQ(t->create(), 0) << t->lastError().text;
            ASSERT_EQ(t->open(), 0) << t->lastError().text;
        }
    }
    void TearDown() override {
        schedule.close();
        todo.close();
        StoreFixture::TearDown();
    }

    Table<ScheduleRecord> schedule{scheduleLayout(), "cm97\\!s"};
    Table<TodoRecord> todo{todoLayout(), "CM97\\!ToDo"};
    test::FakeClock clock{2026, 3, 5, 23, 55, 30};
    test::FakeRuntime runtime;
    MessageActions actions{schedule, todo, clock, runtime};
};

TEST_F(MessageActionsTest, SnoozeAddsAOneTimeMessageDueTenMinutesLater) {
    schedule.clear();
    schedule.record().id = 41;
    schedule.record().taskType = "Run Program";
    ASSERT_EQ(schedule.add(), 0);

    const std::string text(1024, 'm');
    const std::int32_t id = actions.snooze("Dentist", text);
    ASSERT_EQ(id, 42);

    schedule.clear();
    schedule.record().id = id;
    ASSERT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
    ScheduleRecord expected;
    expected.id = 42;
    expected.taskType = "Display Message";
    expected.category = "Snooze";
    expected.description = "Dentist";
    expected.message = std::string(1000, 'm');
    expected.scheduleType = "Once";
    expected.date = Date::fromYmd(2026, 3, 6);  // carried past midnight
    expected.time = Time::fromHms(0, 5, 30);
    expected.skipIfMissed = 1;
    EXPECT_EQ(schedule.record(), expected);
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(MessageActionsTest, ToDoItemIsAddedAndConfirmed) {
    const std::string notes = "Call back\nabout the invoice";
    ASSERT_TRUE(actions.addToTodoList("Call Ann", notes));

    ASSERT_EQ(todo.set(todo.keyIndex("TDO:KeyToDo")), 0);
    ASSERT_EQ(todo.next(), 0);
    TodoRecord expected;
    expected.category = "General";
    expected.toDo = "Call Ann";
    expected.notes = notes;
    expected.priority = 5;
    expected.done = 0;
    EXPECT_EQ(todo.record(), expected);
    EXPECT_NE(todo.next(), 0) << "one item only";

    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.text, "Added to To Do List:\rCall Ann");
    EXPECT_EQ(runtime.lastBox().request.title, "Saved");
    EXPECT_EQ(runtime.lastBox().request.owner, Owner::Window);
}

TEST_F(MessageActionsTest, FailedAddsAreReportedNotConfirmed) {
    schedule.close();
    todo.close();
    EXPECT_EQ(actions.snooze("Dentist", "x"), 0);
    EXPECT_FALSE(actions.addToTodoList("Call Ann", "x"));
    ASSERT_EQ(runtime.boxes().size(), 2u);
    for (const auto& box : runtime.boxes()) EXPECT_EQ(box.request.title, "Record Insert Error");
}

}  // namespace
}  // namespace cm
