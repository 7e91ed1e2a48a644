// Shortest round-trip texts.
#include "text/shortest_number.h"

#include <cwchar>

#include "calc/number_text.h"

void FormatShortestNumber(double value, FieldText &text) {
    for (int digits = 1; digits <= 17; ++digits) {
        std::swprintf(text, kFieldTextCapacity, L"%.*g", digits, value);
        if (WideTextToDouble(text) == value) {
            break;
        }
    }
    if (const wchar_t *exponent = std::wcschr(text, L'e')) {
        const long power = std::wcstol(exponent + 1, nullptr, 10);
        if (power >= 0 && power < 17) {
            std::swprintf(text, kFieldTextCapacity, L"%.*g", static_cast<int>(power + 1), value);
        }
    }
}
