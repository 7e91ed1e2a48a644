// Reading a number from a field's text by the atof rule, the same on every
// runtime and under every locale.
#ifndef TACTIMER_CALC_NUMBER_TEXT_H
#define TACTIMER_CALC_NUMBER_TEXT_H

// Skips leading white space, then reads an optional sign, digits with an
// optional '.' and fraction, and an optional exponent; the rest is ignored.
// Text that holds no number reads as 0. Too large a number reads as an
// infinity, too small a one as zero. Full-width digits, signs, full stop and
// 'e' read like their ASCII forms, and the ideographic space is white space,
// as a Japanese input method types them. No hexadecimal, inf or nan. Like a
// field, it reads no more than the first 99 characters.
double WideTextToDouble(const wchar_t *text);

// Where the number that WideTextToDouble reads ends: how many characters of
// text it takes with the white space before it, or 0 when text holds no
// number. Scripts that want nothing but a number check what follows.
int NumberTextEnd(const wchar_t *text);

// A number and nothing after it but white space.
bool IsOnlyANumber(const wchar_t *text);

#endif
