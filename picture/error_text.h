// Signed errors as the wiring prints them: a fit's in milliseconds, an
// exact map's in microseconds, both with three decimals.
#ifndef TACTIMER_PICTURE_ERROR_TEXT_H
#define TACTIMER_PICTURE_ERROR_TEXT_H

#include "midi/tempo_map.h"

// Rounded to the nearest thousandth, ties to even, as FormatMilliseconds
// rounds; '-' before a negative value unless it rounds to 0.000.
constexpr int kErrorTextSize = kMillisecondsTextSize + 1;

// An error in microseconds as microseconds: "-0.250".
void FormatErrorMicroseconds(const MidiTime &microseconds, char (&text)[kErrorTextSize]);

// An error in microseconds as milliseconds: "-12.345".
void FormatErrorMilliseconds(const MidiTime &microseconds, char (&text)[kErrorTextSize]);

#endif
