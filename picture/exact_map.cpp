// The exact map, in integers: where the map stands is a whole number of
// microseconds over the resolution, and each hit's time a fraction p/q.
#include "picture/exact_map.h"

#include "calc/exact_ticks.h"
#include "midi/midi_tempo.h"

namespace {

bool Storable(MidiInteger microseconds) {
    return microseconds >= 1 && microseconds <= kMaxMidiTempo;
}

// A tempo from the tick on, unless it is already in force.
bool SetTempo(SmfSong &song, std::uint64_t tick, MidiInteger microseconds) {
    const GrowingArray<SmfTempo> &tempos = song.tempos;
    if (tempos.count > 0 && tempos.items[tempos.count - 1].microsecondsPerQuarter == microseconds) {
        return true;
    }
    return Append(song.tempos, {tick, static_cast<std::uint32_t>(microseconds), false});
}

// The tempos from tick `from` (where the map stands at played / R
// microseconds) that put the tick `to` nearest the time; adds their
// microseconds times ticks to played. kTempoNotStorable or kOutOfMemory
// when they cannot be set.
CueProblem LandHit(std::uint64_t from, const MapHit &hit, const MidiTime &time, int resolution,
                   SmfSong &song, MidiInteger &played) {
    const MidiInteger ticks = hit.tick - from;
    const MidiInteger q = time.denominator;
    // The microseconds a quarter times ticks that land it, over q.
    const MidiInteger needed = time.numerator * resolution - played * q;
    if (needed <= 0) {
        return CueProblem::kTempoNotStorable;
    }
    const MidiInteger whole = ticks * q;
    // Halves down: on a tie the beat lands before the hit.
    const MidiInteger nearest = (2 * needed + whole - 1) / (2 * whole);
    const MidiInteger off = nearest * whole - needed;
    if ((off < 0 ? -off : off) <= q * resolution) {
        if (!Storable(nearest)) {
            return CueProblem::kTempoNotStorable;
        }
        played += ticks * nearest;
        return SetTempo(song, from, nearest) ? CueProblem::kNone : CueProblem::kOutOfMemory;
    }
    // The slower tempo's extra microsecond a tick for all but change ticks:
    // change = ticks x slower - needed, rounded to the nearest, halves up so
    // that on a tie the beat lands before the hit.
    const MidiInteger faster = needed / whole;
    const MidiInteger slower = faster + 1;
    const MidiInteger over = ticks * slower * q - needed;
    const MidiInteger change = (2 * over + q) / (2 * q);
    if (!Storable(faster) || !Storable(slower)) {
        return CueProblem::kTempoNotStorable;
    }
    played += change * faster + (ticks - change) * slower;
    return SetTempo(song, from, faster) &&
                   SetTempo(song, from + static_cast<std::uint64_t>(change), slower)
               ? CueProblem::kNone
               : CueProblem::kOutOfMemory;
}

// The orders that the hits must keep; the problem names hit j and the one
// before it.
CueProblem CheckOrder(const MapHit *hits, int j, const MidiTime &time, const MidiTime &before) {
    if (j == 0) {
        return hits[0].tick == 0 && time.numerator != 0 ? CueProblem::kFirstHitNotAtStart
                                                        : CueProblem::kNone;
    }
    if (hits[j].tick <= hits[j - 1].tick) {
        return CueProblem::kTicksNotIncreasing;
    }
    return time.numerator * before.denominator <= before.numerator * time.denominator
               ? CueProblem::kTimesNotIncreasing
               : CueProblem::kNone;
}

}  // namespace

bool StartMeterSong(int resolution, int numerator, int denominatorPower, SmfSong &song,
                    CueProblem &problem) {
    song.format = 0;
    song.headerTrackCount = 1;
    song.trackCount = 1;
    song.division = {false, resolution, 0, 0};
    song.tempos.count = 0;
    song.timeSignatures.count = 0;
    song.endTick = 0;
    song.name[0] = '\0';
    song.smpteOffset = {false, {}};
    song.warningCount = 0;
    song.moreWarnings = 0;
    problem = CheckMeter(resolution, numerator, denominatorPower);
    if (problem == CueProblem::kNone &&
        !Append(song.timeSignatures, {0, numerator, denominatorPower})) {
        problem = CueProblem::kOutOfMemory;
    }
    return problem == CueProblem::kNone;
}

bool BuildExactMap(const MapHit *hits, int count, SmfSong &song, MidiTime *errors,
                   CueError &error) {
    error = {count < 1          ? CueProblem::kNoHits
             : count > kMaxHits ? CueProblem::kTooManyHits
                                : CueProblem::kNone,
             -1, -1};
    const int resolution = song.division.ticksPerQuarter;
    song.tempos.count = 0;
    std::uint64_t from = 0;
    MidiInteger played = 0;  // microseconds times ticks, to the tick from
    MidiTime before = {0, 1};
    for (int j = 0; j < count && error.problem == CueProblem::kNone; ++j) {
        MidiTime time;
        error = {CueProblem::kNone, j, -1};
        if (!ReduceHitTime(hits[j].time, time, error.problem)) {
            break;
        }
        error = {CheckOrder(hits, j, time, before), j - 1, j};
        if (error.problem != CueProblem::kNone || (j == 0 && hits[0].tick == 0)) {
            before = time;
            continue;
        }
        error.problem = LandHit(from, hits[j], time, resolution, song, played);
        // The hit less where the map plays it: (p R - played q) / (q R).
        const MidiInteger unit = time.denominator * resolution;
        const MidiInteger off = time.numerator * resolution - played * time.denominator;
        const MidiInteger divisor = GreatestCommonDivisor(off, unit);
        errors[j] = {off / divisor, unit / divisor};
        from = hits[j].tick;
        before = time;
    }
    if (error.problem != CueProblem::kNone) {
        return false;
    }
    if (hits[0].tick == 0) {
        errors[0] = {0, 1};
        // A map of one hit at tick 0 still needs a tempo.
        if (song.tempos.count == 0 &&
            !Append(song.tempos, {0, kDefaultMicrosecondsPerQuarter, true})) {
            error.problem = CueProblem::kOutOfMemory;
            return false;
        }
    }
    song.endTick = hits[count - 1].tick;
    error = {CueProblem::kNone, -1, -1};
    return true;
}
