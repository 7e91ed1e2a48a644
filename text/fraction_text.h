// A fraction, worked out exactly, rounded once for showing: to a decimal
// text with fixed decimals, or to the nearest double for JSON. Ties go to
// the even neighbour, as printf's do.
#ifndef TACTIMER_TEXT_FRACTION_TEXT_H
#define TACTIMER_TEXT_FRACTION_TEXT_H

#include "calc/exact_ticks.h"

// "-0.022995" for %.6f; never a negative zero. The numerator times
// 10^decimals must fit 127 bits.
void FormatFixedFraction(const Fraction &value, int decimals, FieldText &text);

// The double nearest the fraction, whose denominator is below 2^70.
double NearestDouble(const Fraction &value);

#endif
