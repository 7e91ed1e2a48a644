// The picture room against the rows that picture_model.py, an independent
// model in Python's fractions, writes at test time: the timecode shown at
// exact times around every minute and tenth minute of drop-frame counting,
// over long films and past midnight; typed timecodes and the frames that
// drop-frame counting skips; the best tempos for seeded hits (on a known
// tempo's grid, anywhere, more than the fitting's screen, in 64-bit and
// 128-bit arithmetic, halfway between lines), tried one by one against
// every hit; exact maps, their splits found by trying every tick.
//
// usage: picture_tests TABLE_FILE
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "picture/exact_map.h"
#include "picture/tempo_fit.h"
#include "picture/timecode.h"

namespace {

const char *g_tablePath = nullptr;

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

std::wstring Wide(const std::string &text) {
    return std::wstring(text.begin(), text.end());
}

MidiTime TimeOf(const std::string &text) {
    const std::vector<std::string> parts = Split(text, '/');
    return {std::strtoll(parts.at(0).c_str(), nullptr, 10),
            std::strtoll(parts.at(1).c_str(), nullptr, 10)};
}

bool Same(const MidiTime &a, const MidiTime &b) {
    return a.numerator * b.denominator == b.numerator * a.denominator;
}

std::string Text(const MidiTime &time) {
    return std::to_string(static_cast<long long>(time.numerator)) + "/" +
           std::to_string(static_cast<long long>(time.denominator));
}

FrameRate RateOf(const std::string &name) {
    FrameRate rate = FrameRate::k24;
    EXPECT_TRUE(ReadFrameRate(Wide(name).c_str(), rate)) << name;
    return rate;
}

Timecode TypedTimecode(FrameRate rate, const std::string &text) {
    Timecode timecode = kMidnight;
    TimecodeProblem problem;
    EXPECT_TRUE(ReadTimecodeText(Wide(text).c_str(), rate, timecode, problem))
        << text << ": " << TimecodeProblemText(problem);
    return timecode;
}

// clock RATE START TIME TEXT
void CheckClock(const std::vector<std::string> &row) {
    const FrameRate rate = RateOf(row.at(1));
    char text[kTimecodeTextSize];
    FormatTimecodeAt(rate, TypedTimecode(rate, row.at(2)), TimeOf(row.at(3)), text);
    EXPECT_EQ(row.at(4), text);
}

// typed RATE START TIMECODE TIME_SINCE_START
void CheckTyped(const std::vector<std::string> &row) {
    const FrameRate rate = RateOf(row.at(1));
    const MidiTime since =
        TimeSinceStart(rate, TypedTimecode(rate, row.at(2)), TypedTimecode(rate, row.at(3)));
    EXPECT_TRUE(Same(TimeOf(row.at(4)), since)) << Text(since);
}

// refused RATE TIMECODE WHY
void CheckRefused(const std::vector<std::string> &row) {
    const struct {
        const char *name;
        TimecodeProblem problem;
    } kWhy[] = {
        {"hours", TimecodeProblem::kHoursPast23},
        {"minutes", TimecodeProblem::kMinutesPast59},
        {"seconds", TimecodeProblem::kSecondsPast59},
        {"frames", TimecodeProblem::kFramesPastRate},
        {"dropped", TimecodeProblem::kDroppedFrame},
        {"semicolon", TimecodeProblem::kSemicolonWithoutDropFrame},
    };
    Timecode timecode;
    TimecodeProblem problem = TimecodeProblem::kNone;
    EXPECT_FALSE(ReadTimecodeText(Wide(row.at(2)).c_str(), RateOf(row.at(1)), timecode, problem));
    for (const auto &why : kWhy) {
        if (row.at(3) == why.name) {
            EXPECT_EQ(why.problem, problem) << TimecodeProblemText(problem);
        }
    }
}

// fit RESOLUTION GRID N/POWER LOW HIGH STEP BEST HITS FITS PLACED
void CheckFit(const std::vector<std::string> &row) {
    std::vector<MidiTime> hits;
    for (const std::string &hit : Split(row.at(8), ',')) {
        hits.push_back(TimeOf(hit));
    }
    const MidiTime grid = TimeOf(row.at(2));
    const std::vector<std::string> signature = Split(row.at(3), '/');
    FitRequest request;
    request.hits = hits.data();
    request.hitCount = static_cast<int>(hits.size());
    request.gridQuarters = {grid.numerator, grid.denominator};
    request.resolution = std::atoi(row.at(1).c_str());
    request.numerator = std::atoi(signature.at(0).c_str());
    request.denominatorPower = std::atoi(signature.at(1).c_str());
    request.lowBpm = std::strtod(row.at(4).c_str(), nullptr);
    request.highBpm = std::strtod(row.at(5).c_str(), nullptr);
    request.stepBpm = std::strtod(row.at(6).c_str(), nullptr);
    request.best = std::atoi(row.at(7).c_str());
    static FitResults results;
    CueError error;
    ASSERT_TRUE(FitTempos(request, results, error)) << CueProblemText(error.problem);
    const std::vector<std::string> fits = Split(row.at(9), ',');
    ASSERT_EQ(static_cast<int>(fits.size()), results.count);
    for (int i = 0; i < results.count; ++i) {
        const std::vector<std::string> fit = Split(fits[i], ':');
        const TempoFit &found = results.fits[i];
        EXPECT_EQ(std::strtoul(fit.at(0).c_str(), nullptr, 10), found.microsecondsPerQuarter)
            << "fit " << i;
        EXPECT_EQ(std::strtod(fit.at(1).c_str(), nullptr), found.bpm) << "fit " << i;
        EXPECT_TRUE(Same(TimeOf(fit.at(2)), found.largestError))
            << "fit " << i << ": " << Text(found.largestError);
    }
    const std::vector<std::string> placed = Split(row.at(10), ',');
    for (int j = 0; j < request.hitCount; ++j) {
        const std::vector<std::string> expected = Split(placed.at(j), ':');
        const HitOnGrid hit = PlaceHitOnGrid(request, results.fits[0].microsecondsPerQuarter, j);
        EXPECT_EQ(std::strtoull(expected.at(0).c_str(), nullptr, 10), hit.tick) << "hit " << j;
        EXPECT_EQ(std::atoll(expected.at(1).c_str()), hit.position.bar) << "hit " << j;
        EXPECT_EQ(std::atoll(expected.at(2).c_str()), hit.position.beat) << "hit " << j;
        EXPECT_EQ(std::atoll(expected.at(3).c_str()), hit.position.beatTick) << "hit " << j;
        EXPECT_TRUE(Same(TimeOf(expected.at(4)), hit.error)) << "hit " << j;
    }
}

// map RESOLUTION HITS TEMPOS ERRORS: the map as the core builds it, and as
// the tempo map code then times it.
void CheckMap(const std::vector<std::string> &row) {
    std::vector<MapHit> hits;
    for (const std::string &hit : Split(row.at(2), ',')) {
        const std::vector<std::string> parts = Split(hit, '@');
        hits.push_back({std::strtoull(parts.at(0).c_str(), nullptr, 10), TimeOf(parts.at(1))});
    }
    static SmfSong song;
    static TempoMap map;
    CueProblem problem;
    ASSERT_TRUE(StartMeterSong(std::atoi(row.at(1).c_str()), 4, 2, song, problem));
    std::vector<MidiTime> errors(hits.size());
    CueError error;
    ASSERT_TRUE(
        BuildExactMap(hits.data(), static_cast<int>(hits.size()), song, errors.data(), error))
        << CueProblemText(error.problem) << " at " << error.first << ", " << error.second;
    const std::vector<std::string> tempos = Split(row.at(3), ',');
    ASSERT_EQ(static_cast<long long>(tempos.size()), song.tempos.count);
    for (size_t i = 0; i < tempos.size(); ++i) {
        const std::vector<std::string> tempo = Split(tempos[i], ':');
        EXPECT_EQ(std::strtoull(tempo.at(0).c_str(), nullptr, 10), song.tempos.items[i].tick);
        EXPECT_EQ(std::strtoul(tempo.at(1).c_str(), nullptr, 10),
                  song.tempos.items[i].microsecondsPerQuarter);
    }
    ASSERT_TRUE(BuildTempoMap(song, map));
    const std::vector<std::string> expected = Split(row.at(4), ',');
    for (size_t j = 0; j < hits.size(); ++j) {
        EXPECT_TRUE(Same(TimeOf(expected.at(j)), errors[j])) << "hit " << j;
        const MidiTime played = TimeOfTick(map, hits[j].tick);
        const MidiTime asked = hits[j].time;
        EXPECT_TRUE(
            Same({asked.numerator * played.denominator - played.numerator * asked.denominator,
                  asked.denominator * played.denominator},
                 errors[j]))
            << "hit " << j;
    }
    EXPECT_EQ(hits.back().tick, song.endTick);
}

TEST(PictureModel, EveryRowOfTheModelHolds) {
    ASSERT_NE(nullptr, g_tablePath) << "usage: picture_tests TABLE_FILE";
    std::ifstream table(g_tablePath);
    ASSERT_TRUE(table.good()) << g_tablePath;
    const struct {
        const char *kind;
        void (*check)(const std::vector<std::string> &);
        int rows;
    } kKinds[] = {{"clock", CheckClock, 0},
                  {"typed", CheckTyped, 0},
                  {"refused", CheckRefused, 0},
                  {"fit", CheckFit, 0},
                  {"map", CheckMap, 0}};
    int counts[5] = {};
    std::string line;
    while (std::getline(table, line)) {
        const std::vector<std::string> row = Split(line, ' ');
        SCOPED_TRACE(line);
        int kind = 0;
        while (kind < 5 && row.at(0) != kKinds[kind].kind) {
            ++kind;
        }
        ASSERT_LT(kind, 5);
        kKinds[kind].check(row);
        ++counts[kind];
    }
    for (int kind = 0; kind < 5; ++kind) {
        EXPECT_GT(counts[kind], 0) << kKinds[kind].kind;
    }
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) {
        g_tablePath = argv[1];
    }
    return RUN_ALL_TESTS();
}
