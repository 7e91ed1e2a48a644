// Exact fractions of note lengths.
#include "calc/exact_ticks.h"

#include <limits>

namespace {

// Every factor of the table is a whole number of sixty-fourths.
constexpr double kFactorDenominator = 64;

constexpr ExactInteger kExactIntegerMax =
    static_cast<ExactInteger>(~static_cast<unsigned __int128>(0) >> 1);

ExactInteger Magnitude(ExactInteger value) {
    return value < 0 ? -value : value;
}

Fraction Reduced(ExactInteger numerator, ExactInteger denominator) {
    const ExactInteger divisor = GreatestCommonDivisor(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
}

// Appends the decimal digits of a non-negative value at text[length].
int AppendDigits(ExactInteger value, FieldText &text, int length) {
    wchar_t reversed[48];
    int count = 0;
    do {
        reversed[count++] = static_cast<wchar_t>(L'0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    while (count > 0 && length < kFieldTextCapacity - 1) {
        text[length++] = reversed[--count];
    }
    text[length] = L'\0';
    return length;
}

}  // namespace

ExactInteger GreatestCommonDivisor(ExactInteger a, ExactInteger b) {
    a = Magnitude(a);
    b = Magnitude(b);
    while (b != 0) {
        const ExactInteger rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

Fraction NoteQuarters(const NoteLengthEntry &entry) {
    return Reduced(static_cast<ExactInteger>(entry.tickFactor * kFactorDenominator),
                   static_cast<ExactInteger>(kFactorDenominator));
}

Fraction TupletQuarters(const Fraction &plain, const Tuplet &tuplet) {
    return Reduced(plain.numerator * tuplet.inTimeOf, plain.denominator * tuplet.notes);
}

bool IsWholeResolution(double resolution) {
    return resolution >= -kMaxExactResolution && resolution <= kMaxExactResolution &&
           static_cast<double>(static_cast<long long>(resolution)) == resolution;
}

Fraction ExactTicks(double resolution, const Fraction &quarters) {
    return Reduced(static_cast<long long>(resolution) * quarters.numerator, quarters.denominator);
}

void FormatMixedNumber(const Fraction &value, FieldText &text) {
    int length = 0;
    if (value.numerator < 0) {
        text[length++] = L'-';
    }
    const ExactInteger magnitude = Magnitude(value.numerator);
    const ExactInteger whole = magnitude / value.denominator;
    const ExactInteger rest = magnitude % value.denominator;
    if (whole != 0 || rest == 0) {
        length = AppendDigits(whole, text, length);
    }
    if (rest != 0) {
        if (whole != 0) {
            text[length++] = L' ';
        }
        length = AppendDigits(rest, text, length);
        text[length++] = L'/';
        AppendDigits(value.denominator, text, length);
    }
}

void FormatExactInteger(ExactInteger value, FieldText &text) {
    int length = 0;
    if (value < 0) {
        text[length++] = L'-';
    }
    AppendDigits(Magnitude(value), text, length);
}

ExactInteger LeastCommonMultiple(ExactInteger a, ExactInteger b) {
    if (a == 0 || b == 0) {
        return 0;
    }
    const ExactInteger quotient = a / GreatestCommonDivisor(a, b);
    return quotient > kExactIntegerMax / b ? 0 : quotient * b;
}
