// The frame rates' facts.
#include "picture/frame_rate.h"

#include <cwctype>

const FrameRate kFrameRates[kFrameRateCount] = {
    FrameRate::k23_976,    FrameRate::k24,    FrameRate::k25,        FrameRate::k29_97,
    FrameRate::k29_97Drop, FrameRate::k30,    FrameRate::k47_952,    FrameRate::k48,
    FrameRate::k50,        FrameRate::k59_94, FrameRate::k59_94Drop, FrameRate::k60,
};

namespace {

const FrameRateFacts kFacts[kFrameRateCount] = {
    {"23.976", 24, true, 0}, {"24", 24, false, 0},     {"25", 25, false, 0},
    {"29.97", 30, true, 0},  {"29.97df", 30, true, 2}, {"30", 30, false, 0},
    {"47.952", 48, true, 0}, {"48", 48, false, 0},     {"50", 50, false, 0},
    {"59.94", 60, true, 0},  {"59.94df", 60, true, 4}, {"60", 60, false, 0},
};

// The name, its letters in either case.
bool IsNamed(const wchar_t *text, const char *name) {
    for (; *name != '\0'; ++name, ++text) {
        if (static_cast<wchar_t>(std::towlower(*text)) != static_cast<wchar_t>(*name)) {
            return false;
        }
    }
    return *text == L'\0';
}

}  // namespace

const FrameRateFacts &FactsOf(FrameRate rate) {
    return kFacts[static_cast<int>(rate)];
}

bool ReadFrameRate(const wchar_t *text, FrameRate &rate) {
    for (FrameRate candidate : kFrameRates) {
        if (IsNamed(text, FactsOf(candidate).name)) {
            rate = candidate;
            return true;
        }
    }
    return false;
}

MidiTime FrameMicroseconds(FrameRate rate) {
    const FrameRateFacts &facts = FactsOf(rate);
    return {facts.slowed ? 1001000 : 1000000, facts.framesCounted};
}

double FramesOfMilliseconds(double milliseconds, FrameRate rate) {
    const FrameRateFacts &facts = FactsOf(rate);
    return milliseconds * facts.framesCounted / (facts.slowed ? 1001 : 1000);
}

double FramesOfTime(const MidiTime &microseconds, FrameRate rate) {
    const MidiTime frame = FrameMicroseconds(rate);
    return static_cast<double>(microseconds.numerator * frame.denominator) /
           static_cast<double>(microseconds.denominator * frame.numerator);
}
