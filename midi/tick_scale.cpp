// The arithmetic of a change of resolution, in 128-bit integers, with the
// common cases (a whole factor up, no tempo moved) kept cheap: a song has
// millions of events.
#include "midi/tick_scale.h"

#include <initializer_list>
#include <numeric>

namespace {

constexpr std::uint64_t kMaxTick = std::uint64_t(1) << 62;

// The tempo maps before and after, and the tempo changes each keeps.
TempoMap g_fromMap;
TempoMap g_toMap;
SmfSong g_from;
SmfSong g_moved;

// The tempo change in force at the tick, searched from the one last used.
const SmfTempo &TempoAt(const TempoMap &map, long long &segment, std::uint64_t tick) {
    const SmfTempo *const tempos = map.tempos->items;
    if (tempos[segment].tick > tick) {
        segment = 0;
    }
    while (segment + 1 < map.tempos->count && tempos[segment + 1].tick <= tick) {
        ++segment;
    }
    return tempos[segment];
}

// The time at the tick times the division.
MidiInteger ScaledTime(const TempoMap &map, long long &segment, std::uint64_t tick) {
    const SmfTempo &at = TempoAt(map, segment, tick);
    return map.quarterMicrosecondsBefore.items[segment] +
           static_cast<MidiInteger>(tick - at.tick) * at.microsecondsPerQuarter;
}

MidiInteger Magnitude(MidiInteger value) {
    return value < 0 ? -value : value;
}

// The nearest tick to tick × to / from, halves to the earlier; error is
// tick × to - moved × from. A tick beyond 2^62 comes out as 2^62 + 1.
std::uint64_t NearestTick(std::uint64_t tick, int from, int to, MidiInteger &error) {
    // In 64 bits while they hold it.
    if (tick < (std::uint64_t(1) << 48)) {
        const std::uint64_t scaled = tick * static_cast<std::uint64_t>(to);
        const std::uint64_t divisor = static_cast<std::uint64_t>(from);
        const std::uint64_t rest = scaled % divisor;
        const std::uint64_t moved = scaled / divisor + (2 * rest > divisor ? 1 : 0);
        error = static_cast<MidiInteger>(scaled) - static_cast<MidiInteger>(moved) * from;
        return moved;
    }
    const MidiInteger scaled = static_cast<MidiInteger>(tick) * to;
    MidiInteger moved = scaled / from;
    if (2 * (scaled % from) > from) {
        ++moved;
    }
    error = scaled - moved * from;
    return moved > kMaxTick ? kMaxTick + 1 : static_cast<std::uint64_t>(moved);
}

}  // namespace

bool StartTickScale(TickScale &scale, const GrowingArray<SmfTempo> &tempos, int from, int to) {
    scale.report = {from, to, 0, 0, 0, 0, static_cast<std::uint64_t>(from), false};
    const bool whole = to % from == 0;
    scale.wholeFactor = whole ? static_cast<std::uint64_t>(to / from) : 0;
    scale.wholeLimit = whole ? kMaxTick / scale.wholeFactor : 0;
    scale.tempoMoved = false;
    scale.fromSegment = 0;
    scale.toSegment = 0;
    // Each map keeps the song it is built from: one each, the tempo changes
    // as they were and as they move.
    for (SmfSong *song : {&g_from, &g_moved}) {
        song->division = {false, from, 0, 0};
        song->tempos.count = 0;
        song->timeSignatures.count = 0;
    }
    for (long long i = 0; i < tempos.count; ++i) {
        SmfTempo tempo = tempos.items[i];
        MidiInteger error = 0;
        tempo.tick = NearestTick(tempo.tick, from, to, error);
        scale.tempoMoved = scale.tempoMoved || error != 0;
        if (!Append(g_from.tempos, tempos.items[i]) || !Append(g_moved.tempos, tempo)) {
            return false;
        }
    }
    if (!BuildTempoMap(g_moved, g_toMap)) {
        return false;
    }
    // The map's times are kept times the division, whichever it is.
    g_toMap.division.ticksPerQuarter = to;
    return BuildTempoMap(g_from, g_fromMap);
}

void CountTickDivisor(RetickReport &report, std::uint64_t tick) {
    const std::uint64_t rest = tick % report.tickDivisor;
    if (rest != 0) {
        report.tickDivisor = std::gcd(report.tickDivisor, rest);
    }
}

std::uint64_t MoveTickAnyway(TickScale &scale, std::uint64_t tick) {
    RetickReport &report = scale.report;
    ++report.events;
    MidiInteger error = 0;
    const std::uint64_t moved =
        NearestTick(tick, report.resolutionFrom, report.resolutionTo, error);
    CountTickDivisor(report, tick);
    if (error != 0) {
        ++report.moved;
        if (Magnitude(error) > report.maxTickError) {
            report.maxTickError = Magnitude(error);
        }
    }
    // Both times over from × to. While no tempo change moved, the tempo
    // changes lie on whole new ticks, so none falls between an event's
    // exact place and its nearest tick: the error is the ticks between
    // them at the tempo in force at the event.
    MidiInteger timeError = 0;
    if (scale.tempoMoved) {
        timeError = Magnitude(ScaledTime(g_toMap, scale.toSegment, moved) * report.resolutionFrom -
                              ScaledTime(g_fromMap, scale.fromSegment, tick) * report.resolutionTo);
    } else if (error != 0) {
        timeError =
            Magnitude(error) * TempoAt(g_fromMap, scale.fromSegment, tick).microsecondsPerQuarter;
    }
    if (timeError > report.maxTimeError) {
        report.maxTimeError = timeError;
    }
    report.tickTooLarge = report.tickTooLarge || moved > kMaxTick;
    return moved;
}

long long LeastExactResolution(const RetickReport &report) {
    return static_cast<long long>(static_cast<std::uint64_t>(report.resolutionFrom) /
                                  report.tickDivisor);
}

double MaxTickError(const RetickReport &report) {
    return static_cast<double>(report.maxTickError) / report.resolutionFrom;
}

MidiTime MaxTimeError(const RetickReport &report) {
    return {report.maxTimeError,
            static_cast<MidiInteger>(report.resolutionFrom) * report.resolutionTo};
}
