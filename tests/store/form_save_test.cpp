#include "store/form_save.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "integrity_fixture.h"
#include "store/change_stamp.h"
#include "store/identifier_assigner.h"
#include "support/fake_clock.h"

namespace cm::test {
namespace {

using FormSaveTest = IntegrityFixture;

TEST_F(FormSaveTest, InsertNamesTheDuplicatedKey) {
    addTask(5);
    schedule.clear();
    FormSave task(schedule, FormMode::Insert, reporter, {IdentifierAssigner::kScheduleKey});
    ASSERT_EQ(task.open(), OpenOutcome::Ready);
    ASSERT_EQ(schedule.record().id, 6);
    schedule.record().id = 5;
    EXPECT_EQ(task.save(), SaveOutcome::StayInForm);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Duplicate Key Error");
    EXPECT_EQ(runtime.lastBox().request.text, "Adding this record creates a duplicate entry for the key:By System ID");
    schedule.record().id = 6;
    EXPECT_EQ(task.save(), SaveOutcome::Saved);

    // A table without numbering adds on OK; its key has no description, so its name is shown.
    addRecord(categories, CategoryRecord{"Work"});
    categories.record().category = "WORK";
    FormSave category(categories, FormMode::Insert, reporter, {});
    ASSERT_EQ(category.open(), OpenOutcome::Ready);
    EXPECT_EQ(category.save(), SaveOutcome::StayInForm);
    EXPECT_EQ(runtime.lastBox().request.text,
              "Adding this record creates a duplicate entry for the key:CAT:KeyCategory");
}

TEST_F(FormSaveTest, ChangeWritesOnlyWhatDiffersAndAsksAfterAFailure) {
    addRecord(todo, TodoRecord{0, 3, "Home", "Paint", 0, 0, {}, 0, 0, 0, "notes", {}});
    read(todo, "TDO:KeyToDo");
    FormSave unchanged(todo, FormMode::Change, reporter, {{}, OtherStationNotice::ChangesShown});
    ASSERT_EQ(unchanged.open(), OpenOutcome::Ready);
    EXPECT_EQ(unchanged.save(), SaveOutcome::Saved);
    EXPECT_FALSE(unchanged.written());

    exec("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.\"ToDo\" BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    const struct {
        std::vector<Button> answers;  // every box takes one, the OK-only ones too
        SaveOutcome outcome;
        std::vector<int> warnings;
    } cases[] = {
        {{Button::Ok, Button::No}, SaveOutcome::ClosedWithoutSaving, {15, 16}},
        {{Button::Ok, Button::Cancel}, SaveOutcome::StayInForm, {15, 16}},
        {{Button::Ok, Button::Yes, Button::Ok, Button::No}, SaveOutcome::ClosedWithoutSaving, {15, 16, 15, 16}},
    };
    for (const auto& c : cases) {
        runtime.clearBoxes();
        for (Button b : c.answers) runtime.answerNext(b);
        FormSave form(todo, FormMode::Change, reporter, {{}, OtherStationNotice::ChangesShown});
        ASSERT_EQ(form.open(), OpenOutcome::Ready);
        todo.record().notes = "edited notes";  // a memo counts as a change
        EXPECT_EQ(form.save(), c.outcome);
        EXPECT_EQ(warningsShown(), c.warnings);
        EXPECT_EQ(rows<TodoRecord>(todoLayout())[0].notes, "notes");
        todo.record().notes = "notes";
    }

    exec("DROP TRIGGER temp.refuse");
    FormSave form(todo, FormMode::Change, reporter, {{}, OtherStationNotice::ChangesShown});
    ASSERT_EQ(form.open(), OpenOutcome::Ready);
    todo.record().notes = "edited notes";
    FakeClock clock(2026, 3, 4, 10, 30);
    EXPECT_TRUE(ChangeStamp("station-a", clock).apply(todo));
    EXPECT_EQ(form.save(), SaveOutcome::Saved);
    const TodoRecord stored = rows<TodoRecord>(todoLayout())[0];
    EXPECT_EQ(stored.notes, "edited notes");
    EXPECT_EQ(stored.networkUser, "station-a");
    EXPECT_EQ(stored.lastChangeDate, clock.today());
    EXPECT_EQ(stored.lastChangeTime, clock.now());
    EXPECT_EQ(stored.originalId, 1);  // the row count
}

TEST_F(FormSaveTest, DeleteConfirmsAndOffersRetry) {
    addTask(3);
    addStep(3, 1);
    addLink(3, 2);
    schedule.record().id = 3;
    read(schedule, "SCH:KeyID");

    FormSave notConfirmed(schedule, FormMode::Delete, reporter, {});
    EXPECT_EQ(notConfirmed.save(), SaveOutcome::Cancelled);
    EXPECT_EQ(runtime.lastBox().request.title, "Confirm Delete");
    EXPECT_EQ(tasks().size(), 1u);

    exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.\"Link\" BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    runtime.clearBoxes();
    for (Button b : {Button::Ok, Button::Ok, Button::Yes, Button::Ok, Button::No}) runtime.answerNext(b);
    FormSave failing(schedule, FormMode::Delete, reporter, {});
    EXPECT_EQ(failing.save(), SaveOutcome::ClosedWithoutSaving);
    EXPECT_EQ(warningsShown(), (std::vector<int>{32, 17, 18, 17, 18}));
    EXPECT_EQ(steps().size(), 1u);

    exec("DROP TRIGGER temp.refuse");
    runtime.answerNext(Button::Ok);
    FormSave form(schedule, FormMode::Delete, reporter, {});
    EXPECT_EQ(form.save(), SaveOutcome::Saved);
    EXPECT_TRUE(tasks().empty());
    EXPECT_TRUE(steps().empty());
    EXPECT_TRUE(allLinks().empty());
}

// The first station is a separate process that saves the item while this one has it open.
class TwoStationsTest : public FormSaveTest, public ::testing::WithParamInterface<OtherStationNotice> {};

TEST_P(TwoStationsTest, TheSecondSaveShowsTheFirstStationsVersion) {
    addRecord(todo, TodoRecord{0, 3, "Home", "Paint the fence", 0, 0, {}, 0, 0, 0, {}, {}});
    read(todo, "TDO:KeyToDo");
    FormSave form(todo, FormMode::Change, reporter, {{}, GetParam()});
    ASSERT_EQ(form.open(), OpenOutcome::Ready);

    const pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        CatalogTable<TodoRecord> other(todoLayout());
        bool ok = other.open() == 0 && other.set(0) == 0 && other.next() == 0;
        other.record().toDo = "Paint the fence green";
        ok = ok && other.put() == 0;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(first, &status, 0), first);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    todo.record().toDo = "Paint the fence white";
    EXPECT_EQ(form.save(), SaveOutcome::StayInForm);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    if (GetParam() == OtherStationNotice::ChangesShown) {
        EXPECT_EQ(runtime.lastBox().request.title, "Record Was Not Updated");
        EXPECT_EQ(runtime.lastBox().request.text,
                  "This record was changed by another station. Those changes will now be displayed. Use the Ditto "
                  "Button or Ctrl+' to recall your changes.");
    } else {
        EXPECT_EQ(runtime.lastBox().request.title, "Update Operation Error");
        EXPECT_EQ(runtime.lastBox().request.text, "This record was changed by another station.");
    }
    EXPECT_EQ(todo.record().toDo, "Paint the fence green");

    // Re-entered over the version now shown, the change goes through.
    todo.record().toDo = "Paint the fence white";
    EXPECT_EQ(form.save(), SaveOutcome::Saved);
    EXPECT_EQ(rows<TodoRecord>(todoLayout())[0].toDo, "Paint the fence white");
}

INSTANTIATE_TEST_SUITE_P(FormSave, TwoStationsTest,
                         ::testing::Values(OtherStationNotice::ChangesShown, OtherStationNotice::UpdateError));

}  // namespace
}  // namespace cm::test
