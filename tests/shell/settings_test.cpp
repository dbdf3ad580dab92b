#include "shell/settings_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "base/ini_file.h"
#include "shell/settings.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/tables/configuration_record.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"

namespace cm::test {
namespace {

namespace fs = std::filesystem;

// A temporary data folder with an open Configuration table and a system INI file of its own.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreFiles::setDataFolder(dir.path());
        fs::create_directories(dir / "config");
        ASSERT_EQ(table.create(), 0) << table.lastError().text;
        ASSERT_EQ(table.open(), 0) << table.lastError().text;
        store.setLoginNameLookup([this] { return login; });
    }
    void TearDown() override {
        table.close();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }

    void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    void programIni(const std::string& text) { writeFile(dir / "cm98.INI", text); }
    void systemIni(const std::string& text) { writeFile(systemIniPath(), text); }
    fs::path systemIniPath() const { return dir / "config" / "system.ini"; }

    // The value in the table itself, or nothing when the table has no such row.
    std::optional<std::string> stored(const std::string& name) {
        table.clear();
        table.record().dataType = name;
        if (table.get(table.keyIndex("CF:KeyDataType")) != 0) return std::nullopt;
        return table.record().dataValue;
    }
    void put(const std::string& name, const std::string& value) { ASSERT_TRUE(store.putSetting(name, value)); }

    Settings load() {
        Settings s;
        store.loadSettings(s);
        return s;
    }

    TempDir dir;
    FakeRuntime runtime;
    Table<ConfigurationRecord> table{configurationLayout(), "CM97\\!CF"};
    SettingsStore store{table, runtime, {dir.path(), dir / "config" / "system.ini"}};
    std::optional<std::string> login = "alice";
};

TEST_F(SettingsTest, FirstStartCopiesTheProgramIniValueIntoTheTable) {
    programIni("[Settings]\nLogEvents=1\nNoTray=\n");
    EXPECT_FALSE(stored("LogEvents"));

    const Settings s = load();
    EXPECT_TRUE(s.logEvents);
    EXPECT_EQ(stored("LogEvents"), "1");
    EXPECT_FALSE(stored("NoTray")) << "a blank value is not copied";

    // From now on the table wins over the INI file.
    programIni("[Settings]\nLogEvents=0\n");
    EXPECT_TRUE(load().logEvents);
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(SettingsTest, GetAndPutSetting) {
    EXPECT_EQ(store.getSetting("Missing"), "");
    EXPECT_EQ(store.getSetting("Missing", "fallback"), "fallback");
    EXPECT_EQ(stored("Missing"), "fallback") << "a default that was used is kept";

    put("UserID", "bob");
    put("userid", "carol");  // names match without regard to case
    EXPECT_EQ(store.getSetting("UserID"), "carol");
    EXPECT_TRUE(store.putSetting("HistoryExpires", std::int64_t{14}));
    EXPECT_EQ(stored("HistoryExpires"), "14");

    const std::string longValue(100, 'x');
    put("Long", longValue);
    EXPECT_EQ(store.getSetting("Long"), std::string(80, 'x'));
    EXPECT_EQ(table.records(), 4);
}

TEST_F(SettingsTest, StoreErrorsShowTheirMessagesAndReadAsBlank) {
    put("LogEvents", "1");
    table.close();  // every store call now fails

    EXPECT_EQ(store.getSetting("LogEvents", "7"), "");
    ASSERT_EQ(runtime.boxes().size(), 1u);
    const MessageBoxRequest& read = runtime.lastBox().request;
    EXPECT_EQ(read.title, "Error!");
    EXPECT_EQ(read.text, "Error retrieving configuration information code LogEvents - " + table.lastError().text);
    EXPECT_FALSE(table.lastError().text.empty());

    EXPECT_FALSE(store.putSetting("LogEvents", "0"));
    EXPECT_EQ(runtime.lastBox().request.title, "Error!");
    EXPECT_EQ(runtime.lastBox().request.text,
              "Error writing configuration information.  Code LogEvents - " + table.lastError().text);

    ASSERT_EQ(table.open(), 0);
    EXPECT_EQ(stored("LogEvents"), "1");
}

TEST_F(SettingsTest, AnEmptyStoreShowsTheScheduleAndRunsTheScheduler) {
    const Settings s = load();
    EXPECT_TRUE(s.startUpSchedule);
    EXPECT_TRUE(s.startUpActive);
    EXPECT_FALSE(s.startUpToDo);
    EXPECT_FALSE(stored("StartUpSchedule"));

    put("StartUpSchedule", "1");
    put("StartUpActive", "1");
    const Settings off = load();
    EXPECT_FALSE(off.startUpSchedule);
    EXPECT_FALSE(off.startUpActive);
}

TEST_F(SettingsTest, CorrectionsAndDefaults) {
    struct Case {
        const char* delay;
        const char* burst;
        const char* clipboard;  // nullptr: never set
        std::int32_t wantDelay, wantBurst, wantClipboard;
    };
    const Case cases[] = {
        {"", "", nullptr, 50, 7, 50},
        {"10", "0", "0", 50, 7, 0},
        {"120", "3", "200", 120, 3, 200},
        {"75 tenths", "x", "", 75, 7, 0},
    };
    for (const Case& c : cases) {
        put("ScriptingDelay", c.delay);
        put("BurstSize", c.burst);
        if (c.clipboard) put("MaxClipboardEntries", c.clipboard);
        const Settings s = load();
        EXPECT_EQ(s.scriptingDelay, c.wantDelay) << c.delay;
        EXPECT_EQ(s.burstSize, c.wantBurst) << c.burst;
        EXPECT_EQ(s.maxClipboardEntries, c.wantClipboard) << (c.clipboard ? c.clipboard : "never set");
    }
}

TEST_F(SettingsTest, DateFormatFallsBackOnTheSystemIniFile) {
    programIni("[Settings]\nDateFormat=d1\n");
    EXPECT_EQ(load().dateFormat, "d3") << "absent everywhere but in the program INI file";

    table.clear();
    table.record().dataType = "DateFormat";
    ASSERT_EQ(table.get(table.keyIndex("CF:KeyDataType")), 0);
    ASSERT_EQ(table.erase(), 0);
    systemIni("[Settings]\nDateFormat=d6\n");
    EXPECT_EQ(load().dateFormat, "d6");
    EXPECT_EQ(stored("DateFormat"), "d6");
}

TEST_F(SettingsTest, ValuesOutsideTheTable) {
    EXPECT_EQ(load().maxWindows, 100);
    EXPECT_FALSE(load().monitorWindows);

    programIni("[Settings]\nDebug=1\n");
    systemIni("[Chronomate]\nMonitor Windows=1\nMaxWindows=2\n[Settings]\nMaxWindows=9\n");
    Settings s = load();
    EXPECT_EQ(s.debug, 1);
    EXPECT_TRUE(s.monitorWindows);
    EXPECT_EQ(s.maxWindows, 2);

    systemIni("[Chronomate]\nMonitor Windows=0\nMaxWindows=0\n");
    put("Debug", "0");  // the table's copy is not the switch
    s = load();
    EXPECT_EQ(s.debug, 1);
    EXPECT_FALSE(s.monitorWindows);
    EXPECT_EQ(s.maxWindows, 100);
}

TEST_F(SettingsTest, RecordUser) {
    EXPECT_EQ(load().recordUser, "") << "single user";
    EXPECT_FALSE(stored("UserID"));

    put("MultiUser", "1");
    Settings s = load();
    EXPECT_EQ(s.recordUser, "alice") << "the login name";
    EXPECT_EQ(s.userId, "alice");
    EXPECT_EQ(stored("UserID"), "alice");

    login = "someone-else";
    EXPECT_EQ(load().recordUser, "alice") << "the stored UserID wins";

    put("UserID", "");
    login = std::nullopt;
    s = load();
    EXPECT_EQ(s.recordUser, "");
    EXPECT_EQ(stored("UserID"), "") << "stays blank when the login name is unknown";
}

TEST_F(SettingsTest, VersionIsWrittenAndNotLoaded) {
    put("Version", "1.5");
    ASSERT_TRUE(store.storeVersion());
    EXPECT_EQ(stored("Version"), "1.6a");
}

TEST_F(SettingsTest, BatchWritesEverySettingInOneTransaction) {
    ASSERT_TRUE(store.putSettings({{"A", "1"}, {"B", "2"}, {"A", "3"}}));
    EXPECT_EQ(stored("A"), "3");
    EXPECT_EQ(stored("B"), "2");
    EXPECT_FALSE(table.connection()->inTransaction()) << "flushed before returning";
}

TEST(SettingsNumber, ReadsLikeTheStoredText) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"", 0}, {"  12", 12}, {"-3", -3}, {"+4", 4}, {"7x", 7}, {"x7", 0}, {"99999999999", 2147483647},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(settingNumber(text), want) << '"' << text << '"';
}

}  // namespace
}  // namespace cm::test
