#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/time_of_day.h"
#include "script/title_recorder.h"
#include "script/window_finder.h"
#include "shell/settings.h"
#include "store/store_fixture.h"
#include "support/fake_clock.h"
#include "support/recording_ports.h"

namespace cm::test {
namespace {

class TitleRecorderTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_EQ(table.create(), 0) << table.lastError().text;
        table.close();
        settings.monitorWindows = true;
    }
    void TearDown() override {
        table.close();
        reader.close();
        StoreFixture::TearDown();
    }

    // Ticks until the pending list is empty again: one listing and one title per tick.
    void recordAllOpenWindows() {
        recorder.recordNextWindowTitle();
        while (!recorder.pending().empty()) {
            clock.advanceSeconds(1);
            recorder.recordNextWindowTitle();
        }
    }

    // The titles along WL:KeyDate, each with the moment it was first seen.
    std::vector<std::string> byDate() {
        if (!reader.isOpen()) {
            EXPECT_EQ(reader.open(), 0);
        }
        std::vector<std::string> out;
        EXPECT_EQ(reader.set(reader.keyIndex("WL:KeyDate")), 0);
        while (reader.next() == 0)
            out.push_back(reader.record().title + "@" + std::to_string(Time::toHms(reader.record().time).second));
        return out;
    }

    FakeWindowSystem desktop;
    WindowFinder finder{desktop};
    FakeClock clock{2026, 3, 10, 9, 0, 0};
    Settings settings;
    Table<WindowLookupRecord> table{windowLookupLayout(), "CM97\\!WL"};
    Table<WindowLookupRecord> reader{windowLookupLayout(), "CM97\\!WL"};
    TitleRecorder recorder{finder, clock, settings, table};
};

TEST_F(TitleRecorderTest, RecordsEachTitleOnceWithItsFirstSighting) {
    desktop.addWindow("Terminal");
    desktop.addWindow("   ");
    desktop.addWindow(std::string(80, 'w'));
    desktop.addWindow("TERMINAL");

    recorder.recordNextWindowTitle();
    EXPECT_EQ(recorder.pending().size(), 4u);
    EXPECT_TRUE(byDate().empty());  // listing ticks record nothing

    recordAllOpenWindows();
    // The blank title is not recorded, the long one is cut to 70, the other case is the same title.
    EXPECT_EQ(byDate(), (std::vector<std::string>{"Terminal@0", std::string(70, 'w') + "@2"}));

    // Seen again later: the first sighting stays.
    recordAllOpenWindows();
    EXPECT_EQ(byDate(), (std::vector<std::string>{"Terminal@0", std::string(70, 'w') + "@2"}));
}

TEST_F(TitleRecorderTest, TrimsToMaxWindowsOldestFirst) {
    settings.maxWindows = 2;
    for (const char* title : {"First", "Second", "Third"}) {
        desktop.windows.clear();
        desktop.addWindow(title);
        recordAllOpenWindows();
        clock.advanceSeconds(10);
    }
    EXPECT_EQ(byDate(), (std::vector<std::string>{"Second@12", "Third@23"}));
}

TEST_F(TitleRecorderTest, PendingTitlesAreCutAndNothingHappensWhileMonitoringIsOff) {
    desktop.addWindow(std::string(200, 'p'));
    settings.monitorWindows = false;
    recorder.recordNextWindowTitle();
    EXPECT_TRUE(recorder.pending().empty());

    settings.monitorWindows = true;
    recorder.recordNextWindowTitle();
    ASSERT_EQ(recorder.pending().size(), 1u);
    EXPECT_EQ(recorder.pending().front(), std::string(124, 'p'));
}

}  // namespace
}  // namespace cm::test
