// Which tempo puts these hits on the beat: every tempo of a range is tried
// as a MIDI file would play it, stored as whole microseconds a quarter note,
// and ranked by the largest error of any hit from its nearest grid line,
// then by the sum of the squared errors. The largest errors are compared
// exactly; the sums of squares, a tie-break only, in doubles summed in one
// fixed order, so that every platform ranks alike.
//
// The wiring: ReadGridNote for --grid, the hits as exact microseconds from
// the cue's first downbeat (ReadMillisecondsText, or TimeSinceStart for a
// timecode), a FitRequest with the defaults below changed by the options,
// then FitTempos; for each fit, BpmOfMidiTempo or bpm to print, FramesOfTime
// for the largest error in frames, and PlaceHitOnGrid for each hit.
#ifndef TACTIMER_PICTURE_TEMPO_FIT_H
#define TACTIMER_PICTURE_TEMPO_FIT_H

#include <cstdint>

#include "calc/exact_ticks.h"
#include "midi/tempo_map.h"
#include "picture/cue_problem.h"

constexpr int kMaxFits = 1000;
constexpr long long kMaxTemposTried = 1000000;

struct FitRequest {
    const MidiTime *hits = nullptr;  // microseconds from the cue's start, in order
    int hitCount = 0;
    Fraction gridQuarters = {1, 2};  // the grid note's length in quarter notes: 1/8
    int resolution = 960;
    int numerator = 4;  // the time signature that bars and beats count by
    int denominatorPower = 2;
    double lowBpm = 60;  // tried: low, low + step, low + 2 step ... up to high
    double highBpm = 180;
    double stepBpm = 0.01;
    int best = 10;
};

struct TempoFit {
    // Of the tempos tried that a file stores as the same microseconds, the
    // one nearest the tempo those microseconds play.
    double bpm;
    std::uint32_t microsecondsPerQuarter;
    MidiTime largestError;  // microseconds, not negative, in lowest terms
    double sumOfSquares;    // of the errors, in microseconds squared
};

struct FitResults {
    int count;                // request.best, or fewer when fewer tempos were stored
    TempoFit fits[kMaxFits];  // best first
    long long temposTried;
    long long temposStored;     // the different microseconds a quarter among them
    long long errorsWorkedOut;  // hit by tempo: the work the pruning left
};

// False with the refusal when the request cannot be fitted; CueError names
// the hits for kHitBeforeStart, kHitTooLate, kHitTimeTooFine (first) and
// kHitsOutOfOrder (first and second). Uses no heap: its work is a module's
// fixed arrays of kMaxHits. Pruned: every tempo is checked against a
// screen of 32 hits, and against the rest only while it can still rank;
// 10,000 hits against 1,000,000 tempos take about a tenth of a second
// (tests/bench/fit_benchmark.cpp shows the share of the work it leaves).
bool FitTempos(const FitRequest &request, FitResults &results, CueError &error);

struct HitOnGrid {
    std::uint64_t tick;    // of the nearest grid line
    BarPosition position;  // of that tick, under the request's time signature
    MidiTime error;        // microseconds in lowest terms; negative: the hit comes before the beat
};

// Where a hit of a request that FitTempos took falls at a tempo. Halfway
// between two grid lines, the earlier is taken and the error is positive.
HitOnGrid PlaceHitOnGrid(const FitRequest &request, std::uint32_t microsecondsPerQuarter, int hit);

// A caption that the note table knows ("1/8", "付点1/4", "triplet 1/8",
// "5:4連1/16") as its length in quarter notes; false for any other text.
bool ReadGridNote(const wchar_t *caption, Fraction &quarters);

#endif
