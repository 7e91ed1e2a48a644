// Texts as users type them into the form's inputs, drawn from a seeded mix:
// valid numbers (a sign, a fraction, an exponent or a unit now and then),
// the same in full-width characters, unusable texts (empty ones included),
// and texts of 100 to 150 characters.
#ifndef TACTIMER_TESTS_INPUT_TEXTS_H
#define TACTIMER_TESTS_INPUT_TEXTS_H

#include <random>
#include <string>

std::wstring NextInputText(std::mt19937 &random);

#endif
