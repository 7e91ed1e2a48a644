// Click-book tempos: the rounding is exact, so a tempo that lands a click
// exactly halfway between two eighths rounds up, as the books do, and one
// just below halfway does not, however the double's division would round.
#include "picture/click_book.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kEighthsSecondsAMinute = 8 * 60;
constexpr int kMantissaBits = 53;
// Beyond these powers of two the click is surely too short or too long.
constexpr int kMaxUpShift = 50;
constexpr int kMaxDownShift = 90;

}  // namespace

bool ClickBookTempo(double bpm, FrameRate rate, ClickTempo &click) {
    if (!(bpm > 0) || !std::isfinite(bpm)) {
        return false;
    }
    const FrameRateFacts &facts = FactsOf(rate);
    // The eighths a quarter lasts: over / (under x bpm).
    const __int128 over = static_cast<__int128>(kEighthsSecondsAMinute) * facts.framesCounted *
                          (facts.slowed ? 1000 : 1);
    const __int128 under = facts.slowed ? 1001 : 1;
    // bpm = mantissa x 2^exponent, the mantissa a whole number.
    int exponent = 0;
    const double fraction = std::frexp(bpm, &exponent);
    const __int128 mantissa = static_cast<__int128>(std::ldexp(fraction, kMantissaBits));
    exponent -= kMantissaBits;
    if (exponent > kMaxUpShift || -exponent > kMaxDownShift) {
        return false;
    }
    __int128 numerator = over;
    __int128 denominator = under * mantissa;
    if (exponent >= 0) {
        denominator <<= exponent;
    } else {
        numerator <<= -exponent;
    }
    // Halves up: floor(numerator / denominator + 1/2).
    const __int128 eighths = (2 * numerator + denominator) / (2 * denominator);
    if (eighths < 1 || eighths > kMaxClickEighths) {
        return false;
    }
    click.eighths = static_cast<long long>(eighths);
    click.bpm = static_cast<double>(over) / static_cast<double>(under * eighths);
    return true;
}

void FormatClick(const ClickTempo &click, char (&text)[kClickTextSize]) {
    std::snprintf(text, kClickTextSize, "%lld-%lld", click.eighths / 8, click.eighths % 8);
}
