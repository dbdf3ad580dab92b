#include <gtest/gtest.h>

#include "store/layout_migration.h"
#include "store/table_registry.h"
#include "store/table_sql.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/table_catalog.h"
#include "store_fixture.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

constexpr const char* kMustUpgrade =
    "The databases must be upgraded before using this version.  Consult your documentation for instructions on this.";

class RegistryTest : public StoreFixture {
protected:
    using ScheduleTable = Table<ScheduleRecord>;

    // A Schedule table as an older program left it: layout version 4, without SCH:OriginalID.
    void makeVersion4Store(int rows, bool duplicateIds = false) {
        ScheduleTable probe(scheduleLayout(), "cm97\\!s");
        StoreError error;
        auto c = probe.maintenanceConnection(error, true);
        ASSERT_TRUE(c) << error.text;
        const TableSql& sql = probe.sql();
        std::string ddl = "CREATE TABLE s (rec INTEGER PRIMARY KEY, rev INTEGER NOT NULL DEFAULT 0";
        for (std::size_t i = 0; i < scheduleLayout().fields.size(); ++i)
            if (scheduleLayout().fields[i].name != "SCH:OriginalID") ddl += ", " + sql.columnDefinition(static_cast<int>(i));
        ASSERT_TRUE(c->exec(ddl + ")", &error)) << error.text;
        ASSERT_TRUE(c->exec("CREATE TABLE _layouts (name TEXT PRIMARY KEY, version INTEGER); "
                            "INSERT INTO _layouts VALUES ('s', 4)", &error));
        for (int i = 1; i <= rows; ++i)
            ASSERT_TRUE(c->exec("INSERT INTO s (ID, Description, Category, Date, Message) VALUES (" +
                                std::to_string(duplicateIds ? 1 : i) + ", 'Task " + std::to_string(i) +
                                "', 'Work', " + std::to_string(80000 + i) + ", 'memo " + std::to_string(i) + "')"));
    }

    std::vector<std::string> backups() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(m_dir.path()))
            if (e.path().filename().string().ends_with(".TPS.bak")) out.push_back(e.path().filename().string());
        return out;
    }

    FakeRuntime runtime;
};

TEST_F(RegistryTest, RegisterTablesDeclaresTheCatalogInOrder) {
    UpgradeManager manager;
    registerTables(manager);
    EXPECT_EQ(manager.driver(), "Tps");
    EXPECT_EQ(manager.skipped(), std::vector<std::string>{"AllFiles"});
    const std::vector<std::tuple<std::string, std::string, int>> expected = {
        {"CAT", "Categories", 2},   {"CLI", "Clipboard", 3},     {"CF", "Configuration", 1},
        {"C_", "Contact", 2},       {"CC", "ContactCategories", 2}, {"HOL", "Holidays", 2},
        {"L", "Link", 2},           {"SCH", "Schedule", 5},      {"SCR", "Scripting", 4},
        {"SSch", "SyncSchedule", 1}, {"SScr", "SyncScripting", 1}, {"STdo", "SyncTodo", 1},
        {"TDO", "Todo", 4},         {"WL", "WindowLookup", 2},
    };
    ASSERT_EQ(manager.registrations().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& r = manager.registrations()[i];
        EXPECT_EQ(std::tie(r.prefix, r.table, r.version), expected[i]) << i;
        EXPECT_EQ(tableRegistrations()[i].layout().version, r.version) << r.table;
    }
}

TEST_F(RegistryTest, FirstRunCreatesEveryTableOnFirstUse) {
    for (const TableInfo& info : tableRegistrations()) {
        if (!info.inStoreFile) continue;
        // Opening and counting never touch the record buffer.
        TableHandle t(info.layout(), nullptr, std::string(info.declaredName));
        ASSERT_TRUE(openOrCreateTable(t, runtime)) << info.table << ": " << t.lastError().text;
        EXPECT_EQ(t.records(), 0) << info.table;
    }
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_FALSE(runtime.endedWith);
    std::size_t tables = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.path()))
        tables += e.path().extension() == ".TPS";
    EXPECT_EQ(tables, 1u);  // all of them in CM97.TPS
}

TEST_F(RegistryTest, OpenCountersAreSharedByCallers) {
    Table<ScriptingRecord> script(scriptingLayout(), "CM97\\!Script");
    {
        TableUse first(script, runtime);
        ASSERT_TRUE(first.open());
        {
            TableUse second(script, runtime);
            EXPECT_EQ(TableUsage::count(script), 2);
            EXPECT_TRUE(script.isOpen());
        }
        EXPECT_EQ(TableUsage::count(script), 1);
        EXPECT_TRUE(script.isOpen());
    }
    EXPECT_EQ(TableUsage::count(script), 0);
    EXPECT_FALSE(script.isOpen());
}

TEST_F(RegistryTest, AnOlderLayoutIsUpgradedAfterABackup) {
    makeVersion4Store(25);
    ScheduleTable t(scheduleLayout(), "cm97\\!s");
    EXPECT_EQ(t.open(), 47);
    ASSERT_TRUE(openOrCreateTable(t, runtime)) << t.lastError().text;
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_FALSE(runtime.endedWith);
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_TRUE(backups()[0].starts_with("CM97-"));

    EXPECT_EQ(t.records(), 25);
    ASSERT_EQ(t.set(t.keyIndex("SCH:KeyID")), 0);
    for (int i = 1; i <= 25; ++i) {
        ASSERT_EQ(t.next(), 0);
        EXPECT_EQ(t.record().id, i);
        EXPECT_EQ(t.record().description, "Task " + std::to_string(i));
        EXPECT_EQ(t.record().message, "memo " + std::to_string(i));
        EXPECT_EQ(t.record().originalId, 0);
    }
    StoreError error;
    EXPECT_EQ(LayoutMigration::recordedVersion(*t.connection(), "s", error), 5);
    t.record().originalId = 7;
    EXPECT_EQ(t.put(), 0);
}

TEST_F(RegistryTest, AFailedOrImpossibleUpgradeEndsTheProgramAndKeepsTheStore) {
    makeVersion4Store(3, true);  // duplicate IDs: the unique key cannot be built
    {
        ScheduleTable t(scheduleLayout(), "cm97\\!s");
        EXPECT_FALSE(openOrCreateTable(t, runtime));
        EXPECT_EQ(runtime.endedWith, kMustUpgrade);
        StoreError error;
        auto c = t.maintenanceConnection(error);
        EXPECT_EQ(LayoutMigration::recordedVersion(*c, "s", error), 4);
        EXPECT_EQ(LayoutMigration::columns(*c, "s", error).size(), scheduleLayout().fields.size() + 1);
        ASSERT_TRUE(c->exec("UPDATE _layouts SET version = 6"));
    }
    FakeRuntime newer;
    ScheduleTable t(scheduleLayout(), "cm97\\!s");
    EXPECT_FALSE(openOrCreateTable(t, newer));
    EXPECT_EQ(newer.endedWith, kMustUpgrade);
    EXPECT_TRUE(newer.boxes().empty());
}

TEST_F(RegistryTest, InvalidKeysAskToRebuild) {
    {
        ScheduleTable t(scheduleLayout(), "cm97\\!s");
        ASSERT_TRUE(openOrCreateTable(t, runtime));
        ASSERT_TRUE(t.connection()->exec("DROP INDEX s_KeyCategory"));
    }
    for (Button answer : {Button::No, Button::Yes}) {
        FakeRuntime rt;
        rt.answerNext(answer);
        ScheduleTable t(scheduleLayout(), "cm97\\!s");
        EXPECT_EQ(openOrCreateTable(t, rt), answer == Button::Yes);
        ASSERT_EQ(rt.boxes().size(), 1u);
        EXPECT_EQ(rt.lastBox().request.title, "Invalid Key");
        EXPECT_EQ(rt.lastBox().request.text, "Schedule key file is invalid.  Do you want to rebuild the key?");
        EXPECT_EQ(rt.endedWith.value_or(""), answer == Button::No ? "Invalid Key!" : "");
    }
}

TEST_F(RegistryTest, UnreadableFilesShowFileAccessErrorAndEnd) {
    const std::string text = "not a store\n";
    writeBytes(store(), text);
    ScheduleTable t(scheduleLayout(), "cm97\\!s");
    EXPECT_FALSE(openOrCreateTable(t, runtime));
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "File Access Error");
    EXPECT_EQ(runtime.lastBox().request.text,
              "File (Schedule) could not be opened.  Error: file is not a database (36).");
    EXPECT_EQ(runtime.lastBox().request.buttons, kButtonOk);
    EXPECT_EQ(runtime.endedWith, "Disk Error");
    StoreConnection::closeIdle();
    EXPECT_EQ(readBytes(store()), text);
    EXPECT_TRUE(backups().empty());
}

TEST_F(RegistryTest, CreationFailureShowsFileCreationError) {
    StoreFiles::setDataFolder(m_dir / "no such folder");
    ScheduleTable t(scheduleLayout(), "cm97\\!s");
    EXPECT_FALSE(openOrCreateTable(t, runtime));
    ASSERT_EQ(runtime.boxes().size(), 1u);
    const std::string& shown = runtime.lastBox().request.text;
    EXPECT_EQ(runtime.lastBox().request.title, "File Creation Error");
    EXPECT_TRUE(shown.starts_with("Error: (")) << shown;
    EXPECT_TRUE(shown.ends_with(") creating Schedule.  Press OK to end this application.")) << shown;
    EXPECT_EQ(runtime.endedWith, "File Creation Error!");
}

}  // namespace
}  // namespace cm::test
