// Reading the ticks and milliseconds that --at, --at-ms and --table-at ask
// for: whole numbers and decimals, read exactly.
#ifndef TACTIMER_REQUEST_SONG_TIME_TEXT_H
#define TACTIMER_REQUEST_SONG_TIME_TEXT_H

#include <cstdint>

#include "midi/tempo_map.h"

// A whole number from 0 to 2^62, white space around it allowed.
bool ReadTickText(const wchar_t *text, std::uint64_t &tick);

// Milliseconds from 0, with at most 18 digits before the point and 9 after
// it, as exact microseconds.
bool ReadMillisecondsText(const wchar_t *text, MidiTime &microseconds);

#endif
