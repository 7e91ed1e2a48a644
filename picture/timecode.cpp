// Timecode arithmetic, exact: frame numbers counted in 64-bit integers,
// times in the tempo map's 128-bit fractions.
#include "picture/timecode.h"

#include <cstdio>

namespace {

constexpr int kHundredths = 100;
constexpr int kTenMinutesADay = 144;

// Drop-frame counting skips frame numbers in nine minutes of every ten.
long long FramesPerTenMinutes(const FrameRateFacts &facts) {
    return 600LL * facts.framesCounted - 9LL * facts.droppedEachMinute;
}

long long FramesPerDroppingMinute(const FrameRateFacts &facts) {
    return 60LL * facts.framesCounted - facts.droppedEachMinute;
}

MidiInteger FloorDivide(MidiInteger numerator, MidiInteger denominator) {
    const MidiInteger quotient = numerator / denominator;
    return numerator % denominator < 0 ? quotient - 1 : quotient;
}

// The hundredths of a frame from 00:00:00:00 to the timecode.
MidiInteger HundredthsOf(FrameRate rate, const Timecode &timecode) {
    return static_cast<MidiInteger>(FrameCountOf(rate, timecode)) * kHundredths +
           timecode.hundredths;
}

TimecodeProblem CheckFields(FrameRate rate, const Timecode &timecode) {
    const FrameRateFacts &facts = FactsOf(rate);
    if (timecode.hours > 23) {
        return TimecodeProblem::kHoursPast23;
    }
    if (timecode.minutes > 59) {
        return TimecodeProblem::kMinutesPast59;
    }
    if (timecode.seconds > 59) {
        return TimecodeProblem::kSecondsPast59;
    }
    if (timecode.frames >= facts.framesCounted) {
        return TimecodeProblem::kFramesPastRate;
    }
    if (timecode.hundredths >= kHundredths) {
        return TimecodeProblem::kHundredthsPast99;
    }
    if (timecode.minutes % 10 != 0 && timecode.seconds == 0 &&
        timecode.frames < facts.droppedEachMinute) {
        return TimecodeProblem::kDroppedFrame;
    }
    return TimecodeProblem::kNone;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// One or two digits (exactly two when exact); moves text past them.
bool ReadField(const wchar_t *&text, bool exactlyTwo, int &value) {
    if (!IsDigit(text[0])) {
        return false;
    }
    value = text[0] - L'0';
    ++text;
    if (IsDigit(text[0])) {
        value = value * 10 + (text[0] - L'0');
        ++text;
        return true;
    }
    return !exactlyTwo;
}

// Moves text past the character when it comes next.
bool Take(const wchar_t *&text, wchar_t character) {
    if (*text != character) {
        return false;
    }
    ++text;
    return true;
}

const wchar_t *SkipSpace(const wchar_t *text) {
    while (*text == L' ' || *text == L'\t') {
        ++text;
    }
    return text;
}

}  // namespace

long long FramesPerDay(FrameRate rate) {
    return kTenMinutesADay * FramesPerTenMinutes(FactsOf(rate));
}

long long FrameCountOf(FrameRate rate, const Timecode &timecode) {
    const FrameRateFacts &facts = FactsOf(rate);
    const long long minutes = 60LL * timecode.hours + timecode.minutes;
    const long long numbered =
        (minutes * 60 + timecode.seconds) * facts.framesCounted + timecode.frames;
    return numbered - facts.droppedEachMinute * (minutes - minutes / 10);
}

Timecode TimecodeOfFrameCount(FrameRate rate, long long count) {
    const FrameRateFacts &facts = FactsOf(rate);
    long long numbered = count;
    if (facts.droppedEachMinute > 0) {
        const long long dropped = facts.droppedEachMinute;
        const long long tens = count / FramesPerTenMinutes(facts);
        const long long rest = count % FramesPerTenMinutes(facts);
        numbered += 9 * dropped * tens;
        if (rest >= dropped) {
            numbered += dropped * ((rest - dropped) / FramesPerDroppingMinute(facts));
        }
    }
    const long long seconds = numbered / facts.framesCounted;
    return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60), static_cast<int>(numbered % facts.framesCounted), 0};
}

ClockReading ClockAt(FrameRate rate, const Timecode &start, const MidiTime &microseconds) {
    const MidiTime frame = FrameMicroseconds(rate);
    // In hundredths of a frame: the start, then the time, over one scale.
    const MidiInteger scale = microseconds.denominator * frame.numerator;
    const MidiInteger hundredths = HundredthsOf(rate, start) * scale +
                                   kHundredths * microseconds.numerator * frame.denominator;
    const MidiInteger frames = FloorDivide(hundredths, kHundredths * scale);
    const MidiInteger within = hundredths - frames * kHundredths * scale;
    const long long perDay = FramesPerDay(rate);
    const MidiInteger days = FloorDivide(frames, perDay);
    ClockReading reading;
    reading.timecode = TimecodeOfFrameCount(rate, static_cast<long long>(frames - days * perDay));
    reading.timecode.hundredths = static_cast<int>(within / scale);
    reading.insideFrame = within != 0;
    reading.days = static_cast<long long>(days);
    return reading;
}

void FormatClock(FrameRate rate, const ClockReading &reading, char (&text)[kTimecodeTextSize]) {
    const Timecode &timecode = reading.timecode;
    const int length = std::snprintf(
        text, kTimecodeTextSize, "%02d:%02d:%02d%c%02d", timecode.hours, timecode.minutes,
        timecode.seconds, FactsOf(rate).droppedEachMinute > 0 ? ';' : ':', timecode.frames);
    if (reading.insideFrame) {
        std::snprintf(text + length, kTimecodeTextSize - length, ".%02d", timecode.hundredths);
    }
}

void FormatTimecodeAt(FrameRate rate, const Timecode &start, const MidiTime &microseconds,
                      char (&text)[kTimecodeTextSize]) {
    FormatClock(rate, ClockAt(rate, start, microseconds), text);
}

const char *TimecodeProblemText(TimecodeProblem problem) {
    switch (problem) {
        case TimecodeProblem::kNone:
            break;
        case TimecodeProblem::kNotTimecode:
            return "not a timecode: HH:MM:SS:FF expected (HH:MM:SS;FF at drop-frame rates), "
                   "with .ss hundredths of a frame if wanted";
        case TimecodeProblem::kHoursPast23:
            return "the hours go from 00 to 23";
        case TimecodeProblem::kMinutesPast59:
            return "the minutes go from 00 to 59";
        case TimecodeProblem::kSecondsPast59:
            return "the seconds go from 00 to 59";
        case TimecodeProblem::kFramesPastRate:
            return "the frame number is past the last of a second at this frame rate";
        case TimecodeProblem::kDroppedFrame:
            return "drop-frame counting skips this frame: frames 00 and 01 (00 to 03 at 59.94df) "
                   "do not exist at the start of a minute that is not a tenth";
        case TimecodeProblem::kSemicolonWithoutDropFrame:
            return "';' marks drop-frame timecode, and this frame rate counts every frame";
        case TimecodeProblem::kHundredthsPast99:
            return "the hundredths of a frame go from 00 to 99";
        case TimecodeProblem::kReservedBitSet:
            return "the top bit of the hour byte, which must be 0, is set";
    }
    return "";
}

bool ReadTimecodeText(const wchar_t *text, FrameRate rate, Timecode &timecode,
                      TimecodeProblem &problem) {
    timecode = kMidnight;
    text = SkipSpace(text);
    bool semicolon = false;
    bool read = ReadField(text, false, timecode.hours) && Take(text, L':') &&
                ReadField(text, false, timecode.minutes) && Take(text, L':') &&
                ReadField(text, false, timecode.seconds) &&
                (Take(text, L':') || (semicolon = Take(text, L';'))) &&
                ReadField(text, false, timecode.frames);
    if (read && Take(text, L'.')) {
        read = ReadField(text, true, timecode.hundredths);
    }
    if (!read || *SkipSpace(text) != L'\0') {
        problem = TimecodeProblem::kNotTimecode;
    } else if (semicolon && FactsOf(rate).droppedEachMinute == 0) {
        problem = TimecodeProblem::kSemicolonWithoutDropFrame;
    } else {
        problem = CheckFields(rate, timecode);
    }
    return problem == TimecodeProblem::kNone;
}

MidiTime TimeSinceStart(FrameRate rate, const Timecode &start, const Timecode &timecode) {
    const MidiInteger day = static_cast<MidiInteger>(FramesPerDay(rate)) * kHundredths;
    MidiInteger hundredths = HundredthsOf(rate, timecode) - HundredthsOf(rate, start);
    if (2 * hundredths > day) {
        hundredths -= day;
    } else if (2 * hundredths <= -day) {
        hundredths += day;
    }
    const MidiTime frame = FrameMicroseconds(rate);
    return {hundredths * frame.numerator, kHundredths * frame.denominator};
}

namespace {

// The rates that the hour byte's bits 5 and 6 name, in their order.
const FrameRate kOffsetRates[4] = {FrameRate::k24, FrameRate::k25, FrameRate::k29_97Drop,
                                   FrameRate::k30};

}  // namespace

bool ReadSmpteOffset(const std::uint8_t *bytes, SmpteOffset &offset, TimecodeProblem &problem) {
    offset.rate = kOffsetRates[(bytes[0] >> 5) & 3];
    offset.start = {bytes[0] & 0x1F, bytes[1], bytes[2], bytes[3], bytes[4]};
    problem = (bytes[0] & 0x80) != 0 ? TimecodeProblem::kReservedBitSet
                                     : CheckFields(offset.rate, offset.start);
    return problem == TimecodeProblem::kNone;
}

bool SmpteOffsetBytes(const SmpteOffset &offset, std::uint8_t (&bytes)[5]) {
    for (int code = 0; code < 4; ++code) {
        if (kOffsetRates[code] == offset.rate) {
            const Timecode &start = offset.start;
            bytes[0] = static_cast<std::uint8_t>((code << 5) | start.hours);
            bytes[1] = static_cast<std::uint8_t>(start.minutes);
            bytes[2] = static_cast<std::uint8_t>(start.seconds);
            bytes[3] = static_cast<std::uint8_t>(start.frames);
            bytes[4] = static_cast<std::uint8_t>(start.hundredths);
            return true;
        }
    }
    return false;
}
