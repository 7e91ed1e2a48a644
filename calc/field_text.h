// The one size of text the form knows: every text read from or written to a
// field fits 99 wide characters and a terminator.
#ifndef TACTIMER_CALC_FIELD_TEXT_H
#define TACTIMER_CALC_FIELD_TEXT_H

constexpr int kFieldTextCapacity = 100;

typedef wchar_t FieldText[kFieldTextCapacity];

#endif
