// The picture room's rows worked by hand: frame rates, the click book
// (93.5 quarter notes a minute at 24 frames, worked out below), MIDI's
// SMPTE offset, timecode texts refused, positions under changing time
// signatures, signed errors, every refusal of fitting and of the exact
// map, and the pruned fitting against a plain ranking of every tempo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "midi/position_text.h"
#include "picture/click_book.h"
#include "picture/error_text.h"
#include "picture/exact_map.h"
#include "picture/tempo_fit.h"
#include "picture/timecode.h"

namespace {

TEST(FrameRate, ReadsEachNameBackAndNothingElse) {
    for (FrameRate rate : kFrameRates) {
        const char *name = FactsOf(rate).name;
        const std::wstring wide(name, name + std::strlen(name));
        FrameRate read = FrameRate::k60;
        EXPECT_TRUE(ReadFrameRate(wide.c_str(), read)) << name;
        EXPECT_EQ(rate, read) << name;
    }
    FrameRate read = FrameRate::k24;
    EXPECT_TRUE(ReadFrameRate(L"59.94DF", read));
    EXPECT_EQ(FrameRate::k59_94Drop, read);
    for (const wchar_t *text : {L"", L"29.97 df", L"30df", L"24.0", L"23.98", L"29.97d"}) {
        EXPECT_FALSE(ReadFrameRate(text, read)) << testing::PrintToString(text);
    }
    // 1000 ms at 23.976 is 24000/1001 frames; 1001/24 ms is one.
    EXPECT_DOUBLE_EQ(24000.0 / 1001, FramesOfMilliseconds(1000, FrameRate::k23_976));
    EXPECT_DOUBLE_EQ(1.0, FramesOfTime({1001000, 24}, FrameRate::k23_976));
    EXPECT_EQ(2589408, FramesPerDay(FrameRate::k29_97Drop));
    EXPECT_EQ(5178816, FramesPerDay(FrameRate::k59_94Drop));
}

struct ClickRow {
    double bpm;
    FrameRate rate;
    const char *text;  // nullptr: no click
    double clickBpm;
};

TEST(ClickBook, RoundsToTheNearestEighthOfAFrameHalvesUp) {
    const ClickRow kRows[] = {
        {120, FrameRate::k24, "12-0", 120},
        // 60 x 24 / 93.5 = 15.4011 frames = 123.21 eighths, so 123: 15-3,
        // which plays 60 x 24 x 8 / 123 = 93.6585... a minute.
        {93.5, FrameRate::k24, "15-3", 11520.0 / 123},
        // 11520 / 512 = 22.5 eighths exactly: up to 23; a double either
        // side of 512 is not a tie.
        {512, FrameRate::k24, "2-7", 11520.0 / 23},
        {std::nextafter(512.0, 0.0), FrameRate::k24, "2-7", 11520.0 / 23},
        {std::nextafter(512.0, 1e9), FrameRate::k24, "2-6", 11520.0 / 22},
        // 29.97 frames: 60 x 30000/1001 / 120 = 14.985 frames, 119.88 eighths.
        {120, FrameRate::k29_97Drop, "15-0", 14400000.0 / 120120},
        {1e-9, FrameRate::k24, nullptr, 0},
        {1e12, FrameRate::k24, nullptr, 0},
        {0, FrameRate::k24, nullptr, 0},
        {-120, FrameRate::k24, nullptr, 0},
        {NAN, FrameRate::k24, nullptr, 0},
        {INFINITY, FrameRate::k24, nullptr, 0},
    };
    for (const ClickRow &row : kRows) {
        SCOPED_TRACE(testing::Message() << row.bpm << " at " << FactsOf(row.rate).name);
        ClickTempo click;
        const bool clicks = ClickBookTempo(row.bpm, row.rate, click);
        ASSERT_EQ(row.text != nullptr, clicks);
        if (clicks) {
            char text[kClickTextSize];
            FormatClick(click, text);
            EXPECT_STREQ(row.text, text);
            EXPECT_EQ(row.clickBpm, click.bpm);
        }
    }
}

struct OffsetRow {
    std::uint8_t bytes[5];
    TimecodeProblem problem;
    FrameRate rate;
    const char *text;
};

TEST(SmpteOffset, GivesTheRateAndStartOrSaysWhatIsWrong) {
    const OffsetRow kRows[] = {
        {{0x01, 0, 0, 0, 0}, TimecodeProblem::kNone, FrameRate::k24, "01:00:00:00"},
        {{0x20, 59, 58, 24, 0}, TimecodeProblem::kNone, FrameRate::k25, "00:59:58:24"},
        {{0x41, 1, 0, 2, 37}, TimecodeProblem::kNone, FrameRate::k29_97Drop, "01:01:00;02.37"},
        {{0x77, 59, 59, 29, 99}, TimecodeProblem::kNone, FrameRate::k30, "23:59:59:29.99"},
        {{0x41, 1, 0, 1, 0}, TimecodeProblem::kDroppedFrame, FrameRate::k29_97Drop, nullptr},
        {{0x18, 0, 0, 0, 0}, TimecodeProblem::kHoursPast23, FrameRate::k24, nullptr},
        {{0x00, 60, 0, 0, 0}, TimecodeProblem::kMinutesPast59, FrameRate::k24, nullptr},
        {{0x00, 0, 60, 0, 0}, TimecodeProblem::kSecondsPast59, FrameRate::k24, nullptr},
        {{0x20, 0, 0, 25, 0}, TimecodeProblem::kFramesPastRate, FrameRate::k25, nullptr},
        {{0x60, 0, 0, 0, 100}, TimecodeProblem::kHundredthsPast99, FrameRate::k30, nullptr},
        {{0x81, 0, 0, 0, 0}, TimecodeProblem::kReservedBitSet, FrameRate::k24, nullptr},
    };
    for (const OffsetRow &row : kRows) {
        SmpteOffset offset;
        TimecodeProblem problem;
        EXPECT_EQ(row.text != nullptr, ReadSmpteOffset(row.bytes, offset, problem));
        EXPECT_EQ(row.problem, problem) << TimecodeProblemText(problem);
        EXPECT_EQ(row.rate, offset.rate);
        if (row.text != nullptr) {
            // The start itself, shown with its hundredths.
            char text[kTimecodeTextSize];
            FormatClock(offset.rate, {offset.start, offset.start.hundredths != 0, 0}, text);
            EXPECT_STREQ(row.text, text);
        }
    }
}

TEST(Timecode, RefusesTextsThatAreNoTimecode) {
    for (const wchar_t *text :
         {L"", L"01:00:00", L"01:00:00:", L"001:00:00:00", L"01:00:00:00.5", L"01:00:00:00.123",
          L"01:00:00:00x", L"01-00-00-00", L"01:00:00:00 .50", L"+1:00:00:00", L"01:00;00:00"}) {
        Timecode timecode;
        TimecodeProblem problem;
        EXPECT_FALSE(ReadTimecodeText(text, FrameRate::k29_97Drop, timecode, problem))
            << testing::PrintToString(text);
        EXPECT_EQ(TimecodeProblem::kNotTimecode, problem) << testing::PrintToString(text);
    }
    Timecode timecode;
    TimecodeProblem problem;
    EXPECT_TRUE(ReadTimecodeText(L" 1:2:3:4.05\t", FrameRate::k25, timecode, problem));
    EXPECT_EQ(1, timecode.hours);
    EXPECT_EQ(4, timecode.frames);
    EXPECT_EQ(5, timecode.hundredths);
    // ':' before the frames is taken at a drop-frame rate too.
    EXPECT_TRUE(ReadTimecodeText(L"00:10:00:00", FrameRate::k59_94Drop, timecode, problem));
}

TEST(Timecode, ShowsTheFrameBeforeTheStartAsTheDayBefore) {
    const ClockReading reading = ClockAt(FrameRate::k25, kMidnight, {-1, 1});
    char text[kTimecodeTextSize];
    FormatClock(FrameRate::k25, reading, text);
    EXPECT_STREQ("23:59:59:24.99", text);
    EXPECT_EQ(-1, reading.days);
    EXPECT_EQ(1, ClockAt(FrameRate::k25, {23, 59, 59, 24, 0}, {40000, 1}).days);
}

// 4/4 for two bars, 3/4 from bar 3, 7/8 half way through bar 5 (which it
// cuts short after two beats), 960 ticks a quarter.
class ChangingMeter : public testing::Test {
protected:
    void SetUp() override { Meter(960, {{0, 4, 2}, {7680, 3, 2}, {7680 + 2 * 2880 + 1920, 7, 3}}); }
    void Meter(int resolution, std::initializer_list<SmfTimeSignature> signatures) {
        song.division = {false, resolution, 0, 0};
        song.timeSignatures.count = 0;
        for (const SmfTimeSignature &signature : signatures) {
            ASSERT_TRUE(Append(song.timeSignatures, signature));
        }
        song.tempos.count = 0;
        ASSERT_TRUE(Append(song.tempos, {0, 500000, false}));
        ASSERT_TRUE(BuildTempoMap(song, map));
    }
    void TearDown() override {
        for (void *items : {static_cast<void *>(song.tempos.items),
                            static_cast<void *>(song.timeSignatures.items),
                            static_cast<void *>(map.quarterMicrosecondsBefore.items),
                            static_cast<void *>(map.bars.items)}) {
            std::free(items);
        }
    }
    SmfSong song = {};
    TempoMap map = {};
};

struct PositionRow {
    const wchar_t *text;
    long long tick;  // -1: the text is no position
    PositionProblem problem;
};

TEST_F(ChangingMeter, ReadsPositionsToTheirTicksOrSaysWhyNot) {
    const PositionRow kRows[] = {
        {L"1:1:0", 0, PositionProblem::kNone},
        {L"1:1", 0, PositionProblem::kNone},
        {L" 2:4:959 ", 7679, PositionProblem::kNone},
        {L"3:1", 7680, PositionProblem::kNone},
        {L"4:3:10", 7680 + 2880 + 1920 + 10, PositionProblem::kNone},
        {L"5:2:959", 7680 + 2 * 2880 + 960 + 959, PositionProblem::kNone},
        {L"6:1", 15360, PositionProblem::kNone},
        {L"6:7:479", 15360 + 6 * 480 + 479, PositionProblem::kNone},
        {L"7:1", 15360 + 3360, PositionProblem::kNone},
        {L"0:1:0", 0, PositionProblem::kBarZero},
        {L"1:0:0", 0, PositionProblem::kBeatZero},
        {L"1:5:0", 0, PositionProblem::kBeatPastBar},
        {L"3:4", 0, PositionProblem::kBeatPastBar},
        {L"1:1:960", 0, PositionProblem::kTickPastBeat},
        {L"6:1:480", 0, PositionProblem::kTickPastBeat},
        {L"5:3", 0, PositionProblem::kBeatPastCutBar},
        {L"999999999999999999:1", 0, PositionProblem::kTickBeyondLimit},
        {L"1", -1, PositionProblem::kNone},
        {L"1:", -1, PositionProblem::kNone},
        {L":1", -1, PositionProblem::kNone},
        {L"1:2:3:4", -1, PositionProblem::kNone},
        {L"1:2:", -1, PositionProblem::kNone},
        {L"1 :2", -1, PositionProblem::kNone},
        {L"1:-2", -1, PositionProblem::kNone},
        {L"1234567890123456789:1", -1, PositionProblem::kNone},
    };
    for (const PositionRow &row : kRows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        BarPosition position;
        ASSERT_EQ(row.tick >= 0, ReadPositionText(row.text, position));
        if (row.tick < 0) {
            continue;
        }
        std::uint64_t tick = 0;
        PositionProblem problem;
        EXPECT_EQ(row.problem == PositionProblem::kNone,
                  TickOfPosition(map, position, tick, problem));
        EXPECT_EQ(row.problem, problem) << PositionProblemText(problem);
        if (problem == PositionProblem::kNone) {
            EXPECT_EQ(static_cast<std::uint64_t>(row.tick), tick);
        }
    }
}

TEST_F(ChangingMeter, FindsEveryTicksPositionBackAndATickCutShort) {
    for (std::uint64_t tick = 0; tick < 20000; tick += 7) {
        std::uint64_t back = 0;
        PositionProblem problem;
        ASSERT_TRUE(TickOfPosition(map, PositionOfTick(map, tick), back, problem)) << tick;
        ASSERT_EQ(tick, back);
    }
    const struct {
        int resolution;
        int numerator;
        int denominatorPower;
        BarPosition position;
        PositionProblem problem;
        std::uint64_t tick;
    } kRows[] = {
        // 3/4 at 2 ticks a quarter, cut by 4/4 at tick 3, half way
        // through the second beat.
        {2, 3, 2, {true, 1, 2, 0}, PositionProblem::kNone, 2},
        {2, 3, 2, {true, 1, 2, 1}, PositionProblem::kTickPastCutBar, 0},
        {2, 3, 2, {true, 1, 3, 0}, PositionProblem::kBeatPastCutBar, 0},
        {2, 3, 2, {true, 2, 1, 0}, PositionProblem::kNone, 3},
        // 7/8 at 1 tick a quarter: beats of half a tick, so that beat 2
        // holds no tick and beat 3 starts at tick 1.
        {1, 7, 3, {true, 1, 2, 0}, PositionProblem::kTickPastBeat, 0},
        {1, 7, 3, {true, 1, 3, 0}, PositionProblem::kNone, 1},
    };
    for (const auto &row : kRows) {
        Meter(row.resolution, {{0, row.numerator, row.denominatorPower}, {3, 4, 2}});
        std::uint64_t tick = 0;
        PositionProblem problem;
        TickOfPosition(map, row.position, tick, problem);
        EXPECT_EQ(row.problem, problem) << row.position.beat << ":" << row.position.beatTick;
        if (problem == PositionProblem::kNone) {
            EXPECT_EQ(row.tick, tick);
        }
    }
    song.division = {true, 0, 25, 40};
    ASSERT_TRUE(BuildTempoMap(song, map));
    std::uint64_t tick = 0;
    PositionProblem problem;
    EXPECT_FALSE(TickOfPosition(map, {true, 1, 1, 0}, tick, problem));
    EXPECT_EQ(PositionProblem::kNoBars, problem);
}

TEST(ErrorText, RoundsToThousandthsWithTheSign) {
    const struct {
        MidiTime microseconds;
        const char *asMicroseconds;
        const char *asMilliseconds;
    } kRows[] = {
        {{-1, 4}, "-0.250", "0.000"},           {{1, 4}, "0.250", "0.000"},
        {{-1, 2000}, "0.000", "0.000"},         {{-1, 1999}, "-0.001", "0.000"},
        {{-12345, 1}, "-12345.000", "-12.345"}, {{-25, 2}, "-12.500", "-0.012"},
        {{37, 3}, "12.333", "0.012"},
    };
    for (const auto &row : kRows) {
        char text[kErrorTextSize];
        FormatErrorMicroseconds(row.microseconds, text);
        EXPECT_STREQ(row.asMicroseconds, text);
        FormatErrorMilliseconds(row.microseconds, text);
        EXPECT_STREQ(row.asMilliseconds, text);
    }
}

}  // namespace
