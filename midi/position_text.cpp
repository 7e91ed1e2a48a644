// Reading bar:beat:tick.
#include "midi/position_text.h"

namespace {

constexpr int kMaxDigits = 18;

const wchar_t *SkipSpace(const wchar_t *text) {
    while (*text == L' ' || *text == L'\t') {
        ++text;
    }
    return text;
}

// One to kMaxDigits digits; moves text past them.
bool ReadNumber(const wchar_t *&text, long long &value) {
    int count = 0;
    value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        if (++count > kMaxDigits) {
            return false;
        }
        value = value * 10 + (*text - L'0');
    }
    return count > 0;
}

}  // namespace

bool ReadPositionText(const wchar_t *text, BarPosition &position) {
    position = {true, 0, 0, 0};
    text = SkipSpace(text);
    if (!ReadNumber(text, position.bar) || *text++ != L':' || !ReadNumber(text, position.beat)) {
        return false;
    }
    if (*text == L':') {
        ++text;
        if (!ReadNumber(text, position.beatTick)) {
            return false;
        }
    }
    return *SkipSpace(text) == L'\0';
}
