// The tempo as film click books write it: the quarter note's length in
// whole frames and eighths of a frame, "12-0" at 120 quarter notes a minute
// and 24 frames a second, "15-3" at 93.5.
#ifndef TACTIMER_PICTURE_CLICK_BOOK_H
#define TACTIMER_PICTURE_CLICK_BOOK_H

#include "picture/frame_rate.h"

struct ClickTempo {
    long long eighths;  // the quarter note's length in eighths of a frame: 96 is 12-0
    double bpm;         // the tempo that this click plays, in quarter notes a minute
};

// Up to 2^40 eighths of a frame: 2.6 frames a day at 23.976.
constexpr long long kMaxClickEighths = 1LL << 40;

// The quarter note's frames at the rate, rounded to the nearest eighth
// (halves up), worked out exactly from the tempo's double. False when the
// tempo is not above 0 or the click would round to no eighth or to more
// than kMaxClickEighths: the wiring leaves the click out then.
bool ClickBookTempo(double bpm, FrameRate rate, ClickTempo &click);

// "12-0": the whole frames, '-', the eighths (0 to 7).
constexpr int kClickTextSize = 32;
void FormatClick(const ClickTempo &click, char (&text)[kClickTextSize]);

#endif
