// Rounding exact fractions once.
#include "text/fraction_text.h"

#include <cmath>

namespace {

int BitLength(ExactInteger value) {
    int bits = 0;
    for (; value != 0; value >>= 1) {
        ++bits;
    }
    return bits;
}

// numerator / denominator, both positive, to the nearest whole number.
ExactInteger RoundedQuotient(ExactInteger numerator, ExactInteger denominator) {
    ExactInteger quotient = numerator / denominator;
    const ExactInteger rest = numerator % denominator;
    if (2 * rest > denominator || (2 * rest == denominator && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

}  // namespace

void FormatFixedFraction(const Fraction &value, int decimals, FieldText &text) {
    ExactInteger scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const bool negative = value.numerator < 0;
    const ExactInteger magnitude = negative ? -value.numerator : value.numerator;
    const ExactInteger scaled = RoundedQuotient(magnitude * scale, value.denominator);
    FieldText whole;
    FieldText fraction;
    FormatExactInteger(scaled / scale, whole);
    // The decimals with their leading zeros: 1 and then the digits.
    FormatExactInteger(scale + scaled % scale, fraction);
    int length = 0;
    if (negative && scaled != 0) {
        text[length++] = L'-';
    }
    for (const wchar_t *digit = whole; *digit != L'\0';) {
        text[length++] = *digit++;
    }
    if (decimals > 0) {
        text[length++] = L'.';
        for (const wchar_t *digit = fraction + 1; *digit != L'\0';) {
            text[length++] = *digit++;
        }
    }
    text[length] = L'\0';
}

double NearestDouble(const Fraction &value) {
    if (value.numerator == 0) {
        return 0;
    }
    const bool negative = value.numerator < 0;
    const ExactInteger magnitude = negative ? -value.numerator : value.numerator;
    // A quotient of at least 56 bits, its last one set when anything is
    // left over: rounding it to a double's 53 rounds the fraction.
    const int shift = 56 + BitLength(value.denominator) - BitLength(magnitude);
    const ExactInteger shifted = shift > 0 ? magnitude << shift : magnitude;
    ExactInteger quotient = shifted / value.denominator;
    if (shifted % value.denominator != 0) {
        quotient |= 1;
    }
    const double rounded = std::ldexp(static_cast<double>(quotient), shift > 0 ? -shift : 0);
    return negative ? -rounded : rounded;
}
