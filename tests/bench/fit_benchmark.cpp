// Fitting tempos to hits at the limits: 10,000 hits against the default
// 12,001 tempos and against 1,000,000, for hits on a known tempo's grid,
// hits anywhere, and hits all at one time, where every tempo ties. Each
// reports the errors worked out a tempo tried ("errors_per_tempo") and what
// share of every hit at every tempo that is ("share_of_all"): trying every
// hit at every tempo would be 1/share_of_all times the work.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "picture/tempo_fit.h"

namespace {

enum class Hits { kOnGrid, kAnywhere, kAllAtOnce, kAllAtZero };

// 10,000 hits in about ten minutes: on the 1/8 grid of 117.35 quarter
// notes a minute (511,291 microseconds a quarter) give or take a
// millisecond, anywhere, all at 60 seconds, or all at 0, where every tempo
// fits without error and the order tried ranks them.
std::vector<MidiTime> MakeHits(Hits kind) {
    std::mt19937_64 random(10000);
    std::vector<MidiTime> hits;
    MidiInteger line = 0;
    for (int j = 0; j < kMaxHits; ++j) {
        line += 1 + random() % 3;
        const MidiInteger onGrid =
            line * 511291 / 2 + static_cast<MidiInteger>(random() % 2001) - 1000;
        const MidiInteger anywhere = static_cast<MidiInteger>(random() % 600000000);
        hits.push_back({kind == Hits::kOnGrid      ? onGrid
                        : kind == Hits::kAnywhere  ? anywhere
                        : kind == Hits::kAllAtOnce ? 60000000
                                                   : 0,
                        1});
    }
    std::sort(hits.begin(), hits.end(),
              [](const MidiTime &a, const MidiTime &b) { return a.numerator < b.numerator; });
    return hits;
}

FitResults g_results;

void Fit(benchmark::State &state, Hits kind, double low, double high, double step) {
    const std::vector<MidiTime> hits = MakeHits(kind);
    FitRequest request;
    request.hits = hits.data();
    request.hitCount = static_cast<int>(hits.size());
    request.lowBpm = low;
    request.highBpm = high;
    request.stepBpm = step;
    CueError error;
    for (auto _ : state) {
        if (!FitTempos(request, g_results, error)) {
            state.SkipWithError(CueProblemText(error.problem));
            return;
        }
    }
    const double tried = static_cast<double>(g_results.temposTried);
    state.counters["tempos_tried"] = tried;
    state.counters["tempos_stored"] = static_cast<double>(g_results.temposStored);
    state.counters["errors_per_tempo"] = static_cast<double>(g_results.errorsWorkedOut) / tried;
    state.counters["share_of_all"] =
        static_cast<double>(g_results.errorsWorkedOut) / (tried * request.hitCount);
    state.counters["best_us"] = g_results.fits[0].microsecondsPerQuarter;
}

}  // namespace

BENCHMARK_CAPTURE(Fit, on_grid_default_range, Hits::kOnGrid, 60.0, 180.0, 0.01)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, anywhere_default_range, Hits::kAnywhere, 60.0, 180.0, 0.01)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, on_grid_million, Hits::kOnGrid, 80.0, 179.9999, 0.0001)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, anywhere_million, Hits::kAnywhere, 80.0, 179.9999, 0.0001)
    ->Unit(benchmark::kMillisecond);
// A million tempos, each stored as microseconds of its own.
BENCHMARK_CAPTURE(Fit, anywhere_million_stored, Hits::kAnywhere, 30.0, 59.99997, 0.00003)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, all_at_once_million, Hits::kAllAtOnce, 80.0, 179.9999, 0.0001)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, all_at_zero_million, Hits::kAllAtZero, 80.0, 179.9999, 0.0001)
    ->Unit(benchmark::kMillisecond);
