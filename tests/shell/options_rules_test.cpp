#include "shell/options_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/settings.h"
#include "shell/settings_store.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/tables/configuration_record.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"

namespace cm::test {
namespace {

TEST(OptionsDateFormats, DescriptionsAndPictures) {
    const std::vector<std::string_view> dropList = {
        "Windows Default", "October 31, 1959", "OCT 31,1959", "10/31/59",    "10/31/1959",
        "31 OCT 59",       "31 OCT 1959",      "31/10/59",    "31/10/1959", "Windows Default 2",
    };
    EXPECT_EQ(DateFormatChoices::dropList(), dropList);
    for (std::string_view description : dropList)
        EXPECT_EQ(DateFormatChoices::describe(DateFormatChoices::pictureOf(description)), description);

    const std::pair<const char*, const char*> pairs[] = {
        {"d17", "Windows Default"}, {"d3", "OCT 31,1959"}, {"d15", "59/10"}, {"n4b", "Year Only"},
        {"d18", "Windows Default 2"}, {"t7", "t7"},         {"", ""},
    };
    for (const auto& [picture, description] : pairs) {
        EXPECT_EQ(DateFormatChoices::describe(picture), description);
        EXPECT_EQ(DateFormatChoices::pictureOf(description), picture);
    }
}

TEST(OptionsRepeatAlarm, ShortRepeatsAreStoredAsFiveSeconds) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 5}, {3, 5}, {4, 5}, {5, 5}, {30, 30}};
    for (const auto& [entered, stored] : cases)
        EXPECT_EQ(OptionsController::storedRepeatInterval(entered), stored) << entered;
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreFiles::setDataFolder(dir.path());
        ASSERT_EQ(table.create(), 0) << table.lastError().text;
        ASSERT_EQ(table.open(), 0);
        store.loadSettings(settings);
    }
    void TearDown() override {
        table.close();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }

    // The settings in the order they were written: the table has no other order than its rows'.
    std::vector<std::pair<std::string, std::string>> rows() {
        std::vector<std::pair<std::string, std::string>> out;
        for (std::int64_t rec = 1; table.getByNumber(rec) == 0; ++rec)
            out.emplace_back(table.record().dataType, table.record().dataValue);
        return out;
    }

    TempDir dir;
    FakeRuntime runtime;
    Table<ConfigurationRecord> table{configurationLayout(), "CM97\\!CF"};
    SettingsStore store{table, runtime, {dir.path(), dir / "system.ini"}};
    Settings settings;
};

TEST_F(OptionsTest, OkStoresInOrderInOneBatch) {
    // Start from a table holding only what loading copied in, in a known order.
    ASSERT_EQ(table.set(table.keyIndex("CF:KeyDataType")), 0);
    while (table.next() == 0) ASSERT_EQ(table.erase(), 0);

    OptionsController options(settings, store, runtime);
    settings.startUpActive = false;
    settings.historyExpires = 30;
    settings.userId = "Ann";
    settings.repeatAlarmInterval = 3;
    options.setSendInterval(20);  // below the spin field's range
    options.setBurstSize(4);
    EXPECT_TRUE(options.ok());
    EXPECT_TRUE(runtime.boxes().empty()) << "the date format did not change";
    EXPECT_FALSE(table.connection()->inTransaction());

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"HistoryExpires", "30"},    {"RemoveUncompleted", "0"},  {"StartUpSchedule", "0"},
        {"StartUpToDo", "0"},        {"StartUpClipboardSaver", "0"}, {"StartUpContacts", "0"},
        {"StartUpActive", "1"},      {"StartUpMinimized", "0"},   {"FullSchedule", "0"},
        {"HideToolbar", "0"},        {"NoTray", "0"},             {"MaximizeOnRun", "0"},
        {"UseExternalMessage", "0"}, {"MultiUser", "0"},          {"UserID", "Ann"},
        {"LogEvents", "0"},          {"MonitorClipboard", "0"},   {"UseModalMessage", "0"},
        {"MaxClipboardEntries", "50"}, {"RepeatAlarmInterval", "5"}, {"ScriptingDelay", "50"},
        {"BurstSize", "4"},          {"DateFormat", "d3"},
    };
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(settings.repeatAlarmInterval, 5);
    EXPECT_EQ(settings.scriptingDelay, 50);
    EXPECT_EQ(settings.burstSize, 4);
}

TEST_F(OptionsTest, ScriptingFieldsTakeEffectOnlyOnOk) {
    OptionsController options(settings, store, runtime);
    options.setSendInterval(120);
    options.setBurstSize(99);
    EXPECT_EQ(options.burstSize(), 10);
    EXPECT_EQ(settings.scriptingDelay, 50);
    options.ok();
    EXPECT_EQ(settings.scriptingDelay, 120);
    EXPECT_EQ(settings.burstSize, 10);
    EXPECT_EQ(store.getSetting("ScriptingDelay"), "120");
}

TEST_F(OptionsTest, CancelReloadsTheStoredValues) {
    OptionsController options(settings, store, runtime);
    settings.startUpActive = false;  // "Scheduler active" unticked
    settings.logEvents = true;
    options.cancel();
    EXPECT_TRUE(settings.startUpActive);
    EXPECT_FALSE(settings.logEvents);

    settings.startUpActive = false;
    options.ok();
    settings.startUpActive = true;
    options.cancel();
    EXPECT_FALSE(settings.startUpActive) << "after OK the unticked box is what is stored";
}

TEST_F(OptionsTest, DateFormatChange) {
    ASSERT_TRUE(store.putSetting("DateFormat", "n4b"));
    store.loadSettings(settings);
    OptionsController unchanged(settings, store, runtime);
    EXPECT_EQ(unchanged.dateFormat(), "Year Only");
    unchanged.ok();
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_EQ(store.getSetting("DateFormat"), "n4b");

    OptionsController options(settings, store, runtime);
    options.selectDateFormat("31/10/1959");
    options.ok();
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Information");
    EXPECT_EQ(runtime.lastBox().request.text,
              "Date format changes will not affect currently open windows.  You can close and re-open windows, or "
              "exit and restart Chronomate to view information using the new date format.");
    EXPECT_EQ(settings.dateFormat, "d6");
    EXPECT_EQ(store.getSetting("DateFormat"), "d6");

    ASSERT_TRUE(store.putSetting("DateFormat", "zz"));
    store.loadSettings(settings);
    OptionsController odd(settings, store, runtime);
    EXPECT_EQ(odd.dateFormat(), "zz") << "a value without a description shows as itself";
    odd.ok();
    EXPECT_EQ(store.getSetting("DateFormat"), "zz");
}

}  // namespace
}  // namespace cm::test
