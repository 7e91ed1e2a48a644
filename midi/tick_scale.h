// Moving a song's ticks to another resolution: tick t goes to t × to / from,
// to the nearest whole tick where that is not one (halves to the earlier),
// and how far each event moves, in ticks and in time. Tempo changes keep
// their microseconds, so an exact change moves nothing in time.
#ifndef TACTIMER_MIDI_TICK_SCALE_H
#define TACTIMER_MIDI_TICK_SCALE_H

#include <cstdint>

#include "midi/growing_array.h"
#include "midi/smf_song.h"
#include "midi/tempo_map.h"

struct RetickReport {
    int resolutionFrom;
    int resolutionTo;
    long long events;
    long long moved;  // off their exact time
    // The largest distance from an event's exact new tick, in
    // 1/resolutionFrom of a new tick.
    MidiInteger maxTickError;
    // The largest distance between an event's time before and after, in
    // 1/(resolutionFrom × resolutionTo) of a microsecond.
    MidiInteger maxTimeError;
    // The greatest common divisor of resolutionFrom and every event's tick.
    std::uint64_t tickDivisor;
    bool tickTooLarge;  // a new tick beyond what the reader reads (2^62)
};

struct TickScale {
    RetickReport report;
    // A whole factor up (resolutionTo a multiple of resolutionFrom): the
    // ticks up to wholeLimit move by it, exactly; 0 and 0 otherwise.
    std::uint64_t wholeFactor;
    std::uint64_t wholeLimit;
    // A tempo change moved: an event at an exact tick may sound at another
    // time after it.
    bool tempoMoved;
    // The tempo segments of the last ticks, for ticks that come in order.
    long long fromSegment;
    long long toSegment;
};

// tempos: in tick order, the first at tick 0. False when the tempo maps do
// not fit in memory.
bool StartTickScale(TickScale &scale, const GrowingArray<SmfTempo> &tempos, int from, int to);

// The tick's new place; counts the event and how far it moves. A song has
// millions: the common case, a whole factor up, is inline.
std::uint64_t MoveTickAnyway(TickScale &scale, std::uint64_t tick);

void CountTickDivisor(RetickReport &report, std::uint64_t tick);

inline std::uint64_t MoveTick(TickScale &scale, std::uint64_t tick) {
    if (tick > scale.wholeLimit) {
        return MoveTickAnyway(scale, tick);
    }
    ++scale.report.events;
    if (scale.report.tickDivisor != 1) {
        CountTickDivisor(scale.report, tick);
    }
    return tick * scale.wholeFactor;
}

// The least resolution at which every event counted would have stayed
// exact.
long long LeastExactResolution(const RetickReport &report);

// The largest errors as the report prints them: ticks of the new
// resolution, and milliseconds rounded to the microsecond.
double MaxTickError(const RetickReport &report);
MidiTime MaxTimeError(const RetickReport &report);

#endif
