// Exact time in a song: the time of any tick is the sum, over the tempo
// segments before it, of the segment's ticks times its microseconds a
// quarter note, over the division. It is kept as an integer fraction of
// microseconds and turned into milliseconds once, correctly rounded, so no
// error builds up however many tempo changes come before. Bars and beats
// follow the time signatures.
#ifndef TACTIMER_MIDI_TEMPO_MAP_H
#define TACTIMER_MIDI_TEMPO_MAP_H

#include <cstdint>

#include "midi/growing_array.h"
#include "midi/smf_song.h"

typedef __int128 MidiInteger;

// Microseconds: numerator / denominator, the denominator positive.
struct MidiTime {
    MidiInteger numerator;
    MidiInteger denominator;
};

struct BarSegment {
    std::uint64_t tick;
    long long bar;  // the number of the bar that starts at the tick
    int numerator;
    int denominatorPower;
};

// Made once and built into again and again, as SmfSong is. Of each tempo
// change it keeps only the exact time: the tick and the tempo stay in the
// song's own list, which the map reads for as long as it is used.
struct TempoMap {
    SmfDivision division;
    const GrowingArray<SmfTempo> *tempos;  // the song's
    // The time at each change times the division, one for each of them.
    GrowingArray<MidiInteger> quarterMicrosecondsBefore;
    GrowingArray<BarSegment> bars;  // 4/4 from tick 0 unless the song says otherwise
};

// False when it does not fit in memory.
bool BuildTempoMap(const SmfSong &song, TempoMap &map);

// The time of the song's tempo change at index, without a search.
MidiTime TimeOfTempoChange(const TempoMap &map, long long index);

MidiTime TimeOfTick(const TempoMap &map, std::uint64_t tick);

// The microseconds a quarter note of the tempo in force at the tick: the
// last change at or before it.
std::uint32_t TempoAtTick(const TempoMap &map, std::uint64_t tick);

// The last tick that starts at or before the time (not negative).
std::uint64_t TickAtTime(const TempoMap &map, const MidiTime &time);

struct BarPosition {
    bool known;  // a division in SMPTE frames has no bars
    long long bar;
    long long beat;
    long long beatTick;
};

// bar:beat:tick, counted from 1:1:0. A time signature in the middle of a
// bar ends that bar and starts the next.
BarPosition PositionOfTick(const TempoMap &map, std::uint64_t tick);

// Why a bar:beat:tick names no tick of the map.
enum class PositionProblem {
    kNone,
    kNoBars,           // the division counts SMPTE frames
    kBarZero,          // bars count from 1
    kBeatZero,         // beats count from 1
    kBeatPastBar,      // more beats than the time signature's numerator
    kBeatPastCutBar,   // a time signature in the middle of the bar ends it before the beat
    kTickPastBeat,     // beatTick is not shorter than the beat
    kTickPastCutBar,   // a time signature in the middle of the bar ends it before the tick
    kTickBeyondLimit,  // past 2^62, the last tick a file can reach
};

// The inverse of PositionOfTick: the tick whose position is bar:beat:tick
// (position.known is not read). False, with the reason, when none is: the
// wiring prints "no such position" and PositionProblemText.
bool TickOfPosition(const TempoMap &map, const BarPosition &position, std::uint64_t &tick,
                    PositionProblem &problem);

// A sentence, in English, of why the position does not exist.
const char *PositionProblemText(PositionProblem problem);

// Milliseconds with three decimals, rounded to the nearest microsecond
// (ties to even): "1234.567".
constexpr int kMillisecondsTextSize = 48;
void FormatMilliseconds(const MidiTime &time, char (&text)[kMillisecondsTextSize]);

// The seconds of one tick of an SMPTE division, as a fraction: 29 stands
// for 30 drop-frame timecode, whose frames pass at 30000/1001 a second.
MidiTime SmpteTickMicroseconds(const SmfDivision &division);

#endif
