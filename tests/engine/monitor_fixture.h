#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "engine/event_log.h"
#include "engine/message_router.h"
#include "engine/monitor.h"
#include "engine/schedule_store_fixture.h"
#include "engine/task_actions.h"
#include "shell/settings.h"
#include "support/fake_timers.h"
#include "support/recording_ports.h"

namespace cm::test {

// Message windows that only note what they were asked to show.
class RecordingSink final : public MessageSink {
public:
    void showMessage(const TaskMessage& m) override { shown.push_back("child:" + m.title); }
    void showModalMessage(const TaskMessage& m) override { shown.push_back("modal:" + m.title); }
    void showReplyMessage(const TaskMessage& m) override { shown.push_back("reply:" + m.title + "|" + m.replyPath); }
    void plainBox(const TaskMessage& m) override { shown.push_back("plain:" + m.title); }
    void external(const TaskMessage& m) override { shown.push_back("external:" + m.text); }
    std::vector<std::string> shown;
};

// The cascade, made to fail a given number of times, as a store another station has locked.
class FlakyDeleter final : public TaskDeleter {
public:
    explicit FlakyDeleter(TaskDeleter& real) : m_real(real) {}
    bool deleteTask(const ScheduleRecord& task) override {
        m_failed = failures > 0;
        if (m_failed) {
            --failures;
            return false;
        }
        return m_real.deleteTask(task);
    }
    const StoreError& lastError() const override { return m_failed ? m_error : m_real.lastError(); }
    int failures = 0;

private:
    TaskDeleter& m_real;
    StoreError m_error = StoreError::make(StoreCode::kFileLocked, "database is locked");
    bool m_failed = false;
};

// A scripted queue: each step finishes one item.
class CountingStepper final : public ScriptStepper {
public:
    void step() override {
        ++steps;
        if (queued > 0) --queued;
    }
    bool queueEmpty() const override { return queued == 0; }
    int queued = 0;
    int steps = 0;
};

// A monitor on a real store, with the fake clock, timers, runtime and ports around it.
class MonitorFixture : public ScheduleStoreFixture {
protected:
    void SetUp() override {
        ScheduleStoreFixture::SetUp();
        settings.logEvents = true;
        actions.setScriptQueuer([this](std::int32_t id) {
            if (id != 0) stepper.queued += 2;
        });
        monitor.setScriptStepper(&stepper);
    }

    // A daily "Run Program" task.
    static ScheduleRecord daily(int y, int m, int d, int hour = 9, int minute = 0) {
        ScheduleRecord r = task("Custom", y, m, d, hour, minute);
        r.every = 1;
        r.everyType = "day(s)";
        r.command = "backup --all";
        return r;
    }

    std::vector<std::string> programsRun() const {
        std::vector<std::string> out;
        for (const auto& c : launcher.calls) out.push_back(c.program);
        return out;
    }

    // "label|data" of every event logged, blanks trimmed.
    std::vector<std::string> events() const {
        std::vector<std::string> out;
        std::ifstream in(log.path());
        for (std::string line; std::getline(in, line);) {
            if (line.size() < EventLog::kRecordWidth) continue;
            const std::string label(FixedText::trimTrailingBlanks(line.substr(20, EventLog::kLabelWidth)));
            const std::string data(FixedText::trimTrailingBlanks(line.substr(50)));
            out.push_back(label + "|" + data);
        }
        return out;
    }

    std::vector<ScheduleRecord> history() {
        std::vector<ScheduleRecord> out;
        for (const ScheduleRecord& r : allTasks())
            if (r.disabled) out.push_back(r);
        return out;
    }

    int boxesTitled(std::string_view title) const {
        int n = 0;
        for (const auto& b : runtime.boxes()) n += b.request.title == title;
        return n;
    }

    int scheduleChangedPosts() const {
        int n = 0;
        for (const auto& e : runtime.postedEvents) n += e.first == Monitor::kScheduleChangedEvent;
        return n;
    }

    Settings settings;
    FakeTimers timers{&clock};
    RecordingSound sound;
    RecordingProcessLauncher launcher;
    RecordingSink sink;
    CountingStepper stepper;
    EventLog log{m_dir.path(), clock, settings};
    TaskActions actions{launcher, runtime, log, m_dir.path()};
    MessageRouter messages{sink, runtime, log, settings};
    FlakyDeleter flaky{deleter};
    ScheduleWriter monitorWriter{schedule, scripting, flaky, holidays, clock, runtime};
    Monitor monitor{MonitorContext{runtime, clock, timers, sound, settings, log, schedule, monitorWriter, flaky,
                                   actions, messages}};
};

}  // namespace cm::test
