#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/task_deleter.h"
#include "integrity_fixture.h"
#include "store/record_rules.h"
#include "store/schedule_cascade.h"
#include "store/transaction.h"

namespace cm::test {
namespace {

class IntegrityTest : public IntegrityFixture {
protected:
    // Task 7 with three steps and two contact links, beside task 8 with one of each.
    void SetUp() override {
        IntegrityFixture::SetUp();
        addTask(7);
        for (int seq : {1, 2, 3}) addStep(7, seq);
        addLink(7, 1);
        addLink(7, 2);
        addTask(8);
        addStep(8, 1);
        addLink(8, 1);
    }
    int deleteTask(std::int32_t id) {
        schedule.record().id = id;
        EXPECT_EQ(schedule.get(schedule.keyIndex("SCH:KeyID")), 0);
        RecordRules rules(reporter);
        return rules.deleteRecord(schedule);
    }
};

TEST_F(IntegrityTest, DeletingATaskRemovesItsLinksAndStepsOnly) {
    EXPECT_EQ(deleteTask(7), RecordRules::kDone);
    EXPECT_TRUE(runtime.boxes().empty());
    ASSERT_EQ(tasks().size(), 1u);
    EXPECT_EQ(tasks()[0].id, 8);
    ASSERT_EQ(steps().size(), 1u);
    EXPECT_EQ(steps()[0].id, 8);
    EXPECT_EQ(allLinks(), (std::vector<LinkRecord>{{8, 1}}));
}

// One failing row, wherever it is, leaves all six rows in place.
TEST_F(IntegrityTest, AFailureOnAnyRowLeavesAllSix) {
    struct Case {
        const char* table;
        const char* condition;
        const char* reported;
    };
    const Case cases[] = {
        {"Link", "old.ClientID = 2", "Link"},
        {"Script", "old.Sequence = 3", "Scripting"},
        {"s", "old.ID = 7", "Schedule"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        runtime.clearBoxes();
        exec(std::string("CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.\"") + c.table + "\" WHEN " + c.condition +
             " BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
        EXPECT_EQ(deleteTask(7), RecordRules::kFailed);
        exec("DROP TRIGGER temp.refuse");

        EXPECT_EQ(tasks().size(), 2u);
        EXPECT_EQ(steps().size(), 4u);
        EXPECT_EQ(allLinks().size(), 3u);
        ASSERT_EQ(runtime.boxes().size(), 1u);
        EXPECT_EQ(runtime.lastBox().request.title, "Delete Operation Error");
        EXPECT_NE(runtime.lastBox().request.text.find(std::string("from the file ") + c.reported + "."),
                  std::string::npos)
            << runtime.lastBox().request.text;
        EXPECT_NE(runtime.lastBox().request.text.find("refused by test"), std::string::npos);
        // The handle still stands on the task, so a retry deletes it.
        EXPECT_EQ(schedule.record().id, 7);
    }
    EXPECT_EQ(RecordRules(reporter).deleteRecord(schedule), RecordRules::kDone);
    EXPECT_EQ(steps().size(), 1u);
}

// The monitor's delete of a finished "Once" task goes through the same cascade, silently, and
// also clears rows left behind by a task that is already gone.
TEST_F(IntegrityTest, TheProgramsOwnDeletesCascadeToo) {
    StoreTaskDeleter deleter(schedule, scripting, links);
    ScheduleRecord task;
    task.id = 7;
    EXPECT_TRUE(deleter.deleteTask(task));
    EXPECT_EQ(steps().size(), 1u);
    EXPECT_EQ(allLinks().size(), 1u);

    addStep(9, 1);
    addLink(9, 3);
    task.id = 9;
    EXPECT_TRUE(deleter.deleteTask(task));
    EXPECT_EQ(steps().size(), 1u);
    EXPECT_EQ(allLinks().size(), 1u);

    exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.\"Script\" BEGIN SELECT RAISE(ABORT, 'no'); END");
    task.id = 8;
    EXPECT_FALSE(deleter.deleteTask(task));
    EXPECT_NE(deleter.lastError().text.find("no"), std::string::npos);
    EXPECT_EQ(tasks().size(), 1u);
    EXPECT_EQ(allLinks().size(), 1u);
    EXPECT_TRUE(runtime.boxes().empty());
}

// Another process holds the store: the delete gives up after the 2-second wait with warning 34.
TEST_F(IntegrityTest, AStoreLockedElsewhereFailsTheFraming) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CatalogTable<LinkRecord> other(linkLayout());
        StoreError error;
        const bool locked = other.open() == 0 && other.connection()->exec("BEGIN IMMEDIATE", &error);
        const char byte = locked ? '1' : '0';
        (void)!::write(ready[1], &byte, 1);
        sleep(4);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, '1');
    EXPECT_EQ(deleteTask(7), RecordRules::kFailed);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Transaction Framing Error");
    const std::string& text = runtime.lastBox().request.text;
    EXPECT_EQ(text.rfind("Error: (", 0), 0u) << text;
    EXPECT_NE(text.find("(32)) attempting to frame the delete transaction on Schedule.  Delete transaction cancelled."),
              std::string::npos)
        << text;
    EXPECT_EQ(steps().size(), 4u);
}

TEST_F(IntegrityTest, CategoryInUseByATaskCannotBeDeleted) {
    addRecord(categories, CategoryRecord{"Work"});
    addRecord(categories, CategoryRecord{"Home"});
    addTask(20, "WORK");  // names compare without regard to case
    addRecord(todo, TodoRecord{0, 1, "Home", "Paint", 0, 0, {}, 0, 0, 0, {}, {}});

    categories.record().category = "work";
    read(categories, "CAT:KeyCategory");
    EXPECT_EQ(RecordRules(reporter).deleteRecord(categories), RecordRules::kFailed);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Referential Integrity Delete Error");
    EXPECT_EQ(runtime.lastBox().request.text,
              "This record is referenced from the file Schedule.  This record cannot be deleted while these "
              "references exist.");

    categories.record().category = "Home";
    read(categories, "CAT:KeyCategory");
    EXPECT_EQ(RecordRules(reporter).deleteRecord(categories), RecordRules::kDone);
    EXPECT_EQ(rows<CategoryRecord>(categoriesLayout()), (std::vector<CategoryRecord>{{"Work"}}));
    EXPECT_EQ(rows<TodoRecord>(todoLayout()).size(), 1u);
}

TEST_F(IntegrityTest, ContactCategoryInUseCannotBeRenamed) {
    addRecord(contactCategories, ContactCategoryRecord{"Clients"});
    addRecord(contactCategories, ContactCategoryRecord{"Friends"});
    addContact(1, "Clients");

    contactCategories.record().contactCategory = "Clients";
    read(contactCategories, "CC:KeyContactCategories");
    const RecordImage opened = RecordImage::of(contactCategories);
    contactCategories.record().contactCategory = "Customers";
    EXPECT_EQ(RecordRules(reporter).changeRecord(contactCategories, &opened, OtherStationNotice::ChangesShown),
              RecordRules::kFailed);
    EXPECT_EQ(contactCategories.record().contactCategory, "Clients");
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Referential Integrity Update Error");
    EXPECT_EQ(runtime.lastBox().request.text,
              "This record is referenced from the file Contact.  Linking field(s) have been restricted from change "
              "and have been reset to original values.");
    EXPECT_EQ(rows<ContactCategoryRecord>(contactCategoriesLayout()),
              (std::vector<ContactCategoryRecord>{{"Clients"}, {"Friends"}}));

    // The restored record can be written again: the undone put left no stale revision behind.
    contactCategories.watch();
    EXPECT_EQ(RecordRules(reporter).changeRecord(contactCategories, &opened, OtherStationNotice::ChangesShown),
              RecordRules::kDone);

    contactCategories.record().contactCategory = "Friends";
    read(contactCategories, "CC:KeyContactCategories");
    const RecordImage unused = RecordImage::of(contactCategories);
    contactCategories.record().contactCategory = "Family";
    EXPECT_EQ(RecordRules(reporter).changeRecord(contactCategories, &unused, OtherStationNotice::ChangesShown),
              RecordRules::kDone);
    EXPECT_EQ(rows<ContactCategoryRecord>(contactCategoriesLayout()),
              (std::vector<ContactCategoryRecord>{{"Clients"}, {"Family"}}));
}

TEST_F(IntegrityTest, ChangedKeysCarryTheirChildrenAlong) {
    schedule.record().id = 7;
    read(schedule, "SCH:KeyID");
    const RecordImage task = RecordImage::of(schedule);
    schedule.record().id = 12;
    EXPECT_EQ(RecordRules(reporter).changeRecord(schedule, &task, OtherStationNotice::UpdateError), RecordRules::kDone);
    std::vector<std::pair<int, int>> stepKeys;
    for (const auto& s : steps()) stepKeys.emplace_back(s.id, s.sequence);
    EXPECT_EQ(stepKeys, (std::vector<std::pair<int, int>>{{8, 1}, {12, 1}, {12, 2}, {12, 3}}));
    EXPECT_EQ(allLinks(), (std::vector<LinkRecord>{{8, 1}, {12, 1}, {12, 2}}));

    addContact(1);
    contacts.record().clientId = 1;
    read(contacts, "C_:KeyClientID");
    const RecordImage contact = RecordImage::of(contacts);
    contacts.record().clientId = 5;
    EXPECT_EQ(RecordRules(reporter).changeRecord(contacts, &contact, OtherStationNotice::ChangesShown),
              RecordRules::kDone);
    EXPECT_EQ(allLinks(), (std::vector<LinkRecord>{{8, 5}, {12, 2}, {12, 5}}));
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(IntegrityTest, ReporterRollsBackBeforeItShowsAndEndsOnFatalWarnings) {
    Transaction transaction({&todo});
    ASSERT_TRUE(transaction.begin());
    addRecord(todo, TodoRecord{0, 1, {}, "Unsaved", 0, 0, {}, 0, 0, 0, {}, {}});
    const StoreError error = StoreError::make(36, "not a store");
    EXPECT_EQ(reporter.show(1, "ToDo", {}, error, &transaction), Button::Ok);
    EXPECT_FALSE(transaction.active());
    EXPECT_TRUE(rows<TodoRecord>(todoLayout()).empty());
    EXPECT_EQ(runtime.lastBox().request.text,
              "Error: (not a store (36)) accessing ToDo.  Press OK to end this application.");
    EXPECT_EQ(runtime.endedWith, "Invalid File!");
    EXPECT_EQ(reporter.lastError().code, 36);
    EXPECT_TRUE(reporter.savedError().ok());

    WarningReporter silent;
    EXPECT_EQ(silent.show(16), Button::Cancel);
    EXPECT_EQ(silent.lastWarning(), 16);
}

}  // namespace
}  // namespace cm::test
