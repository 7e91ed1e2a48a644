// Formatting of result values.
#include "calc/result_text.h"

#include <cmath>
#include <cwchar>

void FormatResultValue(double value, FieldText &text) {
    FormatFixedValue(value, 2, text);
}

void FormatFixedValue(double value, int decimals, FieldText &text) {
    // The runtimes spell non-finite values differently (glibc prints "-nan"
    // for the NaN that inf * 0 yields), so those texts are ours.
    if (std::isnan(value)) {
        CopyFieldText(L"nan", text);
        return;
    }
    if (std::isinf(value)) {
        CopyFieldText(value < 0 ? L"-inf" : L"inf", text);
        return;
    }
    // glibc reports a text that does not fit with -1, MinGW-w64 with a count
    // of at least the capacity; either way it must not be shown cut off.
    const int length = std::swprintf(text, kFieldTextCapacity, L"%.*f", decimals, value);
    if (length < 0 || length >= kFieldTextCapacity) {
        CopyFieldText(L"--", text);
    }
}
