// A double as the shortest decimal text that reads back as the same double,
// for JSON and for echoing a number that was read.
#ifndef TACTIMER_TEXT_SHORTEST_NUMBER_H
#define TACTIMER_TEXT_SHORTEST_NUMBER_H

#include "calc/field_text.h"

// The fewest significant digits that read back as the same double, written
// without an exponent where the number has at most 17 integer digits (480,
// not 4.8e+02). Only for finite values.
void FormatShortestNumber(double value, FieldText &text);

#endif
