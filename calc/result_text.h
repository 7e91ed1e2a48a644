// The text of one result: "%.2f", correctly rounded, identical on glibc and on
// MinGW-w64's own printf family; other fixed decimals for tactimer-cli's
// further units.
#ifndef TACTIMER_CALC_RESULT_TEXT_H
#define TACTIMER_CALC_RESULT_TEXT_H

#include "calc/field_text.h"

// Infinities read "inf" and "-inf", every NaN "nan". A value whose text would
// need more than 99 characters (magnitudes from about 1e96) reads "--".
void FormatResultValue(double value, FieldText &text);

// The same with another number of decimals: "%.3f" for 3.
void FormatFixedValue(double value, int decimals, FieldText &text);

#endif
