#include "shell/start_up.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/ini_file.h"
#include "engine/event_log.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

// Notes each frame call in one list with the runtime's status zones, so the order shows.
class RecordingFrame final : public FrameHost {
public:
    explicit RecordingFrame(std::vector<std::string>& calls) : m_calls(calls) {}
    void restorePlacement() override { m_calls.push_back("restorePlacement"); }
    void savePlacement() override { m_calls.push_back("savePlacement"); }
    void iconize() override { m_calls.push_back("iconize"); }
    void sendToTray() override { m_calls.push_back("sendToTray"); }

private:
    std::vector<std::string>& m_calls;
};

class StartUpTest : public ::testing::Test {
protected:
    void TearDown() override {
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }

    void setIni(std::string_view key, std::string_view value) {
        ASSERT_TRUE(writeIni(SettingsStore::kSettingsSection, key, value, m_dir / "cm98.INI"));
    }

    std::vector<std::string> events() const {
        std::vector<std::string> out;
        std::ifstream in(m_dir / std::string(EventLog::kFileName));
        for (std::string line; std::getline(in, line);)
            if (line.size() >= EventLog::kRecordWidth)
                out.push_back(std::string(FixedText::trimTrailingBlanks(line.substr(20, EventLog::kLabelWidth))) + "|" +
                              std::string(FixedText::trimTrailingBlanks(line.substr(50))));
        return out;
    }

    test::TempDir m_dir;
    test::FakeClock clock{2026, 3, 2, 9, 30, 0};
    test::FakeRuntime runtime;
    Settings settings;
    EventLog log{m_dir.path(), clock, settings};
    std::vector<std::string> calls;
    RecordingFrame frame{calls};
    StartUp startUp{runtime, clock, settings, log, frame, m_dir.path()};
};

TEST_F(StartUpTest, FirstStartCreatesTheStoreWritesTheVersionAndLogsStartAndExit) {
    setIni("LogEvents", "1");
    startUp.programBody();
    ASSERT_TRUE(startUp.openFrame());
    EXPECT_EQ(runtime.statusZones[3], "Monday, MAR 02,2026");
    EXPECT_FALSE(runtime.statusZones[4].empty());
    const std::vector<StartUpWindow> windows = startUp.settingsStep();
    EXPECT_EQ(runtime.frameTitle, "Chronomate 98 1.6a");
    EXPECT_EQ(startUp.startDate(), clock.today());
    EXPECT_EQ(startUp.normalTrayIcon(), "tray_ico");
    EXPECT_TRUE(settings.logEvents);
    EXPECT_EQ(windows, std::vector<StartUpWindow>{StartUpWindow::Schedule});  // the default
    EXPECT_TRUE(std::filesystem::exists(m_dir / "CM97.TPS"));
    for (TableHandle* t : std::initializer_list<TableHandle*>{&startUp.clipboard(), &startUp.configuration(),
                                                              &startUp.schedule(), &startUp.scripting(),
                                                              &startUp.windowLookup()})
        EXPECT_TRUE(t->isOpen());

    SettingsStore store(startUp.configuration(), runtime, {m_dir.path(), {}});
    EXPECT_EQ(store.getSetting("Version"), "1.6a");

    startUp.shutDown();
    startUp.shutDown();
    EXPECT_FALSE(startUp.schedule().isOpen());
    EXPECT_EQ(calls, (std::vector<std::string>{"restorePlacement", "savePlacement"}));
    EXPECT_EQ(events(), (std::vector<std::string>{"Started|Chronomate 98 1.6a", "Exit Chronomate|"}));
    EXPECT_TRUE(runtime.boxes().empty());
}

TEST_F(StartUpTest, StartUpWindowsOpenInTheirOrderAndMinimizedGoesToTheTrayAfterStarted) {
    setIni("StartUpContacts", "1");
    setIni("StartUpToDo", "1");
    setIni("StartUpClipboardSaver", "1");
    setIni("StartUpMinimized", "1");
    setIni("LogEvents", "0");
    startUp.programBody();
    ASSERT_TRUE(startUp.openFrame());
    EXPECT_EQ(startUp.settingsStep(), (std::vector<StartUpWindow>{StartUpWindow::Contacts, StartUpWindow::Clipboard,
                                                                  StartUpWindow::ToDo, StartUpWindow::Schedule}));
    EXPECT_EQ(calls, (std::vector<std::string>{"restorePlacement", "iconize", "sendToTray"}));
    startUp.shutDown();
    EXPECT_TRUE(events().empty());
}

TEST_F(StartUpTest, ClosingAFrameThatNeverOpenedSavesNoPlacement) {
    startUp.programBody();
    startUp.shutDown();
    EXPECT_TRUE(calls.empty());
}

TEST(StartUpTimer, PeriodOutsideOneToAHundredBecomesAHundred) {
    const std::pair<int, int> cases[] = {{0, 100}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {-5, 100}};
    for (const auto& [requested, expected] : cases) EXPECT_EQ(StartUp::frameTimerPeriod(requested), expected) << requested;
}

}  // namespace
}  // namespace cm
