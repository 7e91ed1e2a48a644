// Fitting a tempo to hits, exactly and in bounded time.
//
// Every hit is held as a whole number of 1/(L x R) microseconds, L the
// hits' common denominator and R the resolution; a grid line's time at a
// stored tempo is a whole number of the same units, so each error is an
// integer, found from a floating-point estimate of the nearest line and
// then corrected exactly. The tempos are ranked by (largest error, sum of
// squares, order tried). Any first part of the hits gives a rank no later
// than all of them, so a tempo stops as soon as its partial rank falls
// behind the N-th best. First every tempo is ranked by a screen of 32 hits
// spread over the cue; the N best of those are ranked in full to set the
// bar; then every tempo is checked again against it, from the fastest (a
// largest error is at most half a grid cell, so the fastest set the bar
// lowest soonest): the screen first, then whether any other hit strays
// further than the N-th best's largest error, starting from the hit that
// last put a tempo out, and only for the few that pass, the sum of squares
// in its fixed order.
#include "picture/tempo_fit.h"

#include <cmath>

#include "calc/note_captions.h"
#include "midi/midi_tempo.h"

namespace {

typedef unsigned __int128 Magnitude;

constexpr MidiInteger kMaxCommonDenominator = static_cast<MidiInteger>(1) << 32;
// A tuplet of 1,000 in the time of one four-whole note at the largest
// resolution stays below it.
constexpr MidiInteger kMaxGridTicks = static_cast<MidiInteger>(1) << 28;
// Below this, a grid cell's units fit 64 bits with room for the estimate's
// error (up to 16 cells for a line 2^55 cells out), and the errors are
// worked out in 64-bit words.
constexpr MidiInteger kNarrowCell = static_cast<MidiInteger>(1) << 56;
constexpr int kScreenHits = 32;
// (high - low) / step of 12,000 may come out just below it.
constexpr double kCountTolerance = 1e-9;

struct Rank {
    Magnitude largest;  // in 1/(L x R) microseconds
    double sumOfSquares;
    long long order;  // of the tempo tried
};

bool Before(const Rank &a, const Rank &b) {
    if (a.largest != b.largest) {
        return a.largest < b.largest;
    }
    if (a.sumOfSquares != b.sumOfSquares) {
        return a.sumOfSquares < b.sumOfSquares;
    }
    return a.order < b.order;
}

struct TempoRange {
    double low;
    double step;
    long long count;
};

// The tempos tried that a file stores as the same microseconds a quarter.
struct TempoGroup {
    long long first;
    long long next;
    std::uint32_t microseconds;
    double bpm;
};

struct Ranked {
    Rank rank;
    TempoGroup group;
};

// The hits in the order they are checked, in 1/(L x R) microseconds: whole,
// modulo 2^64 for the narrow words, and as doubles for the estimate.
MidiInteger g_scaled[kMaxHits];
std::uint64_t g_scaledLow[kMaxHits];
double g_microseconds[kMaxHits];
bool g_screened[kMaxHits];
int g_hitCount;
int g_screenCount;
MidiInteger g_common;  // L
int g_resolution;
MidiInteger g_gridTicks;
bool g_narrow;
long long g_errorsWorkedOut;
int g_lastOut;  // of the hits after the screen, the last that put a tempo out
// The best by the screen, then the best of all.
Ranked g_screenBest[kMaxFits];
Ranked g_best[kMaxFits];

double TriedBpm(const TempoRange &range, long long i) {
    return range.low + static_cast<double>(i) * range.step;
}

std::uint32_t StoredAt(const TempoRange &range, long long i) {
    return static_cast<std::uint32_t>(MidiTempoOfBpm(TriedBpm(range, i)));
}

// The tempos tried around the i-th that store as the same microseconds.
TempoGroup GroupOf(const TempoRange &range, long long i) {
    TempoGroup group = {i, i + 1, StoredAt(range, i), 0};
    while (group.first > 0 && StoredAt(range, group.first - 1) == group.microseconds) {
        --group.first;
    }
    while (group.next < range.count && StoredAt(range, group.next) == group.microseconds) {
        ++group.next;
    }
    const double own = BpmOfMidiTempo(group.microseconds);
    group.bpm = TriedBpm(range, group.first);
    for (long long member = group.first + 1; member < group.next; ++member) {
        const double bpm = TriedBpm(range, member);
        if (std::fabs(bpm - own) < std::fabs(group.bpm - own)) {
            group.bpm = bpm;
        }
    }
    return group;
}

// The hit less its nearest line, above -cell/2 and at most cell/2, in
// words of the given width whose arithmetic wraps.
template <typename Signed, typename Unsigned>
Signed ErrorAt(const Unsigned *scaled, int j, Signed cell, double linesPerUnit) {
    const double estimate = std::nearbyint(g_microseconds[j] * linesPerUnit);
    Signed error = static_cast<Signed>(scaled[j] - static_cast<Unsigned>(estimate) *
                                                       static_cast<Unsigned>(cell));
    while (2 * error > cell) {
        error -= cell;
    }
    while (2 * error <= -cell) {
        error += cell;
    }
    return error;
}

template <typename Signed>
Magnitude MagnitudeOf(Signed error) {
    return static_cast<Magnitude>(error < 0 ? -error : error);
}

// Adds the errors of hits [from, to) to the rank, and returns where it
// stopped: to, or the hit after the one that put the rank behind the bound.
template <typename Signed, typename Unsigned>
int AddErrors(const Unsigned *scaled, int from, int to, Signed cell, double linesPerUnit,
              const Rank *bound, Rank &rank) {
    for (int j = from; j < to; ++j) {
        const Signed error = ErrorAt(scaled, j, cell, linesPerUnit);
        if (MagnitudeOf(error) > rank.largest) {
            rank.largest = MagnitudeOf(error);
        }
        const double value = static_cast<double>(error);
        rank.sumOfSquares += value * value;
        if (bound != nullptr && Before(*bound, rank)) {
            return j + 1;
        }
    }
    return to;
}

// Whether no hit after the screen strays further than largest. The largest
// error does not depend on the order, so they are checked from the one that
// last put a tempo out: neighbouring tempos stray at the same hits.
template <typename Signed, typename Unsigned>
bool WithinLargest(const Unsigned *scaled, Signed cell, double linesPerUnit, Magnitude largest) {
    const int rest = g_hitCount - g_screenCount;
    for (int n = 0; n < rest; ++n) {
        const int j = g_screenCount + (g_lastOut + n) % rest;
        ++g_errorsWorkedOut;
        if (MagnitudeOf(ErrorAt(scaled, j, cell, linesPerUnit)) > largest) {
            g_lastOut = j - g_screenCount;
            return false;
        }
    }
    return true;
}

// Runs work on the hits and the tempo's grid cell in the words that hold
// them.
template <typename Work>
auto InWords(const TempoGroup &group, Work work) {
    const MidiInteger cell = g_gridTicks * group.microseconds * g_common;
    // Grid lines a microsecond.
    const double linesPerUnit =
        static_cast<double>(g_resolution) / (static_cast<double>(g_gridTicks) * group.microseconds);
    return g_narrow ? work(g_scaledLow, static_cast<long long>(cell), linesPerUnit)
                    : work(reinterpret_cast<const Magnitude *>(g_scaled), cell, linesPerUnit);
}

// Adds the errors of hits [from, to) in their fixed order; false when the
// rank falls behind the bound.
bool AddTempoErrors(const TempoGroup &group, int from, int to, const Rank *bound, Rank &rank) {
    const int stopped = InWords(group, [&](const auto *scaled, auto cell, double linesPerUnit) {
        return AddErrors(scaled, from, to, cell, linesPerUnit, bound, rank);
    });
    g_errorsWorkedOut += stopped - from;
    return stopped == to && (bound == nullptr || !Before(*bound, rank));
}

bool ScreenTempo(const TempoGroup &group, const Rank *bound, Rank &rank) {
    return AddTempoErrors(group, 0, g_screenCount, bound, rank);
}

// The rest of the hits after the screen: first whether any strays beyond
// the bound's largest error, in any order, then the sum of squares in the
// fixed order for the few tempos that still rank.
bool RankRest(const TempoGroup &group, const Rank *bound, Rank &rank) {
    if (bound != nullptr &&
        !InWords(group, [&](const auto *scaled, auto cell, double linesPerUnit) {
            return WithinLargest(scaled, cell, linesPerUnit, bound->largest);
        })) {
        return false;
    }
    return AddTempoErrors(group, g_screenCount, g_hitCount, bound, rank);
}

// Into a list kept best first, when it ranks among the first capacity.
void Insert(Ranked *list, int &count, int capacity, const Ranked &item) {
    if (count == capacity && !Before(item.rank, list[count - 1].rank)) {
        return;
    }
    int at = count < capacity ? count++ : count - 1;
    for (; at > 0 && Before(item.rank, list[at - 1].rank); --at) {
        list[at] = list[at - 1];
    }
    list[at] = item;
}

// The last of a full list: what a tempo must rank before to enter it.
const Rank *Bar(const Ranked *list, int count, int capacity) {
    return count == capacity ? &list[capacity - 1].rank : nullptr;
}

bool Listed(const Ranked *list, int count, long long first) {
    for (int i = 0; i < count; ++i) {
        if (list[i].group.first == first) {
            return true;
        }
    }
    return false;
}

CueProblem CheckSettings(const FitRequest &request, TempoRange &range) {
    const CueProblem meter =
        CheckMeter(request.resolution, request.numerator, request.denominatorPower);
    if (meter != CueProblem::kNone) {
        return meter;
    }
    const Fraction &grid = request.gridQuarters;
    const MidiInteger gridScaled = grid.numerator * request.resolution;
    if (grid.numerator < 1 || grid.denominator < 1 || gridScaled % grid.denominator != 0 ||
        gridScaled / grid.denominator > kMaxGridTicks) {
        return CueProblem::kGridNotWholeTicks;
    }
    if (request.best < 1 || request.best > kMaxFits) {
        return CueProblem::kBestCount;
    }
    if (!(request.stepBpm > 0) || !std::isfinite(request.stepBpm)) {
        return CueProblem::kStep;
    }
    if (!(request.lowBpm > 0) || !(request.highBpm >= request.lowBpm) ||
        !std::isfinite(request.highBpm)) {
        return CueProblem::kNoTempoInRange;
    }
    if (MidiTempoOfBpm(request.lowBpm) == 0 || MidiTempoOfBpm(request.highBpm) == 0) {
        return CueProblem::kRangeNotStorable;
    }
    const double steps = (request.highBpm - request.lowBpm) / request.stepBpm + kCountTolerance;
    if (!(steps < kMaxTemposTried)) {
        return CueProblem::kTooManyTempos;
    }
    range = {request.lowBpm, request.stepBpm, static_cast<long long>(steps) + 1};
    // The last tempo tried may pass high by the tolerance, and must store too.
    if (MidiTempoOfBpm(TriedBpm(range, range.count - 1)) == 0) {
        return CueProblem::kRangeNotStorable;
    }
    g_resolution = request.resolution;
    g_gridTicks = gridScaled / grid.denominator;
    return CueProblem::kNone;
}

// Checks the hits, finds their common denominator and sets them out in the
// order they are checked.
bool PrepareHits(const FitRequest &request, long long largestTempo, CueError &error) {
    const int count = request.hitCount;
    MidiTime previous = {0, 1};
    g_common = 1;
    for (int j = 0; j < count; ++j) {
        MidiTime hit;
        if (!ReduceHitTime(request.hits[j], hit, error.problem)) {
            error.first = j;
            return false;
        }
        if (hit.numerator * previous.denominator < previous.numerator * hit.denominator) {
            error = {CueProblem::kHitsOutOfOrder, j - 1, j};
            return false;
        }
        previous = hit;
        g_common = LeastCommonMultiple(g_common, hit.denominator);
        if (g_common == 0 || g_common > kMaxCommonDenominator) {
            error = {CueProblem::kHitTimesTooFine, j, -1};
            return false;
        }
    }
    g_hitCount = count;
    g_screenCount = count < kScreenHits ? count : kScreenHits;
    for (int j = 0; j < count; ++j) {
        g_screened[j] = false;
    }
    int place = 0;
    const auto setOut = [&](int j) {
        MidiTime hit;
        CueProblem unused;
        ReduceHitTime(request.hits[j], hit, unused);
        g_scaled[place] = hit.numerator * (g_common / hit.denominator) * g_resolution;
        g_scaledLow[place] = static_cast<std::uint64_t>(g_scaled[place]);
        g_microseconds[place] =
            static_cast<double>(hit.numerator) / static_cast<double>(hit.denominator);
        ++place;
    };
    for (int s = 0; s < g_screenCount; ++s) {
        const int j = g_screenCount == 1
                          ? 0
                          : (s * (count - 1) + (g_screenCount - 1) / 2) / (g_screenCount - 1);
        g_screened[j] = true;
        setOut(j);
    }
    for (int j = count - 1; j >= 0; --j) {
        if (!g_screened[j]) {
            setOut(j);
        }
    }
    g_narrow = g_gridTicks * largestTempo * g_common < kNarrowCell;
    return true;
}

CueProblem CheckHitCount(int count) {
    return count < 1          ? CueProblem::kNoHits
           : count > kMaxHits ? CueProblem::kTooManyHits
                              : CueProblem::kNone;
}

}  // namespace

bool FitTempos(const FitRequest &request, FitResults &results, CueError &error) {
    error = {CheckHitCount(request.hitCount), -1, -1};
    TempoRange range = {0, 0, 0};
    if (error.problem == CueProblem::kNone) {
        error.problem = CheckSettings(request, range);
    }
    if (error.problem != CueProblem::kNone ||
        !PrepareHits(request, MidiTempoOfBpm(request.lowBpm), error)) {
        return false;
    }
    const int best = request.best;
    int screenCount = 0;
    results.temposStored = 0;
    g_errorsWorkedOut = 0;
    g_lastOut = 0;
    for (long long i = 0; i < range.count;) {
        const TempoGroup group = GroupOf(range, i);
        ++results.temposStored;
        Ranked item = {{0, 0, group.first}, group};
        if (ScreenTempo(group, Bar(g_screenBest, screenCount, best), item.rank)) {
            Insert(g_screenBest, screenCount, best, item);
        }
        i = group.next;
    }
    int count = 0;
    for (int i = 0; i < screenCount; ++i) {
        Ranked item = g_screenBest[i];
        if (RankRest(item.group, Bar(g_best, count, best), item.rank)) {
            Insert(g_best, count, best, item);
        }
    }
    // From the fastest: a tempo's largest error is at most half its grid
    // cell, so the fastest set the bar that puts the slower out soonest.
    for (long long i = range.count - 1; i >= 0;) {
        const TempoGroup group = GroupOf(range, i);
        Ranked item = {{0, 0, group.first}, group};
        const Rank *bar = Bar(g_best, count, best);
        if (ScreenTempo(group, bar, item.rank) && RankRest(group, bar, item.rank) &&
            !Listed(g_best, count, group.first)) {
            Insert(g_best, count, best, item);
        }
        i = group.first - 1;
    }
    const MidiInteger unit = g_common * g_resolution;
    results.count = count;
    results.temposTried = range.count;
    results.errorsWorkedOut = g_errorsWorkedOut;
    for (int i = 0; i < count; ++i) {
        const Ranked &item = g_best[i];
        const MidiInteger largest = static_cast<MidiInteger>(item.rank.largest);
        const MidiInteger divisor = GreatestCommonDivisor(largest, unit);
        const double unitValue = static_cast<double>(unit);
        results.fits[i] = {item.group.bpm,
                           item.group.microseconds,
                           {largest / divisor, unit / divisor},
                           item.rank.sumOfSquares / (unitValue * unitValue)};
    }
    return true;
}

HitOnGrid PlaceHitOnGrid(const FitRequest &request, std::uint32_t microsecondsPerQuarter, int hit) {
    MidiTime time;
    CueProblem unused;
    ReduceHitTime(request.hits[hit], time, unused);
    const Fraction &grid = request.gridQuarters;
    const MidiInteger gridTicks = grid.numerator * request.resolution / grid.denominator;
    // In 1/(denominator x R) microseconds: the hit, and a grid cell.
    const MidiInteger scaled = time.numerator * request.resolution;
    const MidiInteger cell = gridTicks * microsecondsPerQuarter * time.denominator;
    // The line at or after scaled - cell/2, as the fitting takes it.
    const MidiInteger line = (2 * scaled + cell - 1) / (2 * cell);
    const MidiInteger error = scaled - line * cell;
    const MidiInteger unit = time.denominator * request.resolution;
    const MidiInteger divisor = GreatestCommonDivisor(error, unit);
    HitOnGrid placed;
    placed.tick = static_cast<std::uint64_t>(line * gridTicks);
    placed.error = {error / divisor, unit / divisor};
    // Bars and beats need only the division and the one time signature.
    BarSegment bar = {0, 1, request.numerator, request.denominatorPower};
    TempoMap meter = {};
    meter.division = {false, request.resolution, 0, 0};
    meter.bars = {&bar, 1, 1};
    placed.position = PositionOfTick(meter, placed.tick);
    return placed;
}

bool ReadGridNote(const wchar_t *caption, Fraction &quarters) {
    NamedNote note;
    if (!ReadNoteCaption(caption, note)) {
        return false;
    }
    const Fraction plain = NoteQuarters(NoteLengthTable[note.index]);
    quarters = note.isTuplet ? TupletQuarters(plain, note.tuplet) : plain;
    return true;
}
