#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "shell/list_controller.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "store/tables/window_lookup_record.h"
#include "store/warning_reporter.h"

#include "bench_folders.h"

namespace {

using WindowLookupTable = cm::Table<cm::WindowLookupRecord>;
constexpr const char* kWindowLookupName = "CM97\\!WL";
constexpr int kPageRows = 30;
constexpr int kBatch = 10000;  // rows per streamed transaction while building
constexpr int kBaselineRows = 1000;

using cm::bench::folders;

// The data folder of a WindowLookup store with that many titles of mixed case.
std::filesystem::path titleStore(int rows) {
    static std::map<int, std::filesystem::path> built;
    if (auto it = built.find(rows); it != built.end()) return it->second;
    const auto folder = folders().folder("rows" + std::to_string(rows));
    cm::StoreFiles::setDataFolder(folder);
    WindowLookupTable t(cm::windowLookupLayout(), kWindowLookupName);
    t.create();
    t.open();
    std::mt19937 random(3);
    for (int i = 0; i < rows; ++i) {
        if (i % kBatch == 0) t.stream();
        std::string word(4 + random() % 5, ' ');
        for (char& c : word) c = static_cast<char>('a' + random() % 26);
        if (random() % 2 != 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
        t.record() = {word + " " + std::to_string(i), 80000 + i % 365, static_cast<std::int32_t>(random() % 8640000)};
        t.add();
        if (i % kBatch == kBatch - 1) t.flush();
    }
    t.flush();
    built[rows] = folder;
    return folder;
}

cm::ListDesign titleListDesign() {
    cm::ListDesign d;
    d.format = "175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d3@80R(2)|M~Time~C(0)@t3@";
    d.fields = {"WL:Title", "WL:Date", "WL:Time"};
    d.tabs = {{"Title", "WL:KeyTitle", {}, {}}, {"By Date", "WL:KeyDate", {}, {}}};
    d.buttons = {{"&Add", cm::ListAction::Insert},
                 {"&Edit", cm::ListAction::Change, 0, true},
                 {"&Delete", cm::ListAction::Delete, 0, true}};
    return d;
}

// A list window over the store of that size, opened on a page of 30 rows.
struct OpenList {
    explicit OpenList(int rows) {
        cm::StoreFiles::setDataFolder(titleStore(rows));
        table.open();
        list = std::make_unique<cm::ListController>(table, titleListDesign(), reporter);
        list->setPageSize(kPageRows);
        list->open();
    }
    WindowLookupTable table{cm::windowLookupLayout(), kWindowLookupName};
    cm::WarningReporter reporter;  // silent: a bench has nobody to answer
    std::unique_ptr<cm::ListController> list;
};

// Times the loop and, past the baseline size, reports the ratio to the baseline of the same
// operation measured earlier in this run; the claim is that it stays near 1.
class Ratio {
public:
    Ratio(benchmark::State& state, const char* operation)
        : m_state(state), m_operation(operation), m_start(std::chrono::steady_clock::now()) {}
    // Around work the benchmark leaves out of its timing too.
    void pause() {
        m_state.PauseTiming();
        m_pausedAt = std::chrono::steady_clock::now();
    }
    void resume() {
        m_paused += std::chrono::steady_clock::now() - m_pausedAt;
        m_state.ResumeTiming();
    }
    ~Ratio() {
        const auto elapsed = std::chrono::steady_clock::now() - m_start - m_paused;
        const double ns = std::chrono::duration<double, std::nano>(elapsed).count() /
                          static_cast<double>(std::max<benchmark::IterationCount>(m_state.iterations(), 1));
        double& baseline = baselines()[m_operation];
        if (m_state.range(0) == kBaselineRows) baseline = ns;
        if (m_state.range(0) > kBaselineRows && baseline > 0) m_state.counters["ratio_to_1e3"] = ns / baseline;
    }

private:
    static std::map<std::string, double>& baselines() {
        static std::map<std::string, double> all;
        return all;
    }
    benchmark::State& m_state;
    std::string m_operation;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_pausedAt;
    std::chrono::steady_clock::duration m_paused{};
};

void BM_ListOpen(benchmark::State& state) {
    OpenList open(static_cast<int>(state.range(0)));
    if (open.list->empty()) state.SkipWithError("the store is empty");
    Ratio ratio(state, "open");
    for (auto _ : state) {
        cm::ListController list(open.table, titleListDesign(), open.reporter);
        list.setPageSize(kPageRows);
        list.open();
        benchmark::DoNotOptimize(list.rows().data());
    }
}
BENCHMARK(BM_ListOpen)->Arg(kBaselineRows)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Page downs over the first 10^3 titles, back to the top after the last of them, at both
// sizes: the same pages stay in the cache, so the ratio shows what the table's size costs.
void BM_ListPageDown(benchmark::State& state) {
    OpenList open(static_cast<int>(state.range(0)));
    cm::ListController& list = *open.list;
    constexpr int kPages = kBaselineRows / kPageRows;
    int pages = 0;
    Ratio ratio(state, "pageDown");
    for (auto _ : state) {
        list.pageDown();
        if (++pages == kPages) {
            ratio.pause();
            list.top();
            pages = 0;
            ratio.resume();
        }
    }
}
BENCHMARK(BM_ListPageDown)->Arg(kBaselineRows)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Page downs on through the whole 10^6 titles: every page read from the file afresh.
void BM_ListPageDownOnward(benchmark::State& state) {
    OpenList open(static_cast<int>(state.range(0)));
    cm::ListController& list = *open.list;
    for (auto _ : state) {
        const std::int64_t before = list.rows().back().recordNumber;
        list.pageDown();
        if (list.rows().back().recordNumber == before) {
            state.PauseTiming();
            list.top();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_ListPageDownOnward)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_ListThumbTo50(benchmark::State& state) {
    OpenList open(static_cast<int>(state.range(0)));
    Ratio ratio(state, "thumbTo50");
    for (auto _ : state) {
        open.list->thumbTo(50);
        benchmark::DoNotOptimize(open.list->rows().data());
    }
}
BENCHMARK(BM_ListThumbTo50)->Arg(kBaselineRows)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Typing a - z in turn: each letter a jump, since the highlighted title begins with the one before.
void BM_ListLocate(benchmark::State& state) {
    OpenList open(static_cast<int>(state.range(0)));
    char32_t typed = U'a';
    Ratio ratio(state, "locate");
    for (auto _ : state) {
        open.list->locate(typed);
        typed = typed == U'z' ? U'a' : typed + 1;
    }
}
BENCHMARK(BM_ListLocate)->Arg(kBaselineRows)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
