#include <benchmark/benchmark.h>

#include "base/case_fold.h"
#include "base/date.h"

// Date conversion and key comparison sit under every list, sort and recurrence step.
static void BM_DateRoundTrip(benchmark::State& state) {
    std::int32_t d = cm::Date::fromYmd(2026, 1, 1);
    for (auto _ : state) {
        const cm::YearMonthDay ymd = cm::Date::toYmd(d++);
        benchmark::DoNotOptimize(cm::Date::fromYmd(ymd.year, ymd.month, ymd.day));
    }
}
BENCHMARK(BM_DateRoundTrip);

static void BM_KeyCompareAscii(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(cm::CaseFold::compare("Weekly status report   ", "WEEKLY STATUS REPORT"));
}
BENCHMARK(BM_KeyCompareAscii);

static void BM_KeyCompareUnicode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(cm::CaseFold::compare("Müller Straße Köln", "MÜLLER STRASSE KÖLN"));
}
BENCHMARK(BM_KeyCompareUnicode);
