#include <gtest/gtest.h>

#include "integrity_fixture.h"
#include "store/form_save.h"
#include "store/identifier_assigner.h"

namespace cm::test {
namespace {

using IdentifierTest = IntegrityFixture;

TEST_F(IdentifierTest, EmptyTableReservesOneAndCancellingRemovesItWithWhatWasAttached) {
    schedule.clear();
    schedule.record().description = "New task";
    FormSave form(schedule, FormMode::Insert, reporter, {IdentifierAssigner::kScheduleKey});
    ASSERT_EQ(form.open(), OpenOutcome::Ready);
    EXPECT_EQ(schedule.record().id, 1);
    EXPECT_EQ(schedule.record().description, "New task");
    ASSERT_EQ(tasks().size(), 1u);
    EXPECT_EQ(tasks()[0].id, 1);

    // The task form's script list and contact links work on the reserved task.
    addStep(1, 1);
    addLink(1, 4);
    EXPECT_EQ(form.cancel(), SaveOutcome::Cancelled);
    EXPECT_TRUE(tasks().empty());
    EXPECT_TRUE(steps().empty());
    EXPECT_TRUE(allLinks().empty());

    // The freed number comes round again, with nothing of the cancelled task on it.
    schedule.clear();
    FormSave again(schedule, FormMode::Insert, reporter, {IdentifierAssigner::kScheduleKey});
    ASSERT_EQ(again.open(), OpenOutcome::Ready);
    EXPECT_EQ(schedule.record().id, 1);
    EXPECT_EQ(again.save(), SaveOutcome::Saved);
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(IdentifierTest, NumbersFollowTheLastEntryWithinTheirScope) {
    for (int id : {1, 2, 5}) addTask(id);
    schedule.clear();
    ASSERT_EQ(IdentifierAssigner(schedule, IdentifierAssigner::kScheduleKey, reporter).reserve(),
              IdentifierAssigner::Result::Reserved);
    EXPECT_EQ(schedule.record().id, 6);

    contacts.clear();
    ASSERT_EQ(IdentifierAssigner(contacts, IdentifierAssigner::kContactKey, reporter).reserve(),
              IdentifierAssigner::Result::Reserved);
    EXPECT_EQ(contacts.record().clientId, 1);

    addStep(1, 1);
    addStep(1, 2);
    for (int seq = 1; seq <= 5; ++seq) addStep(2, seq);
    const struct {
        std::int32_t task;
        std::int32_t expected;
    } cases[] = {{1, 3}, {2, 6}, {5, 1}, {0, 1}, {9, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.task);
        scripting.clear();
        scripting.record().id = c.task;
        scripting.record().action = "Wait";
        ASSERT_EQ(IdentifierAssigner(scripting, IdentifierAssigner::kScriptingKey, reporter).reserve(),
                  IdentifierAssigner::Result::Reserved);
        EXPECT_EQ(scripting.record().id, c.task);
        EXPECT_EQ(scripting.record().sequence, c.expected);
        EXPECT_EQ(scripting.record().action, "Wait");
    }
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(IdentifierTest, FailedAddsAskToRetryAndCancelAbandonsTheInsert) {
    exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON main.\"s\" BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    schedule.clear();
    schedule.record().description = "Kept";
    runtime.answerNext(Button::Retry);
    FormSave form(schedule, FormMode::Insert, reporter, {IdentifierAssigner::kScheduleKey});
    EXPECT_EQ(form.open(), OpenOutcome::Closed);
    ASSERT_EQ(runtime.boxes().size(), 2u);
    for (const auto& box : runtime.boxes()) {
        EXPECT_EQ(box.request.title, "Auto Increment Error");
        EXPECT_EQ(box.request.text.rfind(
                      "Attempts to automatically number this record have failed.  Error: refused by test (", 0),
                  0u)
            << box.request.text;
        EXPECT_EQ(box.request.buttons, kButtonsRetryCancel);
    }
    EXPECT_EQ(schedule.record().id, 0);
    EXPECT_EQ(schedule.record().description, "Kept");
    EXPECT_TRUE(tasks().empty());

    exec("DROP TRIGGER temp.refuse");
    runtime.clearBoxes();
    EXPECT_EQ(form.open(), OpenOutcome::Ready);
    EXPECT_EQ(schedule.record().id, 1);
}

}  // namespace
}  // namespace cm::test
