// Why hits cannot be fitted, by tempo or by tempo map: one list for both,
// each with a sentence in English that the wiring prints after the option.
#ifndef TACTIMER_PICTURE_CUE_PROBLEM_H
#define TACTIMER_PICTURE_CUE_PROBLEM_H

#include "midi/tempo_map.h"

enum class CueProblem {
    kNone,
    kNoHits,
    kTooManyHits,         // more than kMaxHits
    kHitBeforeStart,      // a time below 0
    kHitTooLate,          // after kMaxHitMicroseconds
    kHitTimeTooFine,      // a time's denominator, in lowest terms, above 2^40
    kHitsOutOfOrder,      // fitting: a hit before the one ahead of it
    kTimesNotIncreasing,  // exact map
    kTicksNotIncreasing,  // exact map
    kFirstHitNotAtStart,  // exact map: tick 0 sounds at time 0, nothing else
    kTempoNotStorable,    // exact map: a segment needs a tempo outside 1 to 16,777,215
    kResolution,          // not 1 to 32,767
    kTimeSignature,       // numerator not 1 to 255, or denominator not 1, 2, 4 ... 32,768
    kGridNotWholeTicks,   // fitting: the grid note is not whole ticks at the resolution
    kBestCount,           // fitting: not 1 to kMaxFits
    kStep,                // fitting: not above 0
    kNoTempoInRange,      // fitting: low above high, or low not above 0
    kRangeNotStorable,    // fitting: a tempo that a MIDI file cannot store
    kTooManyTempos,       // fitting: more than kMaxTemposTried
    kHitTimesTooFine,     // fitting: the times' common denominator above 2^32
    kOutOfMemory,         // exact map: the song's tempo list could not grow
};

constexpr int kMaxHits = 10000;
// 2^40 microseconds: 12.7 days, far beyond any cue, and bounds the
// arithmetic.
constexpr MidiInteger kMaxHitMicroseconds = static_cast<MidiInteger>(1) << 40;

struct CueError {
    CueProblem problem;
    // The hits it names, counted from 0, or -1: first the earlier. For the
    // exact map's kTempoNotStorable, first is -1 when the segment starts at
    // tick 0 ahead of the first hit.
    int first;
    int second;
};

// A sentence, in English: "tactimer-cli: --fit: " and it, then the hits.
const char *CueProblemText(CueProblem problem);

// kResolution or kTimeSignature when a MIDI file cannot hold the resolution
// (1 to 32,767) or the time signature (numerator 1 to 255, denominator 2 to
// a power from 0 to 15); otherwise kNone.
CueProblem CheckMeter(int resolution, int numerator, int denominatorPower);

// Checks one hit's time and gives it in lowest terms; false with the
// problem (kHitBeforeStart, kHitTooLate or kHitTimeTooFine) when it is not
// a time that fitting can use.
bool ReduceHitTime(const MidiTime &time, MidiTime &reduced, CueProblem &problem);

#endif
