// SMPTE timecode: which frame a clock shows at an exact time, reading typed
// timecode, and the start that a MIDI file's SMPTE offset sets.
//
// The clock wraps at 24 hours, as SMPTE timecode and MIDI's own offset and
// time code do (their hours run 0 to 23): every text printed is a timecode
// the picture can show and this reader takes back. A typed timecode names
// the nearest moment the clock shows it, before the start or after, so
// that 00:59:58:00 is two seconds before a start at 01:00:00:00 and
// 00:30:00:00 an hour and a half after one at 23:00:00:00.
#ifndef TACTIMER_PICTURE_TIMECODE_H
#define TACTIMER_PICTURE_TIMECODE_H

#include <cstdint>

#include "midi/tempo_map.h"
#include "picture/frame_rate.h"

struct Timecode {
    int hours;       // 0 to 23
    int minutes;     // 0 to 59
    int seconds;     // 0 to 59
    int frames;      // 0 to the rate's frames counted a second, less one
    int hundredths;  // of a frame, 0 to 99
};

constexpr Timecode kMidnight = {0, 0, 0, 0, 0};

// Frame numbers that the clock shows in a day: 2,589,408 at 29.97df.
long long FramesPerDay(FrameRate rate);

// The frames counted from 00:00:00:00 to the timecode's frame, its
// hundredths left out. The timecode must be valid at the rate.
long long FrameCountOf(FrameRate rate, const Timecode &timecode);

// The timecode of a frame count from 0 to FramesPerDay - 1, hundredths 0.
Timecode TimecodeOfFrameCount(FrameRate rate, long long count);

struct ClockReading {
    Timecode timecode;
    bool insideFrame;  // the time is not the frame's very start
    long long days;    // the times midnight passed since 00:00:00:00 (negative before it)
};

// The frame showing at the time (microseconds after the start, negative
// before it): rounded down, never up, and so are the hundredths. Exact for
// times whose numerator stays within 2^110 and denominator within 2^60 in
// magnitude, as every time of the tempo map and of the text readers does.
ClockReading ClockAt(FrameRate rate, const Timecode &start, const MidiTime &microseconds);

// "HH:MM:SS:FF", ';' before the frames at drop-frame rates, and ".ss" after
// them when the time lies inside the frame: "01:00:31;12.40".
constexpr int kTimecodeTextSize = 16;
void FormatClock(FrameRate rate, const ClockReading &reading, char (&text)[kTimecodeTextSize]);

// ClockAt, then FormatClock: what the wiring prints beside each time.
void FormatTimecodeAt(FrameRate rate, const Timecode &start, const MidiTime &microseconds,
                      char (&text)[kTimecodeTextSize]);

// Why a typed timecode, or a file's SMPTE offset, is not one.
enum class TimecodeProblem {
    kNone,
    kNotTimecode,
    kHoursPast23,
    kMinutesPast59,
    kSecondsPast59,
    kFramesPastRate,
    kDroppedFrame,
    kSemicolonWithoutDropFrame,
    kHundredthsPast99,  // only in an SMPTE offset; typed hundredths have two digits
    kReservedBitSet,    // only in an SMPTE offset
};

// A sentence, in English: "tactimer-cli: --start 00:01:00;00: " and it.
const char *TimecodeProblemText(TimecodeProblem problem);

// "HH:MM:SS:FF", each field one or two digits, ';' allowed before the
// frames at drop-frame rates (':' is taken there too), then optionally
// ".ss", two digits of hundredths of a frame; spaces or tabs around.
// False with the reason when the text is not a timecode at the rate.
bool ReadTimecodeText(const wchar_t *text, FrameRate rate, Timecode &timecode,
                      TimecodeProblem &problem);

// The time from the start to the nearest moment the clock shows the
// timecode (both valid at the rate), exactly: negative before the start,
// more than half a day of frames before it and at most half a day after.
// The wiring refuses a hit or --at-tc that comes out negative.
MidiTime TimeSinceStart(FrameRate rate, const Timecode &start, const Timecode &timecode);

// MIDI's SMPTE offset (meta event FF 54 05): where the clock stands at tick
// 0, and at which rate.
struct SmpteOffset {
    FrameRate rate;  // 24, 25, 29.97df or 30, from bits 5 and 6 of the hour byte
    Timecode start;
};

// The event's five data bytes: hour (with the rate), minutes, seconds,
// frames, hundredths of a frame. False with the reason when they name no
// timecode; the wiring then says so and starts the clock at 00:00:00:00.
bool ReadSmpteOffset(const std::uint8_t *bytes, SmpteOffset &offset, TimecodeProblem &problem);

// The five bytes of an offset; false at a rate that the event cannot name
// (only 24, 25, 29.97df and 30).
bool SmpteOffsetBytes(const SmpteOffset &offset, std::uint8_t (&bytes)[5]);

#endif
