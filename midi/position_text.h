// Reading a place in a song as musicians name it: bar:beat:tick, or
// bar:beat for the beat's start, as the tempo map prints positions.
#ifndef TACTIMER_MIDI_POSITION_TEXT_H
#define TACTIMER_MIDI_POSITION_TEXT_H

#include "midi/tempo_map.h"

// "BAR:BEAT:TICK" or "BAR:BEAT" (the tick 0): decimal digits, at most 18 in
// each number, spaces or tabs around the whole allowed. False when the text
// is not one; whether the position exists is TickOfPosition's to say. A
// text without a colon is a tick, which ReadTickText reads.
bool ReadPositionText(const wchar_t *text, BarPosition &position);

#endif
