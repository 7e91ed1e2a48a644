// Feeds arbitrary bytes to the picture room's readers of outside input:
// typed timecode, bar:beat:tick, MIDI's SMPTE offset, and the inputs of
// fitting a tempo and of the exact map. The first byte says which.
//
// Checked: no crash, hang or sanitizer report; a timecode read is valid at
// its rate and the clock shows it again at its time since midnight; a
// position read and found is where its tick's position prints; an offset
// read starts the clock at itself; a fit ranks its tempos best first, its
// best's largest error is that of its hits as placed one by one, none more
// than half a grid cell; an exact map, timed by the tempo map code, lands
// every hit within a microsecond, off by exactly the error it states.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "midi/position_text.h"
#include "picture/exact_map.h"
#include "picture/tempo_fit.h"
#include "picture/timecode.h"

namespace {

constexpr int kMaxText = 64;
constexpr int kMaxFuzzHits = 64;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Takes bytes off the front of the input; zeros once it runs out.
struct Bytes {
    const std::uint8_t *data;
    std::size_t size;
};

unsigned Take(Bytes &bytes, int count) {
    unsigned value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | (bytes.size > 0 ? *bytes.data : 0);
        if (bytes.size > 0) {
            ++bytes.data;
            --bytes.size;
        }
    }
    return value;
}

// Characters up to a zero byte or the end.
void TakeText(Bytes &bytes, wchar_t (&text)[kMaxText + 1]) {
    int length = 0;
    while (length < kMaxText && bytes.size > 0) {
        const std::uint8_t byte = static_cast<std::uint8_t>(Take(bytes, 1));
        if (byte == 0) {
            break;
        }
        text[length++] = static_cast<wchar_t>(byte);
    }
    text[length] = L'\0';
}

bool SameTimecode(const Timecode &a, const Timecode &b) {
    return a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds &&
           a.frames == b.frames && a.hundredths == b.hundredths;
}

void FuzzTimecode(Bytes &bytes) {
    const FrameRate rate = kFrameRates[Take(bytes, 1) % kFrameRateCount];
    wchar_t text[kMaxText + 1];
    TakeText(bytes, text);
    Timecode timecode;
    TimecodeProblem problem;
    if (!ReadTimecodeText(text, rate, timecode, problem)) {
        Require(problem != TimecodeProblem::kNone && TimecodeProblemText(problem)[0] != '\0');
        return;
    }
    const long long count = FrameCountOf(rate, timecode);
    Require(count >= 0 && count < FramesPerDay(rate));
    Require(SameTimecode(TimecodeOfFrameCount(rate, count),
                         {timecode.hours, timecode.minutes, timecode.seconds, timecode.frames, 0}));
    const ClockReading reading =
        ClockAt(rate, kMidnight, TimeSinceStart(rate, kMidnight, timecode));
    // From midnight, the nearest moment is before it after noon.
    const bool afterNoon = 2 * (count * 100 + timecode.hundredths) > FramesPerDay(rate) * 100;
    Require(SameTimecode(reading.timecode, timecode) && reading.days == (afterNoon ? -1 : 0));
    Require(reading.insideFrame == (timecode.hundredths != 0));
    char shown[kTimecodeTextSize];
    FormatClock(rate, reading, shown);
    Require(std::strlen(shown) == (reading.insideFrame ? 14u : 11u));
}

void FuzzPosition(Bytes &bytes) {
    static SmfSong song;
    static TempoMap map;
    song.division = {false, 1 + static_cast<int>(Take(bytes, 2) % 32767), 0, 0};
    song.tempos.count = 0;
    song.timeSignatures.count = 0;
    Require(Append(song.tempos, {0, 500000, false}));
    std::uint64_t tick = 0;
    for (int i = Take(bytes, 1) % 4; i > 0; --i) {
        const int numerator = 1 + static_cast<int>(Take(bytes, 1));
        const int power = static_cast<int>(Take(bytes, 1) % 16);
        Require(Append(song.timeSignatures, {tick, numerator, power}));
        tick += Take(bytes, 2);
    }
    Require(BuildTempoMap(song, map));
    wchar_t text[kMaxText + 1];
    TakeText(bytes, text);
    BarPosition position;
    if (!ReadPositionText(text, position)) {
        return;
    }
    PositionProblem problem;
    if (TickOfPosition(map, position, tick, problem)) {
        const BarPosition back = PositionOfTick(map, tick);
        Require(back.bar == position.bar && back.beat == position.beat &&
                back.beatTick == position.beatTick);
    } else {
        Require(PositionProblemText(problem)[0] != '\0');
    }
}

void FuzzSmpteOffset(Bytes &bytes) {
    std::uint8_t event[5];
    for (std::uint8_t &byte : event) {
        byte = static_cast<std::uint8_t>(Take(bytes, 1));
    }
    SmpteOffset offset;
    TimecodeProblem problem;
    if (ReadSmpteOffset(event, offset, problem)) {
        Require(SameTimecode(ClockAt(offset.rate, offset.start, {0, 1}).timecode, offset.start));
    }
}

MidiTime TakeTime(Bytes &bytes) {
    static const long long kDenominators[] = {1, 3, 1000, 1000000, 7, 1LL << 41};
    const long long numerator = static_cast<long long>(Take(bytes, 4)) << (Take(bytes, 1) % 10);
    return {numerator, kDenominators[Take(bytes, 1) % 6]};
}

void FuzzFit(Bytes &bytes) {
    static FitResults results;
    FitRequest request;
    wchar_t caption[kMaxText + 1];
    TakeText(bytes, caption);
    if (!ReadGridNote(caption, request.gridQuarters)) {
        return;
    }
    request.resolution = static_cast<int>(Take(bytes, 2));
    request.numerator = static_cast<int>(Take(bytes, 1));
    request.denominatorPower = static_cast<int>(Take(bytes, 1) % 20);
    request.lowBpm = Take(bytes, 2) / 16.0;
    request.highBpm = request.lowBpm + Take(bytes, 1) / 4.0;
    request.stepBpm = 1.0 / (1 + Take(bytes, 1));
    request.best = static_cast<int>(Take(bytes, 1));
    MidiTime hits[kMaxFuzzHits];
    request.hitCount = 0;
    while (bytes.size > 0 && request.hitCount < kMaxFuzzHits) {
        hits[request.hitCount++] = TakeTime(bytes);
    }
    request.hits = hits;
    CueError error;
    if (!FitTempos(request, results, error)) {
        Require(error.problem != CueProblem::kNone && CueProblemText(error.problem)[0] != '\0');
        return;
    }
    Require(results.count >= 1 && results.count <= request.best);
    for (int i = 1; i < results.count; ++i) {
        const MidiTime &a = results.fits[i - 1].largestError;
        const MidiTime &b = results.fits[i].largestError;
        Require(a.numerator * b.denominator <= b.numerator * a.denominator);
    }
    const TempoFit &best = results.fits[0];
    const MidiInteger gridTicks =
        request.gridQuarters.numerator * request.resolution / request.gridQuarters.denominator;
    MidiTime largest = {0, 1};
    for (int j = 0; j < request.hitCount; ++j) {
        const MidiTime placed = PlaceHitOnGrid(request, best.microsecondsPerQuarter, j).error;
        const MidiInteger magnitude = placed.numerator < 0 ? -placed.numerator : placed.numerator;
        // At most half a cell: |error| x 2 R <= gridTicks x microseconds.
        Require(magnitude * 2 * request.resolution <=
                gridTicks * best.microsecondsPerQuarter * placed.denominator);
        if (magnitude * largest.denominator > largest.numerator * placed.denominator) {
            largest = {magnitude, placed.denominator};
        }
    }
    Require(largest.numerator == best.largestError.numerator &&
            largest.denominator == best.largestError.denominator);
}

void FuzzExactMap(Bytes &bytes) {
    static SmfSong song;
    static TempoMap map;
    CueProblem problem;
    if (!StartMeterSong(static_cast<int>(Take(bytes, 2)), 4, 2, song, problem)) {
        return;
    }
    MapHit hits[kMaxFuzzHits];
    MidiTime errors[kMaxFuzzHits];
    int count = 0;
    std::uint64_t tick = Take(bytes, 1) % 2 == 0 ? 0 : Take(bytes, 3);
    while (bytes.size > 0 && count < kMaxFuzzHits) {
        hits[count++] = {tick, TakeTime(bytes)};
        tick += Take(bytes, 3);
    }
    CueError error;
    if (!BuildExactMap(hits, count, song, errors, error)) {
        Require(error.problem != CueProblem::kNone && CueProblemText(error.problem)[0] != '\0');
        return;
    }
    Require(BuildTempoMap(song, map) && song.endTick == hits[count - 1].tick);
    for (int j = 0; j < count; ++j) {
        const MidiTime played = TimeOfTick(map, hits[j].tick);
        const MidiTime &asked = hits[j].time;
        // asked - played == errors[j], and |errors[j]| <= 1.
        const MidiInteger off =
            asked.numerator * played.denominator - played.numerator * asked.denominator;
        const MidiInteger unit = asked.denominator * played.denominator;
        Require(off * errors[j].denominator == errors[j].numerator * unit);
        Require(errors[j].numerator <= errors[j].denominator &&
                -errors[j].numerator <= errors[j].denominator);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Bytes bytes = {data, size};
    switch (Take(bytes, 1) % 5) {
        case 0:
            FuzzTimecode(bytes);
            break;
        case 1:
            FuzzPosition(bytes);
            break;
        case 2:
            FuzzSmpteOffset(bytes);
            break;
        case 3:
            FuzzFit(bytes);
            break;
        default:
            FuzzExactMap(bytes);
            break;
    }
    return 0;
}
