// A tempo map that lands every hit: each hit is a tick and the time it must
// sound, and from each hit to the next the map holds the tempo that puts
// the next one on its time. A file stores whole microseconds a quarter
// note, so one tempo lands a hit only to within half a microsecond times
// the quarters between the hits; where that leaves it more than 1
// microsecond off, the segment is split into two tempos a microsecond
// apart, the change at the tick that lands the hit closest (within half a
// microsecond over the resolution). On a tie, between two tempos or two
// change ticks, the beat lands before the hit. Each segment starts from
// where the map really stands at the hit before, so no error carries on.
//
// The wiring: StartMeterSong, BuildTempoMap and TickOfPosition to turn
// positions into ticks, then BuildExactMap into the same song; the song is
// then what the MIDI reader would have read of such a file: BuildTempoMap
// and TimeOfTick time it, and the MIDI writer can write it.
#ifndef TACTIMER_PICTURE_EXACT_MAP_H
#define TACTIMER_PICTURE_EXACT_MAP_H

#include <cstdint>

#include "midi/smf_song.h"
#include "midi/tempo_map.h"
#include "picture/cue_problem.h"

// Empties the song and gives it the resolution and one time signature at
// tick 0 (N/2^denominatorPower): no tempos yet, format 0, one track. False
// with kResolution, kTimeSignature or kOutOfMemory.
bool StartMeterSong(int resolution, int numerator, int denominatorPower, SmfSong &song,
                    CueProblem &problem);

struct MapHit {
    std::uint64_t tick;  // at most 2^62, as TickOfPosition gives
    MidiTime time;       // microseconds from tick 0
};

// Fills the song that StartMeterSong made with the tempos (from tick 0; a
// tempo only where it changes) and ends it at the last hit. errors[i], one
// for each hit, is its time asked for less the time the map plays its tick
// at, in microseconds in lowest terms: negative when the hit comes before
// the beat. A first hit after tick 0 gets a segment from tick 0 at time 0.
// False with the refusal: kTempoNotStorable names the segment's two hits
// (first -1 for tick 0), the order problems the hit and the one before it.
bool BuildExactMap(const MapHit *hits, int count, SmfSong &song, MidiTime *errors, CueError &error);

#endif
