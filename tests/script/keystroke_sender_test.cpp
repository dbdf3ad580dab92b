#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/time_of_day.h"
#include "script/keystroke_sender.h"
#include "shell/settings.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/fake_timers.h"
#include "support/recording_ports.h"

namespace cm::test {
namespace {

class KeystrokeSenderTest : public ::testing::Test {
protected:
    // Sends a text and runs the timers dry: each event stamped with the hundredths it went
    // out at, and the moment done ran.
    std::vector<std::string> sendAll(const std::string& text) {
        const std::size_t first = keyboard.events.size();
        EXPECT_TRUE(sender.send(text, [this] { doneAt = elapsed(); }));
        std::vector<std::string> stream;
        std::size_t seen = first;
        while (timers.fireNext()) {
            for (; seen < keyboard.events.size(); ++seen)
                stream.push_back(std::to_string(elapsed()) + " " + keyboard.events[seen]);
        }
        return stream;
    }
    std::int64_t elapsed() const { return timers.elapsed().count() / 10; }
    void advance(std::int64_t hundredths) { timers.advance(Timers::hundredths(hundredths)); }

    RecordingKeyboard keyboard;
    FakeClock clock{2026, 3, 10, 12, 0, 0};
    FakeTimers timers{&clock};
    FakeRuntime runtime;
    Settings settings;
    KeystrokeSender sender{keyboard, timers, runtime, settings, &clock};
    std::optional<std::int64_t> doneAt;
};

// Each group is preceded by one interval of 50 hundredths; a pause, "[]" and a dropped "["
// cost their interval and send nothing.
TEST_F(KeystrokeSenderTest, KeystrokeExamplesAsGroupsInTime) {
    struct Case {
        std::string text;
        std::vector<std::string> stream;
        std::int64_t doneAt;
    };
    const Case cases[] = {
        {"Dear Sir[ENTER][TAB]x", {"50 text:Dear Si", "100 text:r", "150 key:0xD", "200 key:0x9", "250 text:x"}, 250},
        {"one group however long it is, without brackets" + std::string(150, ' '),
         {"50 text:one group however long it is, without brackets"}, 50},
        {"[ctrlc]", {"50 key:0x243"}, 50},
        {"[Ctrl C]", {"50 text:Ctrl C"}, 50},
        {"[SHIFTCTRLA]", {"50 text:SHIFTCTRLA"}, 50},
        {"[ CTRLA]", {"50 text: CTRLA"}, 50},
        {"[AKEY][A]", {"50 key:0x41", "100 text:A"}, 100},
        {"[HOME][homekey][PAUSEKEY]", {"50 text:HOME", "100 key:0x24", "150 key:0x13"}, 150},
        {"[PAUSE]x", {"100 text:x"}, 100},
        {"[]x", {"100 text:x"}, 100},
        {"[PAUSE]", {}, 50},
        {"[[]", {"50 text:["}, 50},
        {"abc[def", {"50 text:abc", "150 text:def"}, 150},
        {"a]b", {"50 text:a]b"}, 50},
        {"[ENTER]      ", {"50 key:0xD"}, 50},
        {"   [TAB]", {"50 text:   ", "100 key:0x9"}, 100},
        {"[MOUSELEFT2][ctrlshiftmouseleft]", {"50 key:0x5", "100 key:0x301"}, 100},
        {"     ", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        doneAt.reset();
        const std::int64_t start = elapsed();
        std::vector<std::string> expected;
        for (const std::string& e : c.stream) {
            const std::size_t blank = e.find(' ');
            expected.push_back(std::to_string(start + std::stoll(e.substr(0, blank))) + e.substr(blank));
        }
        EXPECT_EQ(sendAll(c.text), expected);
        ASSERT_TRUE(doneAt.has_value());
        EXPECT_EQ(*doneAt - start, c.doneAt);
        EXPECT_FALSE(sender.busy());
    }
}

TEST_F(KeystrokeSenderTest, IntervalAndGroupSizeAreReadForEveryGroup) {
    settings.scriptingDelay = 10;  // below the least interval: read as 50
    settings.burstSize = 0;        // read as 7
    ASSERT_TRUE(sender.send("abcdefghij[ENTER][TAB]"));
    advance(50);
    EXPECT_EQ(keyboard.events, (std::vector<std::string>{"text:abcdefg"}));

    // The next group's interval is already running: the change holds from the group after it.
    settings.scriptingDelay = 200;
    settings.burstSize = 2;  // read when the group goes out
    advance(50);
    EXPECT_EQ(keyboard.events, (std::vector<std::string>{"text:abcdefg", "text:hi"}));
    advance(199);
    EXPECT_EQ(keyboard.events.size(), 2u);
    advance(1);
    EXPECT_EQ(keyboard.events.back(), "text:j");
    advance(200);
    EXPECT_EQ(keyboard.events.back(), "key:0xD");
    EXPECT_TRUE(sender.busy());
    advance(200);
    EXPECT_EQ(keyboard.events.back(), "key:0x9");
    EXPECT_FALSE(sender.busy());
}

TEST_F(KeystrokeSenderTest, TrayAnimatesWithTheTipAndIsRestored) {
    sender.setTrayIconQuery([] { return std::string("traya_ico"); });
    sendAll("a[ENTER][TAB][ESC]b");
    EXPECT_EQ(runtime.trayIcons, (std::vector<std::string>{"tray_ico", "traybr_ico", "trayc_ico", "traydr_ico",
                                                           "tray_ico", "traya_ico"}));
    EXPECT_EQ(runtime.trayTip, "\"Send Keys\" in progress");
    EXPECT_EQ(runtime.trayTip.size(), 23u);
}

TEST_F(KeystrokeSenderTest, WithoutTrayTheTimingIsUnchanged) {
    settings.noTray = true;
    EXPECT_EQ(sendAll("a[ENTER]"), (std::vector<std::string>{"50 text:a", "100 key:0xD"}));
    EXPECT_TRUE(runtime.trayIcons.empty());
    EXPECT_TRUE(runtime.trayTip.empty());
}

// The clock runs up to midnight only: an interval that would reach it is not waited for.
TEST_F(KeystrokeSenderTest, GroupsAtMidnightGoOutAtOnce) {
    clock.set({clock.today(), Time::kOneDay - 51});  // 50 hundredths still fit before midnight
    EXPECT_EQ(sendAll("a[ENTER][TAB]"), (std::vector<std::string>{"50 text:a", "50 key:0xD", "50 key:0x9"}));

    clock.set({clock.today(), Time::kOneDay - 50});  // the target is midnight itself
    const std::int64_t start = elapsed();
    const auto stream = sendAll("b");
    EXPECT_EQ(stream, (std::vector<std::string>{std::to_string(start) + " text:b"}));
}

TEST_F(KeystrokeSenderTest, AbortBetweenGroupsDropsTheRest) {
    int done = 0;
    ASSERT_TRUE(sender.send("a[ENTER]b", [&] { ++done; }));
    advance(50);
    sender.abort();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(sender.busy());
    EXPECT_EQ(runtime.trayIcons.back(), "tray_ico");
    advance(500);
    EXPECT_EQ(keyboard.events, (std::vector<std::string>{"text:a"}));
    EXPECT_EQ(done, 1);
    EXPECT_EQ(timers.pending(), 0u);
}

// A backend that runs a nested event loop while it types can see the queue emptied: the group
// it is typing still finishes, and nothing after it goes out.
TEST_F(KeystrokeSenderTest, AbortInsideAGroupStopsAfterIt) {
    class AbortingKeyboard final : public Keyboard {
    public:
        bool typeText(std::string_view text) override {
            events.emplace_back(text);
            if (sender) sender->abort();
            return true;
        }
        bool pressKey(int) override {
            events.emplace_back("key");
            return true;
        }
        KeystrokeSender* sender = nullptr;
        std::vector<std::string> events;
    } aborting;
    KeystrokeSender inner(aborting, timers, runtime, settings, &clock);
    aborting.sender = &inner;
    int done = 0;
    ASSERT_TRUE(inner.send("abc[ENTER]d", [&] { ++done; }));
    advance(50);
    EXPECT_EQ(aborting.events, (std::vector<std::string>{"abc"}));
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(inner.busy());
    advance(500);
    EXPECT_EQ(aborting.events.size(), 1u);
}

TEST_F(KeystrokeSenderTest, OneSendAtATimeAndDoneMayStartTheNext) {
    ASSERT_TRUE(sender.send("a", [this] { sender.send("[ENTER]"); }));
    EXPECT_FALSE(sender.send("ignored"));
    advance(50);
    EXPECT_TRUE(sender.busy());
    advance(50);
    EXPECT_EQ(keyboard.events, (std::vector<std::string>{"text:a", "key:0xD"}));
    EXPECT_FALSE(sender.busy());
}

}  // namespace
}  // namespace cm::test
