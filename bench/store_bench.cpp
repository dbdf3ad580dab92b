#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "store/tables/schedule_record.h"
#include "store/transaction.h"

#include "bench_folders.h"

namespace {

using ScheduleTable = cm::Table<cm::ScheduleRecord>;
constexpr const char* kScheduleName = "cm97\\!s";

using cm::bench::folders;

void fillTask(cm::ScheduleRecord& r, std::int32_t id, std::mt19937& random) {
    static const char* const categories[] = {"Work", "Home", "Backup", "Reports", "Mail", "Billing", "Music", "Admin"};
    r = {};
    r.id = id;
    r.taskType = "Run Program";
    r.category = categories[random() % 8];
    r.description = "Task " + std::to_string(random() % 100000);
    r.command = "/usr/bin/backup --all";
    r.scheduleType = "Day of Week";
    r.disabled = random() % 10 == 0;
    r.date = 80000 + static_cast<std::int32_t>(random() % 2000);
    r.time = static_cast<std::int32_t>(random() % 8640000);
    r.message = "Remember the milk";
}

// The data folder of a Schedule store with that many rows, built in one transaction.
std::filesystem::path scheduleStore(int rows) {
    static std::map<int, std::filesystem::path> built;
    if (auto it = built.find(rows); it != built.end()) return it->second;
    const auto folder = folders().folder("rows" + std::to_string(rows));
    cm::StoreFiles::setDataFolder(folder);
    ScheduleTable t(cm::scheduleLayout(), kScheduleName);
    t.create();
    t.open();
    std::mt19937 random(1);
    cm::Transaction tx({&t});
    tx.begin();
    for (int i = 1; i <= rows; ++i) {
        fillTask(t.record(), i, random);
        t.add();
    }
    tx.commit();
    built[rows] = folder;
    return folder;
}

double& firstDueBaselineNs() {
    static double ns = 0;
    return ns;
}

// The monitor's question every tick: the first task along SCH:KeyDateEnabled.
void BM_FirstDueTask(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    cm::StoreFiles::setDataFolder(scheduleStore(rows));
    ScheduleTable t(cm::scheduleLayout(), kScheduleName);
    if (t.open() != 0) state.SkipWithError(t.lastError().text.c_str());
    const int key = t.keyIndex("SCH:KeyDateEnabled");
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        t.set(key);
        if (t.next() != 0) state.SkipWithError("no first record");
        benchmark::DoNotOptimize(t.record().date);
    }
    const double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(state.iterations());
    if (rows == 1000) firstDueBaselineNs() = ns;
    // Against the 10^3-row store measured earlier in this run; must stay under 3.
    if (rows > 1000 && firstDueBaselineNs() > 0) state.counters["ratio_to_1e3"] = ns / firstDueBaselineNs();
}
BENCHMARK(BM_FirstDueTask)->Arg(1000)->Arg(100000)->Arg(1000000);

void addMany(benchmark::State& state, bool streaming) {
    constexpr int kRows = 100000;
    constexpr int kBatch = 1000;  // one tick of bulk work
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        cm::StoreConnection::closeIdle();
        cm::StoreFiles::setDataFolder(
            folders().folder(std::string(streaming ? "stream" : "single") + std::to_string(round++)));
        ScheduleTable t(cm::scheduleLayout(), kScheduleName);
        t.create();
        t.open();
        std::mt19937 random(2);
        state.ResumeTiming();
        for (int i = 1; i <= kRows; ++i) {
            fillTask(t.record(), i, random);
            if (streaming) {
                if (i % kBatch == 1) t.stream();
                t.add();
                if (i % kBatch == 0) t.flush();
            } else {
                cm::Transaction tx({&t});
                tx.begin();
                t.add();
                tx.commit();
            }
        }
        t.flush();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_Add1e5Streaming(benchmark::State& state) { addMany(state, true); }
BENCHMARK(BM_Add1e5Streaming)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Add1e5OnePerTransaction(benchmark::State& state) { addMany(state, false); }
BENCHMARK(BM_Add1e5OnePerTransaction)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WalkCategory1e5(benchmark::State& state) {
    cm::StoreFiles::setDataFolder(scheduleStore(100000));
    ScheduleTable t(cm::scheduleLayout(), kScheduleName);
    t.open();
    const int key = t.keyIndex("SCH:KeyCategory");
    std::int64_t seen = 0;
    for (auto _ : state) {
        t.set(key);
        while (t.next() == 0) ++seen;
    }
    state.SetItemsProcessed(seen);
}
BENCHMARK(BM_WalkCategory1e5)->Unit(benchmark::kMillisecond);

}  // namespace
