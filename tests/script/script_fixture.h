#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "engine/event_log.h"
#include "engine/schedule_store_fixture.h"
#include "engine/task_actions.h"
#include "script/keystroke_sender.h"
#include "script/script_interpreter.h"
#include "script/script_loader.h"
#include "script/script_queue.h"
#include "shell/settings.h"
#include "support/fake_timers.h"
#include "support/recording_ports.h"

namespace cm::test {

inline ScriptingRecord scriptItem(std::string action) {
    ScriptingRecord r;
    r.action = std::move(action);
    return r;
}

inline ScriptingRecord waitItem(std::int32_t seconds, std::string andOr, std::string pattern) {
    ScriptingRecord r = scriptItem("Wait");
    r.secondsToWait = seconds;
    r.ddeApplicationName = std::move(andOr);
    r.waitForWindow = std::move(pattern);
    return r;
}

inline ScriptingRecord ifWindow(std::string condition, std::string title) {
    ScriptingRecord r = scriptItem("If Window...");
    r.windowExistance = std::move(condition);
    r.windowTitleToCheckFor = std::move(title);
    return r;
}

inline ScriptingRecord ifTime(std::string condition, std::int32_t seconds) {
    ScriptingRecord r = scriptItem("If Time Elapsed...");
    r.ifTimeElapsed = std::move(condition);
    r.timeElapsed = seconds;
    return r;
}

// The interpreter on a real store, the fake clock and timers, and recording ports. Ticks come
// every 50 hundredths, as the monitor gives them while scripts are queued; every "Script" event
// is noted with the hundredths elapsed since the test began.
class ScriptFixture : public ScheduleStoreFixture {
protected:
    static constexpr int kTick = 50;
    static constexpr const char* kEditor = "Editor - notes.txt";

    void SetUp() override {
        ScheduleStoreFixture::SetUp();
        settings.logEvents = true;
        settings.scriptingDelay = 50;
        actions.setScriptQueuer(loader.queuer());
    }

    void addScript(std::int32_t taskId, const std::vector<ScriptingRecord>& items) {
        std::int32_t sequence = 0;
        for (ScriptingRecord r : items) {
            r.id = taskId;
            r.sequence = ++sequence;
            scripting.record() = r;
            ASSERT_EQ(scripting.add(), 0) << scripting.lastError().text;
        }
    }

    // Something the test does to the desktop when a tick comes.
    void at(int hundredths, std::function<void()> change) { m_changes[hundredths] = std::move(change); }

    void tick() {
        timers.advance(std::chrono::milliseconds(kTick * 10));
        const int now = elapsed();
        if (auto it = m_changes.find(now); it != m_changes.end()) it->second();
        if (!queue.empty()) interpreter.step();
        collect();
    }
    void run(int seconds) {
        for (int i = 0; i < seconds * 100 / kTick; ++i) tick();
    }
    void runUntilEmpty(int maxTicks = 400) {
        for (int i = 0; i < maxTicks && (!queue.empty() || interpreter.sending()); ++i) tick();
        ASSERT_TRUE(queue.empty()) << "still queued: " << queue.size();
    }
    int elapsed() const { return static_cast<int>(timers.elapsed().count() / 10); }

    // The data of each "Script" event written so far.
    std::vector<std::string> scriptLog() const {
        std::vector<std::string> out;
        std::ifstream in(log.path());
        for (std::string line; std::getline(in, line);) {
            if (line.size() < EventLog::kRecordWidth) continue;
            const std::string_view fields(line);
            const auto label = FixedText::trimTrailingBlanks(fields.substr(20, EventLog::kLabelWidth));
            if (label == ScriptInterpreter::kScriptEvent)
                out.emplace_back(FixedText::trimTrailingBlanks(fields.substr(50, EventLog::kDataWidth)));
        }
        return out;
    }

    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& b : runtime.boxes()) out.push_back(b.request.title + "|" + b.request.text);
        return out;
    }

    Settings settings;
    EventLog log{m_dir.path(), clock, settings};
    FakeTimers timers{&clock};
    RecordingKeyboard keyboard;
    FakeWindowSystem windows;
    RecordingDde dde;
    RecordingProcessLauncher launcher;
    TaskActions actions{launcher, runtime, log, m_dir.path()};
    KeystrokeSender sender{keyboard, timers, runtime, settings, &clock};
    ScriptQueue queue;
    ScriptLoader loader{queue, scripting, clock, settings, runtime};
    ScriptInterpreter interpreter{{queue, runtime, clock, settings, log, actions, sender, windows, dde}};
    // "action@hundredths" for every "Script" event, in order.
    std::vector<std::string> events;

private:
    void collect() {
        const std::vector<std::string> lines = scriptLog();
        for (std::size_t i = m_seen; i < lines.size(); ++i) events.push_back(lines[i] + "@" + std::to_string(elapsed()));
        m_seen = lines.size();
    }

    std::map<int, std::function<void()>> m_changes;
    std::size_t m_seen = 0;
};

}  // namespace cm::test
