// Signed decimals through the tempo map's own rounding of milliseconds.
#include "picture/error_text.h"

#include <cstring>

namespace {

// FormatMilliseconds prints microseconds over 1000 with three decimals:
// scaled by 1000, it prints microseconds so.
void FormatSigned(const MidiTime &microseconds, MidiInteger thousandthsScale,
                  char (&text)[kErrorTextSize]) {
    const bool negative = microseconds.numerator < 0;
    const MidiInteger magnitude = negative ? -microseconds.numerator : microseconds.numerator;
    char digits[kMillisecondsTextSize];
    FormatMilliseconds({magnitude * thousandthsScale, microseconds.denominator}, digits);
    const bool sign = negative && std::strcmp(digits, "0.000") != 0;
    text[0] = '-';
    std::memcpy(text + (sign ? 1 : 0), digits, std::strlen(digits) + 1);
}

}  // namespace

void FormatErrorMicroseconds(const MidiTime &microseconds, char (&text)[kErrorTextSize]) {
    FormatSigned(microseconds, 1000, text);
}

void FormatErrorMilliseconds(const MidiTime &microseconds, char (&text)[kErrorTextSize]) {
    FormatSigned(microseconds, 1, text);
}
