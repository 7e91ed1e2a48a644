// The texts the soak types into the form: a seeded mix of what users type
// and what they should not.
#ifndef TACTIMER_TESTS_SOAK_SOAK_INPUTS_H
#define TACTIMER_TESTS_SOAK_SOAK_INPUTS_H

#include <random>
#include <string>

// How a calculation is started once both inputs are typed.
enum class CalculateBy { kEnterInTempo, kEnterInResolution, kClickOnCalculate };

struct SoakCalculation {
    std::wstring tempo;
    std::wstring resolution;
    CalculateBy by;
};

// Valid numbers, unusable texts (empty ones included), texts of 100 to 150
// characters and full-width digits, in a fixed mix.
SoakCalculation NextCalculation(std::mt19937 &random);

#endif
