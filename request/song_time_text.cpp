// Exact reading of ticks and milliseconds.
#include "request/song_time_text.h"

namespace {

constexpr std::uint64_t kMaxTick = std::uint64_t(1) << 62;
constexpr int kMaxWholeDigits = 18;
constexpr int kMaxFractionDigits = 9;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

const wchar_t *SkipSpace(const wchar_t *text) {
    while (*text == L' ' || *text == L'\t') {
        ++text;
    }
    return text;
}

// Reads up to limit digits into value; returns how many, or -1 for more.
int ReadDigits(const wchar_t *&text, int limit, MidiInteger &value) {
    int count = 0;
    for (; IsDigit(*text); ++text, ++count) {
        if (count == limit) {
            return -1;
        }
        value = value * 10 + (*text - L'0');
    }
    return count;
}

}  // namespace

bool ReadTickText(const wchar_t *text, std::uint64_t &tick) {
    text = SkipSpace(text);
    MidiInteger value = 0;
    const int digits = ReadDigits(text, kMaxWholeDigits + 1, value);
    if (digits <= 0 || *SkipSpace(text) != L'\0' || value > kMaxTick) {
        return false;
    }
    tick = static_cast<std::uint64_t>(value);
    return true;
}

bool ReadMillisecondsText(const wchar_t *text, MidiTime &microseconds) {
    text = SkipSpace(text);
    MidiInteger value = 0;
    const int whole = ReadDigits(text, kMaxWholeDigits, value);
    int fraction = 0;
    if (*text == L'.') {
        ++text;
        fraction = ReadDigits(text, kMaxFractionDigits, value);
    }
    if (whole < 0 || fraction < 0 || whole + fraction == 0 || *SkipSpace(text) != L'\0') {
        return false;
    }
    MidiInteger scale = 1;
    for (int i = 0; i < fraction; ++i) {
        scale *= 10;
    }
    microseconds = {value * 1000, scale};
    return true;
}
