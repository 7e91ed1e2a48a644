// Tempo map arithmetic, in 128-bit integers.
#include "midi/tempo_map.h"

#include <algorithm>

namespace {

constexpr MidiInteger kMicrosecondsPerSecond = 1000000;
// The last tick that a file's tracks can reach.
constexpr MidiInteger kMaxPositionTick = static_cast<MidiInteger>(1) << 62;

// The index of the last segment that starts at or before the tick.
template <typename Segment>
long long SegmentAt(const GrowingArray<Segment> &segments, std::uint64_t tick) {
    const Segment *after =
        std::upper_bound(segments.items, segments.items + segments.count, tick,
                         [](std::uint64_t t, const Segment &s) { return t < s.tick; });
    return (after - 1) - segments.items;
}

MidiInteger BarTicksScaled(const TempoMap &map, const BarSegment &segment) {
    return static_cast<MidiInteger>(segment.numerator) * 4 * map.division.ticksPerQuarter;
}

}  // namespace

MidiTime SmpteTickMicroseconds(const SmfDivision &division) {
    // 29 stands for 30 drop-frame: 30000/1001 frames a second.
    const bool dropFrame = division.framesPerSecond == 29;
    return {kMicrosecondsPerSecond * (dropFrame ? 1001 : 1),
            static_cast<MidiInteger>(dropFrame ? 30000 : division.framesPerSecond) *
                division.ticksPerFrame};
}

bool BuildTempoMap(const SmfSong &song, TempoMap &map) {
    map.division = song.division;
    map.tempos = &song.tempos;
    GrowingArray<MidiInteger> &times = map.quarterMicrosecondsBefore;
    times.count = 0;
    if (!Reserve(times, song.tempos.count)) {
        return false;
    }
    MidiInteger before = 0;
    for (long long i = 0; i < song.tempos.count; ++i) {
        if (i > 0) {
            const SmfTempo &last = song.tempos.items[i - 1];
            before += static_cast<MidiInteger>(song.tempos.items[i].tick - last.tick) *
                      last.microsecondsPerQuarter;
        }
        times.items[times.count++] = before;
    }
    map.bars.count = 0;
    if (!Append(map.bars, {0, 1, 4, 2})) {
        return false;
    }
    for (long long i = 0; i < song.timeSignatures.count && !song.division.smpte; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        BarSegment &last = map.bars.items[map.bars.count - 1];
        if (signature.tick == last.tick) {
            last.numerator = signature.numerator;
            last.denominatorPower = signature.denominatorPower;
            continue;
        }
        const MidiInteger scaled = static_cast<MidiInteger>(signature.tick - last.tick)
                                   << last.denominatorPower;
        const MidiInteger barTicks = BarTicksScaled(map, last);
        const long long bar =
            last.bar + static_cast<long long>(scaled / barTicks) + (scaled % barTicks != 0 ? 1 : 0);
        if (!Append(map.bars,
                    {signature.tick, bar, signature.numerator, signature.denominatorPower})) {
            return false;
        }
    }
    return true;
}

MidiTime TimeOfTick(const TempoMap &map, std::uint64_t tick) {
    if (map.division.smpte) {
        const MidiTime one = SmpteTickMicroseconds(map.division);
        return {one.numerator * tick, one.denominator};
    }
    const long long index = SegmentAt(*map.tempos, tick);
    const SmfTempo &segment = map.tempos->items[index];
    return {map.quarterMicrosecondsBefore.items[index] +
                static_cast<MidiInteger>(tick - segment.tick) * segment.microsecondsPerQuarter,
            map.division.ticksPerQuarter};
}

MidiTime TimeOfTempoChange(const TempoMap &map, long long index) {
    if (map.division.smpte) {
        return TimeOfTick(map, map.tempos->items[index].tick);
    }
    return {map.quarterMicrosecondsBefore.items[index], map.division.ticksPerQuarter};
}

std::uint32_t TempoAtTick(const TempoMap &map, std::uint64_t tick) {
    return map.tempos->items[SegmentAt(*map.tempos, tick)].microsecondsPerQuarter;
}

std::uint64_t TickAtTime(const TempoMap &map, const MidiTime &time) {
    if (map.division.smpte) {
        const MidiTime one = SmpteTickMicroseconds(map.division);
        return static_cast<std::uint64_t>((time.numerator * one.denominator) /
                                          (time.denominator * one.numerator));
    }
    // The time times the division, against each segment's start.
    const MidiInteger scaled = time.numerator * map.division.ticksPerQuarter;
    const GrowingArray<MidiInteger> &times = map.quarterMicrosecondsBefore;
    const MidiInteger *after = std::upper_bound(
        times.items, times.items + times.count, scaled,
        [&](MidiInteger value, MidiInteger before) { return value < before * time.denominator; });
    const long long index = (after - 1) - times.items;
    const SmfTempo &segment = map.tempos->items[index];
    const MidiInteger into = scaled - times.items[index] * time.denominator;
    return segment.tick + static_cast<std::uint64_t>(
                              into / (static_cast<MidiInteger>(segment.microsecondsPerQuarter) *
                                      time.denominator));
}

BarPosition PositionOfTick(const TempoMap &map, std::uint64_t tick) {
    if (map.division.smpte) {
        return {false, 0, 0, 0};
    }
    const BarSegment &segment = map.bars.items[SegmentAt(map.bars, tick)];
    const MidiInteger scaled = static_cast<MidiInteger>(tick - segment.tick)
                               << segment.denominatorPower;
    const MidiInteger barTicks = BarTicksScaled(map, segment);
    const MidiInteger beatTicks = static_cast<MidiInteger>(4) * map.division.ticksPerQuarter;
    const MidiInteger inBar = scaled % barTicks;
    return {true, segment.bar + static_cast<long long>(scaled / barTicks),
            1 + static_cast<long long>(inBar / beatTicks),
            static_cast<long long>((inBar % beatTicks) >> segment.denominatorPower)};
}

namespace {

// The whole ticks from a tick scaled by 2 to the power, rounded up.
MidiInteger CeilingShift(MidiInteger scaled, int power) {
    return (scaled + (static_cast<MidiInteger>(1) << power) - 1) >> power;
}

// Counted as PositionOfTick counts: the beat starts at the first tick whose
// scaled offset in the bar segment reaches the beat's.
PositionProblem FindTick(const TempoMap &map, const BarPosition &position, std::uint64_t &tick) {
    if (map.division.smpte) {
        return PositionProblem::kNoBars;
    }
    if (position.bar < 1) {
        return PositionProblem::kBarZero;
    }
    if (position.beat < 1) {
        return PositionProblem::kBeatZero;
    }
    const BarSegment *const first = map.bars.items;
    const BarSegment *const end = first + map.bars.count;
    const BarSegment *after = std::upper_bound(
        first, end, position.bar,
        [](long long bar, const BarSegment &segment) { return bar < segment.bar; });
    const BarSegment &segment = *(after - 1);
    if (position.beat > segment.numerator) {
        return PositionProblem::kBeatPastBar;
    }
    const MidiInteger beatScaled = static_cast<MidiInteger>(4) * map.division.ticksPerQuarter;
    const MidiInteger beatsBefore =
        static_cast<MidiInteger>(position.bar - segment.bar) * segment.numerator + position.beat -
        1;
    const MidiInteger beatStart = CeilingShift(beatsBefore * beatScaled, segment.denominatorPower);
    const MidiInteger beatEnd =
        CeilingShift((beatsBefore + 1) * beatScaled, segment.denominatorPower);
    const MidiInteger at = beatStart + position.beatTick;
    // Where the next time signature cuts the segment's last bar short.
    const bool last = after == end;
    const MidiInteger cut = last ? 0 : after->tick - segment.tick;
    if (!last && beatStart >= cut) {
        return PositionProblem::kBeatPastCutBar;
    }
    if (position.beatTick < 0 || at >= beatEnd) {
        return PositionProblem::kTickPastBeat;
    }
    if (!last && at >= cut) {
        return PositionProblem::kTickPastCutBar;
    }
    if (segment.tick + at > kMaxPositionTick) {
        return PositionProblem::kTickBeyondLimit;
    }
    tick = segment.tick + static_cast<std::uint64_t>(at);
    return PositionProblem::kNone;
}

}  // namespace

bool TickOfPosition(const TempoMap &map, const BarPosition &position, std::uint64_t &tick,
                    PositionProblem &problem) {
    problem = FindTick(map, position, tick);
    return problem == PositionProblem::kNone;
}

const char *PositionProblemText(PositionProblem problem) {
    switch (problem) {
        case PositionProblem::kNone:
            break;
        case PositionProblem::kNoBars:
            return "the file counts its ticks in SMPTE frames, so it has no bars and beats";
        case PositionProblem::kBarZero:
            return "bars count from 1";
        case PositionProblem::kBeatZero:
            return "beats count from 1";
        case PositionProblem::kBeatPastBar:
            return "the bar has fewer beats under its time signature";
        case PositionProblem::kBeatPastCutBar:
            return "a time signature in the middle of the bar ends it before that beat";
        case PositionProblem::kTickPastBeat:
            return "the beat has fewer ticks";
        case PositionProblem::kTickPastCutBar:
            return "a time signature in the middle of the bar ends it before that tick";
        case PositionProblem::kTickBeyondLimit:
            return "it lies beyond tick 2^62, the last a MIDI file's tracks can reach";
    }
    return "";
}

void FormatMilliseconds(const MidiTime &time, char (&text)[kMillisecondsTextSize]) {
    MidiInteger microseconds = time.numerator / time.denominator;
    const MidiInteger rest = time.numerator % time.denominator;
    if (2 * rest > time.denominator || (2 * rest == time.denominator && microseconds % 2 != 0)) {
        ++microseconds;
    }
    char reversed[kMillisecondsTextSize];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + static_cast<int>(microseconds % 10));
        microseconds /= 10;
        if (count == 3) {
            reversed[count++] = '.';
        }
    } while (microseconds != 0 || count < 5);
    int length = 0;
    while (count > 0) {
        text[length++] = reversed[--count];
    }
    text[length] = '\0';
}
