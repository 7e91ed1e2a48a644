// Note lengths as exact fractions, in integers: how many ticks a note lasts
// at a whole resolution, and which resolutions make a set of notes whole.
#ifndef TACTIMER_CALC_EXACT_TICKS_H
#define TACTIMER_CALC_EXACT_TICKS_H

#include "calc/field_text.h"
#include "calc/note_length_table.h"
#include "calc/tuplet.h"

// Wide enough for a resolution of 2^53 times a tuplet's 1,000 times the 24
// quarters of a dotted 4 note.
typedef __int128 ExactInteger;

// In lowest terms, with a positive denominator.
struct Fraction {
    ExactInteger numerator;
    ExactInteger denominator;
};

// The largest resolution whose ticks are worked out exactly: doubles hold
// every whole number up to it.
constexpr double kMaxExactResolution = 9007199254740992.0;  // 2^53

// The entry's length in quarter notes. The table's factors are binary
// fractions, so this is exact.
Fraction NoteQuarters(const NoteLengthEntry &entry);
Fraction TupletQuarters(const Fraction &plain, const Tuplet &tuplet);

// A whole number no larger than 2^53 in magnitude.
bool IsWholeResolution(double resolution);

// The ticks of a note of the length in quarters at a whole resolution.
Fraction ExactTicks(double resolution, const Fraction &quarters);

// "68 4/7", "160", "3/14" or "-68 4/7".
void FormatMixedNumber(const Fraction &value, FieldText &text);
void FormatExactInteger(ExactInteger value, FieldText &text);

// Of the two magnitudes; 0 only for two zeros.
ExactInteger GreatestCommonDivisor(ExactInteger a, ExactInteger b);

// Of two positive numbers; 0 when it would not fit 127 bits.
ExactInteger LeastCommonMultiple(ExactInteger a, ExactInteger b);

#endif
