// Text to number. The numeric prefix is scanned here and rewritten as plain
// ASCII digits with an exponent and no decimal point, which strtod converts
// with correct rounding and without consulting the locale.
#include "calc/number_text.h"

#include <cstdlib>

#include "calc/field_text.h"

namespace {

constexpr int kMaxReadLength = kFieldTextCapacity - 1;

// Exponents beyond this overflow or underflow any double whatever the digits;
// stopping here keeps the arithmetic in range.
constexpr long kExponentLimit = 100000;

bool IsLeadingSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == L'\u3000';
}

// The ASCII form of a character that can be part of a number, or 0.
char NumberCharacter(wchar_t c) {
    if (c >= L'\uFF01' && c <= L'\uFF5E') {
        c = static_cast<wchar_t>(c - 0xFEE0);  // full-width forms mirror ASCII
    }
    if ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.' || c == L'e' || c == L'E') {
        return static_cast<char>(c);
    }
    return 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSign(char c) {
    return c == '+' || c == '-';
}

// Appends 'e' and the exponent; the buffer has room for it.
void AppendExponent(char *out, long exponent) {
    *out++ = 'e';
    if (exponent < 0) {
        *out++ = '-';
        exponent = -exponent;
    }
    char reversed[16];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + exponent % 10);
        exponent /= 10;
    } while (exponent != 0);
    while (count > 0) {
        *out++ = reversed[--count];
    }
    *out = '\0';
}

// Scans the number at the start of ascii and rewrites it into number for
// strtod; returns how many characters it takes, 0 when there is none.
int ScanNumber(const char *ascii, char (&number)[kFieldTextCapacity + 16]) {
    const char *p = ascii;
    int length = 0;
    if (IsSign(*p)) {
        if (*p == '-') {
            number[length++] = '-';
        }
        ++p;
    }
    int digitCount = 0;
    long exponent = 0;
    while (IsDigit(*p)) {
        number[length++] = *p++;
        ++digitCount;
    }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            number[length++] = *p++;
            ++digitCount;
            --exponent;
        }
    }
    if (digitCount == 0) {
        return 0;
    }
    // An 'e' without digits after it adds nothing: the number ended before it.
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        const bool negativeExponent = *q == '-';
        if (IsSign(*q)) {
            ++q;
        }
        long written = 0;
        const char *digits = q;
        while (IsDigit(*q)) {
            if (written < kExponentLimit) {
                written = written * 10 + (*q - '0');
            }
            ++q;
        }
        if (q != digits) {
            exponent += negativeExponent ? -written : written;
            p = q;
        }
    }
    AppendExponent(number + length, exponent);
    return static_cast<int>(p - ascii);
}

// The first character after the leading white space, and from there the
// characters that can make a number, in ASCII.
int NumberStart(const wchar_t *text, char (&ascii)[kFieldTextCapacity]) {
    int start = 0;
    while (start < kMaxReadLength && IsLeadingSpace(text[start])) {
        ++start;
    }
    int asciiLength = 0;
    for (int i = start; i < kMaxReadLength; ++i) {
        const char c = NumberCharacter(text[i]);
        if (c == 0) {
            break;
        }
        ascii[asciiLength++] = c;
    }
    ascii[asciiLength] = '\0';
    return start;
}

}  // namespace

double WideTextToDouble(const wchar_t *text) {
    char ascii[kFieldTextCapacity];
    NumberStart(text, ascii);
    char number[kFieldTextCapacity + 16];
    return ScanNumber(ascii, number) == 0 ? 0.0 : std::strtod(number, nullptr);
}

int NumberTextEnd(const wchar_t *text) {
    char ascii[kFieldTextCapacity];
    const int start = NumberStart(text, ascii);
    char number[kFieldTextCapacity + 16];
    const int length = ScanNumber(ascii, number);
    return length == 0 ? 0 : start + length;
}

bool IsOnlyANumber(const wchar_t *text) {
    const int end = NumberTextEnd(text);
    if (end == 0) {
        return false;
    }
    for (const wchar_t *rest = text + end; *rest != L'\0'; ++rest) {
        if (!IsLeadingSpace(*rest)) {
            return false;
        }
    }
    return true;
}
