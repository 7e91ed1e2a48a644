// The frame rates of picture: film, PAL and NTSC video and their doubles.
// The fractional rates run at N x 1000/1001 frames a second exactly; the
// drop-frame ones count as 29.97 and 59.94 do but skip frame numbers so
// that their clock keeps near real time.
#ifndef TACTIMER_PICTURE_FRAME_RATE_H
#define TACTIMER_PICTURE_FRAME_RATE_H

#include "midi/tempo_map.h"

enum class FrameRate {
    k23_976,
    k24,
    k25,
    k29_97,
    k29_97Drop,
    k30,
    k47_952,
    k48,
    k50,
    k59_94,
    k59_94Drop,
    k60,
};

constexpr int kFrameRateCount = 12;

// In FrameRate's order, for the wiring's help text and its loops.
extern const FrameRate kFrameRates[kFrameRateCount];

struct FrameRateFacts {
    const char *name;       // "23.976", "29.97df"
    int framesCounted;      // a second's frame numbers: 24, 25, 30, 48, 50 or 60
    bool slowed;            // running at framesCounted x 1000/1001 a second
    int droppedEachMinute;  // frame numbers skipped: 0, 2 or 4
};

const FrameRateFacts &FactsOf(FrameRate rate);

// Exactly one of the names above ("29.97DF" too); false for anything else.
bool ReadFrameRate(const wchar_t *text, FrameRate &rate);

// One frame's length in microseconds: 1000000/24, or 1001000/30 at 29.97.
MidiTime FrameMicroseconds(FrameRate rate);

// How many frames a length lasts, for "%.2f": a note's milliseconds, or an
// exact time in microseconds (a fit's error).
double FramesOfMilliseconds(double milliseconds, FrameRate rate);
double FramesOfTime(const MidiTime &microseconds, FrameRate rate);

#endif
