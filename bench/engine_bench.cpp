#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/date.h"
#include "base/moment.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "engine/recurrence.h"
#include "shell/null_runtime.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"

namespace {

// The calculator only needs a runtime for the "Invalid Units" box, which these tasks never show.
class QuietRuntime final : public cm::NullRuntime {
public:
    cm::Button messageBox(const cm::MessageBoxRequest&) override { return cm::Button::Ok; }
    bool runCommandLine(std::string_view) override { return true; }
};

const std::int32_t kToday = cm::Date::fromYmd(2026, 3, 2);

cm::ScheduleRecord everyMinutes(int minutes, int yearsBehind) {
    cm::ScheduleRecord t;
    t.scheduleType = "Custom";
    t.everyType = "minute(s)";
    t.every = minutes;
    t.date = cm::Date::fromYmd(2026 - yearsBehind, 3, 2);
    t.time = cm::Time::fromHms(9, 0);
    return t;
}

// A task every N minutes (range 0) that is Y years behind (range 1), moved past now.
void BM_NextOccurrenceBehind(benchmark::State& state) {
    QuietRuntime runtime;
    const cm::Recurrence recurrence(runtime);
    const cm::ScheduleRecord task = everyMinutes(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const cm::Moment now{kToday, cm::Time::fromHms(12, 34, 56)};
    for (auto _ : state) {
        cm::ScheduleRecord t = task;
        recurrence.nextOccurrence(t, now);
        benchmark::DoNotOptimize(t.time);
    }
}
BENCHMARK(BM_NextOccurrenceBehind)->Args({1, 1})->Args({1, 10})->Args({5, 1})->Args({5, 10});

// The same result reached one step at a time: the baseline the jump is measured against.
void BM_StepByStepBaseline(benchmark::State& state) {
    const cm::ScheduleRecord task = everyMinutes(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const cm::Moment now{kToday, cm::Time::fromHms(12, 34, 56)};
    for (auto _ : state) {
        cm::Moment m{task.date, task.time};
        while (cm::compareMoments(m, now) < 0)
            m = cm::Moment{m.date, m.time + task.every * cm::Time::kOneMinute}.normalized();
        benchmark::DoNotOptimize(m.time);
    }
}
BENCHMARK(BM_StepByStepBaseline)->Args({1, 1})->Args({5, 10})->Unit(benchmark::kMillisecond);

// 1,000 holidays: one every third day (range 0 = 0), or 1,000 days in a row that the shift
// has to walk across (range 0 = 1). The task falls on the first of them.
cm::ScheduleRecord taskOnHoliday() {
    cm::ScheduleRecord t;
    t.scheduleType = "Custom";
    t.everyType = "day(s)";
    t.every = 1;
    t.date = kToday + 30;
    t.time = cm::Time::fromHms(9, 0);
    t.exceptHolidays = 1;
    t.shiftType = "Next Day";
    return t;
}

std::int32_t holidayDate(int i, bool consecutive) {
    return kToday + 30 + (consecutive ? i : 3 * i);
}

void BM_ApplyExceptionsMemory(benchmark::State& state) {
    QuietRuntime runtime;
    const cm::Recurrence recurrence(runtime);
    const bool consecutive = state.range(0) != 0;
    cm::MemoryHolidayCalendar holidays;
    for (int i = 0; i < 1000; ++i)
        holidays.add({holidayDate(i, consecutive), "Holiday", static_cast<std::uint8_t>(i % 2)});
    const cm::ScheduleRecord task = taskOnHoliday();
    for (auto _ : state) {
        cm::ScheduleRecord t = task;
        benchmark::DoNotOptimize(recurrence.applyExceptions(t, holidays, kToday));
    }
}
BENCHMARK(BM_ApplyExceptionsMemory)->Arg(0)->Arg(1);

void BM_ApplyExceptionsStore(benchmark::State& state) {
    QuietRuntime runtime;
    const cm::Recurrence recurrence(runtime);
    const bool consecutive = state.range(0) != 0;
    char pattern[] = "/tmp/engine_bench_XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    cm::StoreFiles::setDataFolder(dir);
    {
        cm::Table<cm::HolidayRecord> table(cm::holidaysLayout(), "CM97\\!Hol");
        if (table.create() != 0 || table.open() != 0) {
            state.SkipWithError("cannot create the holiday table");
            return;
        }
        for (int i = 0; i < 1000; ++i) {
            table.record() = {holidayDate(i, consecutive), "Holiday", static_cast<std::uint8_t>(i % 2)};
            table.add();
        }
        cm::StoreHolidayCalendar holidays(table);
        const cm::ScheduleRecord task = taskOnHoliday();
        for (auto _ : state) {
            cm::ScheduleRecord t = task;
            benchmark::DoNotOptimize(recurrence.applyExceptions(t, holidays, kToday));
        }
        table.close();
    }
    cm::StoreConnection::closeIdle();
    cm::StoreFiles::setDataFolder({});
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ApplyExceptionsStore)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
