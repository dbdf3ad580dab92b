#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "engine/event_log.h"
#include "engine/holiday_calendar.h"
#include "engine/message_router.h"
#include "engine/monitor.h"
#include "engine/schedule_writer.h"
#include "engine/task_actions.h"
#include "engine/task_deleter.h"
#include "shell/settings.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/transaction.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/fake_timers.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"

namespace {

using namespace cm;

class NoWindows final : public MessageSink {
public:
    void showMessage(const TaskMessage&) override {}
    void showModalMessage(const TaskMessage&) override {}
    void showReplyMessage(const TaskMessage&) override {}
    void plainBox(const TaskMessage&) override {}
    void external(const TaskMessage&) override {}
};

// A data folder whose Schedule holds that many tasks, all due years from now, so a tick finds
// nothing to fire: the monitor's steady state, which it runs eight times a second.
class MonitorWorld {
public:
    explicit MonitorWorld(int rows) {
        StoreFiles::setDataFolder(m_dir.path());
        for (TableHandle* t : {static_cast<TableHandle*>(&schedule), static_cast<TableHandle*>(&scripting),
                               static_cast<TableHandle*>(&links), static_cast<TableHandle*>(&holidayTable)}) {
            t->create();
            t->open();
        }
        std::mt19937 random(7);
        const std::int32_t base = Date::fromYmd(2030, 1, 1);
        Transaction tx({&schedule});
        tx.begin();
        for (int i = 1; i <= rows; ++i) {
            ScheduleRecord& r = schedule.record();
            r = {};
            r.id = i;
            r.taskType = "Display Message";
            r.description = "Reminder " + std::to_string(i);
            r.scheduleType = "Custom";
            r.every = 1;
            r.everyType = "day(s)";
            r.disabled = random() % 4 == 0;
            r.date = base + static_cast<std::int32_t>(random() % 3650);
            r.time = static_cast<std::int32_t>(random() % Time::kOneDay) + 1;
            schedule.add();
        }
        tx.commit();
        monitor = std::make_unique<Monitor>(MonitorContext{runtime, clock, timers, sound, settings, log, schedule,
                                                           writer, deleter, actions, messages});
    }

    test::TempDir m_dir;
    Table<ScheduleRecord> schedule{scheduleLayout(), "cm97\\!s"};
    Table<ScriptingRecord> scripting{scriptingLayout(), "CM97\\!Script"};
    Table<LinkRecord> links{linkLayout(), "CM97\\!Link"};
    Table<HolidayRecord> holidayTable{holidaysLayout(), "CM97\\!Hol"};
    test::FakeClock clock{2026, 12, 11, 9, 0, 0};
    test::FakeTimers timers{&clock};
    test::FakeRuntime runtime;
    test::RecordingSound sound;
    test::RecordingProcessLauncher launcher;
    Settings settings;
    EventLog log{m_dir.path(), clock, settings};
    NoWindows windows;
    MessageRouter messages{windows, runtime, log, settings};
    TaskActions actions{launcher, runtime, log, m_dir.path()};
    StoreTaskDeleter deleter{schedule, scripting, links};
    StoreHolidayCalendar holidays{holidayTable};
    ScheduleWriter writer{schedule, scripting, deleter, holidays, clock, runtime};
    std::unique_ptr<Monitor> monitor;
};

MonitorWorld& world(int rows) {
    static std::map<int, std::unique_ptr<MonitorWorld>> worlds;
    auto& w = worlds[rows];
    if (!w) w = std::make_unique<MonitorWorld>(rows);
    StoreFiles::setDataFolder(w->m_dir.path());
    return *w;
}

std::map<int, double>& perTick() {
    static std::map<int, double> m;
    return m;
}

// One MonitorTick with nothing due over N tasks; the counter "ratio_to_1000" compares the
// cost per tick with the 1,000-task store measured in the same run.
void BM_MonitorTickNothingDue(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    MonitorWorld& w = world(rows);
    w.monitor->tick();  // the first tick of a day also runs the history removal
    const auto start = std::chrono::steady_clock::now();
    std::int64_t ticks = 0;
    for (auto _ : state) {
        w.monitor->tick();
        ++ticks;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    perTick()[rows] = seconds / static_cast<double>(ticks);
    if (perTick().count(1000) && rows != 1000) state.counters["ratio_to_1000"] = perTick()[rows] / perTick()[1000];
}
BENCHMARK(BM_MonitorTickNothingDue)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
