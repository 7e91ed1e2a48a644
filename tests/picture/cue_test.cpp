// Fitting and the exact map: every refusal, the ties, and the pruned
// fitting against a plain ranking of every tempo stored, on the narrow and
// the wide arithmetic, with seeded hits on a known tempo's grid and hits
// that fall anywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "midi/midi_tempo.h"
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

TEST(FitTempos, TakesTheEarlierLineForAHitHalfwayBetween) {
    // At 120 a 1/8 lasts 250,000 microseconds; a microsecond past halfway
    // takes the later line.
    const MidiTime hits[] = {{125000, 1}, {375000, 1}, {625001, 1}};
    FitRequest request;
    request.hits = hits;
    request.hitCount = 3;
    request.lowBpm = request.highBpm = 120;
    static FitResults results;
    CueError error;
    ASSERT_TRUE(FitTempos(request, results, error));
    ASSERT_EQ(1, results.count);
    EXPECT_EQ(125000, results.fits[0].largestError.numerator);
    EXPECT_EQ(1, results.fits[0].largestError.denominator);
    for (int j = 0; j < 2; ++j) {
        const HitOnGrid placed = PlaceHitOnGrid(request, 500000, j);
        EXPECT_EQ(480u * j, placed.tick);
        EXPECT_EQ(125000, placed.error.numerator);
    }
    EXPECT_EQ(1440u, PlaceHitOnGrid(request, 500000, 2).tick);
    EXPECT_EQ(-124999, PlaceHitOnGrid(request, 500000, 2).error.numerator);
}

TEST(FitTempos, CorrectsItsEstimateOfTheLineExactly) {
    // A line every tick of 32,767 a quarter at 1 microsecond a quarter: 2^55
    // lines in 2^40 microseconds, past what a double estimates exactly.
    std::mt19937_64 random(40);
    std::vector<MidiTime> hits;
    MidiInteger sevenths = 7 * (kTwoTo40 - kTwoTo40 / 8);
    for (int j = 0; j < 64; ++j) {
        sevenths += random() % 1000000007;
        hits.push_back({sevenths, 7});
    }
    FitRequest request;
    request.hits = hits.data();
    request.hitCount = static_cast<int>(hits.size());
    request.gridQuarters = {1, 32767};
    request.resolution = 32767;
    request.lowBpm = request.highBpm = 60000000;
    static FitResults results;
    CueError error;
    ASSERT_TRUE(FitTempos(request, results, error)) << CueProblemText(error.problem);
    MidiTime largest = {0, 1};
    for (int j = 0; j < request.hitCount; ++j) {
        const MidiTime placed = PlaceHitOnGrid(request, 1, j).error;
        const MidiInteger magnitude = placed.numerator < 0 ? -placed.numerator : placed.numerator;
        if (magnitude * largest.denominator > largest.numerator * placed.denominator) {
            largest = {magnitude, placed.denominator};
        }
    }
    EXPECT_EQ(largest.numerator, results.fits[0].largestError.numerator);
    EXPECT_EQ(largest.denominator, results.fits[0].largestError.denominator);
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

TEST(ExactMap, SplitsSoThatOnATieTheBeatLandsBeforeTheHit) {
    // Ten ticks at 1 a quarter in 5,000,005.5 microseconds: one tempo
    // misses by 4.5; 500,000 for 4 or 5 ticks then 500,001 both miss by
    // 0.5, and the change after 5 puts the beat before the hit.
    const MapHit hits[] = {{0, {0, 1}}, {10, {10000011, 2}}};
    static SmfSong song;
    CueProblem problem;
    ASSERT_TRUE(StartMeterSong(1, 4, 2, song, problem));
    MidiTime errors[2];
    CueError error;
    ASSERT_TRUE(BuildExactMap(hits, 2, song, errors, error));
    ASSERT_EQ(2, song.tempos.count);
    EXPECT_EQ(500000u, song.tempos.items[0].microsecondsPerQuarter);
    EXPECT_EQ(5u, song.tempos.items[1].tick);
    EXPECT_EQ(500001u, song.tempos.items[1].microsecondsPerQuarter);
    EXPECT_EQ(1, errors[1].numerator);
    EXPECT_EQ(2, errors[1].denominator);
    // One hit at tick 0 leaves the tempo that plays when a file sets none.
    ASSERT_TRUE(BuildExactMap(hits, 1, song, errors, error));
    ASSERT_EQ(1, song.tempos.count);
    EXPECT_EQ(kDefaultMicrosecondsPerQuarter, song.tempos.items[0].microsecondsPerQuarter);
}

// Every tempo stored, each hit placed one by one: the largest errors of
// the best, smallest first.
std::vector<MidiTime> PlainRanking(const FitRequest &request) {
    std::vector<MidiTime> largest;
    const long tempos = MidiTempoOfBpm(request.lowBpm);
    for (long microseconds = MidiTempoOfBpm(request.highBpm); microseconds <= tempos;
         ++microseconds) {
        MidiTime worst = {0, 1};
        for (int j = 0; j < request.hitCount; ++j) {
            const MidiTime error = PlaceHitOnGrid(request, microseconds, j).error;
            const MidiTime magnitude = {error.numerator < 0 ? -error.numerator : error.numerator,
                                        error.denominator};
            if (magnitude.numerator * worst.denominator > worst.numerator * magnitude.denominator) {
                worst = magnitude;
            }
        }
        largest.push_back(worst);
    }
    std::sort(largest.begin(), largest.end(), [](const MidiTime &a, const MidiTime &b) {
        return a.numerator * b.denominator < b.numerator * a.denominator;
    });
    largest.resize(static_cast<size_t>(request.best));
    return largest;
}

struct SeededFit {
    int hits;
    std::uint32_t known;    // microseconds a quarter of the grid; 0: hits anywhere
    long long denominator;  // of every hit's time
    double low;
    double high;
};

TEST(FitTempos, RanksAsAPlainRankingOfEveryTempoDoes) {
    const SeededFit kRows[] = {
        {200, 500000, 1, 119.5, 121},               // on a grid, in whole microseconds
        {200, 461538, 3486784401LL, 129.5, 130.5},  // 3^20: the 128-bit arithmetic
        {200, 0, 1000, 100, 101},                   // anywhere, as typed milliseconds
    };
    static FitResults results;
    std::mt19937_64 random(19);
    for (const SeededFit &row : kRows) {
        SCOPED_TRACE(testing::Message() << row.hits << " hits at " << row.known);
        std::vector<MidiTime> hits;
        MidiInteger line = 0;
        for (int j = 0; j < row.hits; ++j) {
            line += 1 + random() % 4;
            // 480 ticks at 960 a quarter: half the microseconds a line.
            const MidiInteger time =
                row.known != 0 ? line * row.known / 2 * row.denominator +
                                     static_cast<MidiInteger>(random() % 2001) - 1000
                               : static_cast<MidiInteger>(random() % 60000000) * row.denominator;
            hits.push_back({time, row.denominator});
        }
        std::sort(hits.begin(), hits.end(),
                  [](const MidiTime &a, const MidiTime &b) { return a.numerator < b.numerator; });
        FitRequest request;
        request.hits = hits.data();
        request.hitCount = row.hits;
        request.lowBpm = row.low;
        request.highBpm = row.high;
        request.stepBpm = 0.0001;
        CueError error;
        ASSERT_TRUE(FitTempos(request, results, error)) << CueProblemText(error.problem);
        const std::vector<MidiTime> plain = PlainRanking(request);
        ASSERT_EQ(request.best, results.count);
        for (int i = 0; i < results.count; ++i) {
            const MidiTime &found = results.fits[i].largestError;
            EXPECT_EQ(plain[i].numerator * found.denominator,
                      found.numerator * plain[i].denominator)
                << "rank " << i;
        }
        if (row.known != 0) {
            EXPECT_EQ(row.known, results.fits[0].microsecondsPerQuarter);
        }
    }
}

}  // namespace
