// Reading the ticks and times that --at, --at-ms, --table-at and
// --tempo-for ask for: whole numbers, and decimals of any length read
// exactly.
#ifndef TACTIMER_REQUEST_SONG_TIME_TEXT_H
#define TACTIMER_REQUEST_SONG_TIME_TEXT_H

#include <cstdint>

#include "midi/tempo_map.h"
#include "text/text_sink.h"

constexpr std::uint64_t kMaxSongTick = std::uint64_t(1) << 62;

// A whole number from 0 to 2^62, blanks around it allowed; length is the
// text's.
bool ReadTickText(const wchar_t *text, int length, std::uint64_t &tick);

// A tick, or a place in bars and beats as musicians name it and the tempo
// map prints it: BAR:BEAT:TICK, or BAR:BEAT for the beat's start.
struct SongPlace {
    bool isPosition;
    std::uint64_t tick;
    BarPosition position;
};

// A tick as ReadTickText reads it, or a position as ReadPositionText does;
// whether the position exists is for TickOfPlace to say.
bool ReadSongPlace(const wchar_t *text, int length, SongPlace &place);

// The tick that the place names in the map; false with the reason when a
// position names none.
bool TickOfPlace(const TempoMap &map, const SongPlace &place, std::uint64_t &tick,
                 PositionProblem &problem);

// A decimal as typed: digits, a point and more digits, as many as the text
// holds (a list's 999 characters at most), leading zeros left out. The
// digits stay in the text they were read from.
struct DecimalText {
    const wchar_t *whole;
    int wholeDigits;
    const wchar_t *fraction;
    int fractionDigits;
};

// Digits with an optional point and fraction ("2500", "836029.4166666666",
// ".5", "5."), blanks around them allowed: nothing else.
bool ReadDecimalText(const wchar_t *text, int length, DecimalText &decimal);

// floor(milliseconds x 1000 x multiplier), worked out exactly from the
// digits however many there are; false when it passes 2^110, beyond the
// time of any tick. multiplier is at most 2^32.
bool ScaledMicroseconds(const DecimalText &milliseconds, MidiInteger multiplier,
                        MidiInteger &scaled);

// The nearest double, from all the digits.
double DecimalToDouble(const DecimalText &decimal);

// The decimal as the shortest text that is exactly it: no leading zeros but
// one before the point, no trailing zeros after it ("0.5", "2500").
void WriteDecimal(const TextSink &out, const DecimalText &decimal);

#endif
