// The refusals' sentences, and the checks that both fittings make of a time.
#include "picture/cue_problem.h"

#include "calc/exact_ticks.h"

namespace {

constexpr MidiInteger kMaxHitDenominator = static_cast<MidiInteger>(1) << 40;
constexpr int kMaxResolution = 32767;
constexpr int kMaxNumerator = 255;
constexpr int kMaxDenominatorPower = 15;

}  // namespace

const char *CueProblemText(CueProblem problem) {
    switch (problem) {
        case CueProblem::kNone:
            break;
        case CueProblem::kNoHits:
            return "there are no hits";
        case CueProblem::kTooManyHits:
            return "there are more than 10,000 hits";
        case CueProblem::kHitBeforeStart:
            return "a hit comes before the cue's start";
        case CueProblem::kHitTooLate:
            return "a hit comes more than 2^40 microseconds (12.7 days) after the cue's start";
        case CueProblem::kHitTimeTooFine:
            return "a hit's time is finer than 2^-40 of a microsecond";
        case CueProblem::kHitsOutOfOrder:
            return "the hits are out of order: each must come no earlier than the one before";
        case CueProblem::kTimesNotIncreasing:
            return "the times must increase from hit to hit";
        case CueProblem::kTicksNotIncreasing:
            return "the positions must increase from hit to hit";
        case CueProblem::kFirstHitNotAtStart:
            return "a hit at the first tick must be at time 0: a MIDI file's clock starts there";
        case CueProblem::kTempoNotStorable:
            return "the tempo between these hits is outside what a MIDI file can store "
                   "(1 to 16,777,215 microseconds a quarter note)";
        case CueProblem::kResolution:
            return "the resolution must be a whole number from 1 to 32,767";
        case CueProblem::kTimeSignature:
            return "the time signature must be N/D with N from 1 to 255 and D a power of two "
                   "from 1 to 32,768";
        case CueProblem::kGridNotWholeTicks:
            return "the grid note is not a whole number of ticks at this resolution";
        case CueProblem::kBestCount:
            return "the number of best tempos must be from 1 to 1,000";
        case CueProblem::kStep:
            return "the tempo step must be above 0";
        case CueProblem::kNoTempoInRange:
            return "the range holds no tempo: LOW-HIGH, with 0 < LOW <= HIGH";
        case CueProblem::kRangeNotStorable:
            return "the range holds tempos that a MIDI file cannot store (below 3.5763 or "
                   "above 60,000,000 quarter notes a minute)";
        case CueProblem::kTooManyTempos:
            return "the range and step hold more than 1,000,000 tempos to try";
        case CueProblem::kHitTimesTooFine:
            return "the hits' times share no denominator up to 2^32: give them in whole "
                   "microseconds or coarser";
        case CueProblem::kOutOfMemory:
            return "there is not enough memory for the tempo map";
    }
    return "";
}

CueProblem CheckMeter(int resolution, int numerator, int denominatorPower) {
    if (resolution < 1 || resolution > kMaxResolution) {
        return CueProblem::kResolution;
    }
    if (numerator < 1 || numerator > kMaxNumerator || denominatorPower < 0 ||
        denominatorPower > kMaxDenominatorPower) {
        return CueProblem::kTimeSignature;
    }
    return CueProblem::kNone;
}

bool ReduceHitTime(const MidiTime &time, MidiTime &reduced, CueProblem &problem) {
    const ExactInteger divisor = GreatestCommonDivisor(time.numerator, time.denominator);
    reduced = {time.numerator / divisor, time.denominator / divisor};
    if (reduced.denominator < 0) {
        reduced = {-reduced.numerator, -reduced.denominator};
    }
    if (reduced.numerator < 0) {
        problem = CueProblem::kHitBeforeStart;
    } else if (reduced.denominator > kMaxHitDenominator) {
        problem = CueProblem::kHitTimeTooFine;
    } else if (reduced.numerator > kMaxHitMicroseconds * reduced.denominator) {
        problem = CueProblem::kHitTooLate;
    } else {
        problem = CueProblem::kNone;
    }
    return problem == CueProblem::kNone;
}
