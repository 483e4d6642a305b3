// Time of the insights at the end of a run: the weekday by hour map over
// every slot and the sort of the response times, for 1,000,000 synthetic
// slots of which 30% hold a response time (minutes drawn log-uniformly up
// to three weeks, a few negative) and 1% were not analysed.
//
// usage: insights [--benchmark_* options]

#include "engine/Insights.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

void fillSynthetic(brisk::AnalysisState& state, std::int64_t slots)
{
    brisk::PrepareAnalysisArrays(state, static_cast<double>(slots) / 1.2);
    auto& items = state.items;
    std::mt19937 random(15);
    std::uniform_int_distribution<int> weekday(1, 7), hour(1, 24), percent(0, 99);
    std::uniform_real_distribution<double> logMinutes(0, std::log(30240.0));
    for (std::int64_t i = 0; i < slots; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const int p = percent(random);
        if (p == 0)
            continue; // not analysed: fill values stay
        items.vItemWeekday[s] = static_cast<std::int8_t>(weekday(random));
        items.vItemHour[s] = static_cast<std::int8_t>(hour(random));
        if (p <= 30) {
            const auto minutes = static_cast<std::int32_t>(std::exp(logMinutes(random)));
            items.vItemResponseMinutes[s] = p == 1 ? -minutes : minutes;
            items.responded[s] = true;
        }
    }
}

void computeInsights(benchmark::State& bench)
{
    brisk::AnalysisState state;
    fillSynthetic(state, bench.range(0));
    for (auto _ : bench)
        benchmark::DoNotOptimize(brisk::computeInsights(state, brisk::WorkingTime{}));
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(computeInsights)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
