// Every refusal of fitting and of the exact map. What they find is checked
// against the model's rows (picture_table_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "picture/exact_map.h"
#include "picture/tempo_fit.h"

namespace {

constexpr MidiInteger kTwoTo40 = static_cast<MidiInteger>(1) << 40;

struct FitRefusal {
    void (*change)(FitRequest &, std::vector<MidiTime> &);
    CueProblem problem;
    int first;
    int second;
};

TEST(FitTempos, RefusesWhatItCannotFit) {
    const FitRefusal kRows[] = {
        {[](FitRequest &, std::vector<MidiTime> &h) { h.clear(); }, CueProblem::kNoHits, -1, -1},
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h.assign(10001, {0, 1});
         },
         CueProblem::kTooManyHits, -1, -1},
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h[1] = {-1, 1000};
         },
         CueProblem::kHitBeforeStart, 1, -1},
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h[2] = {kTwoTo40 + 1, 1};
         },
         CueProblem::kHitTooLate, 2, -1},
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h[1] = {1, 2 * kTwoTo40 + 1};
         },
         CueProblem::kHitTimeTooFine, 1, -1},
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h[1] = {600000, 1};
         },
         CueProblem::kHitsOutOfOrder, 1, 2},
        // 2^20 and 3^13 share no factor: their product passes 2^32.
        {[](FitRequest &, std::vector<MidiTime> &h) {
             h = {{1, 1594323}, {1, 1 << 20}};
         },
         CueProblem::kHitTimesTooFine, 1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.resolution = 0; }, CueProblem::kResolution,
         -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.resolution = 32768; },
         CueProblem::kResolution, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.numerator = 0; },
         CueProblem::kTimeSignature, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.numerator = 256; },
         CueProblem::kTimeSignature, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.denominatorPower = 16; },
         CueProblem::kTimeSignature, -1, -1},
        // A septuplet of eighths is 960 x 2/7 ticks.
        {[](FitRequest &r, std::vector<MidiTime> &) {
             r.gridQuarters = {2, 7};
         },
         CueProblem::kGridNotWholeTicks, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.best = 0; }, CueProblem::kBestCount, -1,
         -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.best = 1001; }, CueProblem::kBestCount, -1,
         -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.stepBpm = 0; }, CueProblem::kStep, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.stepBpm = NAN; }, CueProblem::kStep, -1,
         -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.lowBpm = 0; }, CueProblem::kNoTempoInRange,
         -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.highBpm = 59.99; },
         CueProblem::kNoTempoInRange, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.highBpm = INFINITY; },
         CueProblem::kNoTempoInRange, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.lowBpm = 3; },
         CueProblem::kRangeNotStorable, -1, -1},
        {[](FitRequest &r, std::vector<MidiTime> &) { r.stepBpm = 0.0001; },
         CueProblem::kTooManyTempos, -1, -1},
    };
    static FitResults results;
    for (const FitRefusal &row : kRows) {
        std::vector<MidiTime> hits = {{0, 1}, {250000, 1}, {500000, 1}};
        FitRequest request;
        row.change(request, hits);
        request.hits = hits.data();
        request.hitCount = static_cast<int>(hits.size());
        CueError error;
        EXPECT_FALSE(FitTempos(request, results, error)) << CueProblemText(row.problem);
        EXPECT_EQ(row.problem, error.problem) << CueProblemText(error.problem);
        EXPECT_EQ(row.first, error.first) << CueProblemText(row.problem);
        EXPECT_EQ(row.second, error.second) << CueProblemText(row.problem);
    }
    // 1,000,000 tempos exactly are tried.
    std::vector<MidiTime> hits = {{0, 1}};
    FitRequest request;
    request.hits = hits.data();
    request.hitCount = 1;
    request.lowBpm = 80;
    request.highBpm = 179.9999;
    request.stepBpm = 0.0001;
    CueError error;
    ASSERT_TRUE(FitTempos(request, results, error)) << CueProblemText(error.problem);
    EXPECT_EQ(kMaxTemposTried, results.temposTried);
}

struct MapRefusal {
    std::vector<MapHit> hits;
    CueProblem problem;
    int first;
    int second;
};

TEST(ExactMap, RefusesWhatNoMapCanLand) {
    const MapRefusal kRows[] = {
        {{}, CueProblem::kNoHits, -1, -1},
        {std::vector<MapHit>(10001, {0, {0, 1}}), CueProblem::kTooManyHits, -1, -1},
        {{{0, {0, 1}}, {960, {-1, 1}}}, CueProblem::kHitBeforeStart, 1, -1},
        {{{0, {0, 1}}, {960, {kTwoTo40 + 1, 1}}}, CueProblem::kHitTooLate, 1, -1},
        {{{0, {0, 1}}, {960, {500000, 1}}, {960, {900000, 1}}},
         CueProblem::kTicksNotIncreasing,
         1,
         2},
        {{{0, {0, 1}}, {960, {500000, 1}}, {1920, {500000, 1}}},
         CueProblem::kTimesNotIncreasing,
         1,
         2},
        {{{0, {1000, 1}}}, CueProblem::kFirstHitNotAtStart, -1, 0},
        // 20 s for one tick at 960 a quarter; 1 microsecond for ten quarters.
        {{{0, {0, 1}}, {1, {20000000, 1}}}, CueProblem::kTempoNotStorable, 0, 1},
        {{{0, {0, 1}}, {960, {500000, 1}}, {10560, {500001, 1}}},
         CueProblem::kTempoNotStorable,
         1,
         2},
        {{{1, {20000000, 1}}}, CueProblem::kTempoNotStorable, -1, 0},
    };
    static SmfSong song;
    for (const MapRefusal &row : kRows) {
        CueProblem problem;
        ASSERT_TRUE(StartMeterSong(960, 4, 2, song, problem));
        std::vector<MidiTime> errors(row.hits.size());
        CueError error;
        EXPECT_FALSE(BuildExactMap(row.hits.data(), static_cast<int>(row.hits.size()), song,
                                   errors.data(), error));
        EXPECT_EQ(row.problem, error.problem) << CueProblemText(error.problem);
        EXPECT_EQ(row.first, error.first) << CueProblemText(row.problem);
        EXPECT_EQ(row.second, error.second) << CueProblemText(row.problem);
    }
    CueProblem problem;
    EXPECT_FALSE(StartMeterSong(0, 4, 2, song, problem));
    EXPECT_EQ(CueProblem::kResolution, problem);
    EXPECT_FALSE(StartMeterSong(960, 4, 16, song, problem));
    EXPECT_EQ(CueProblem::kTimeSignature, problem);
}

}  // namespace
