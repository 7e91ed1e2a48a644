// Tempo-map files: a format 1 Standard MIDI File of one track, which any
// DAW's "import tempo map" reads: the track's name, the SMPTE offset when
// there is one, time signatures, tempos and markers, and the end of track
// at the song's end. Made from any map: a song's conductor, a map read
// from text, a fitted one.
#ifndef TACTIMER_MIDI_TEMPO_MAP_FILE_H
#define TACTIMER_MIDI_TEMPO_MAP_FILE_H

#include <cstdint>

#include "midi/growing_array.h"
#include "midi/smf_song.h"
#include "midi/smf_writer.h"
#include "midi/tick_scale.h"

struct SmfMarker {
    std::uint64_t tick;
    char name[kMaxNameBytes + 1];  // its bytes, UTF-8 as we write them
};

// Made once and filled again and again, as SmfSong is.
struct TempoMapFile {
    int resolution;
    // In tick order, the first at tick 0; implied ones are not written.
    GrowingArray<SmfTempo> tempos;
    GrowingArray<SmfTimeSignature> timeSignatures;  // in tick order
    GrowingArray<SmfMarker> markers;                // in tick order
    std::uint64_t endTick;
    char trackName[kMaxNameBytes + 1];
    SmfSmpteOffset smpteOffset;
};

// The conductor of a song: its tempos and time signatures from every
// track, its end, its name and SMPTE offset. False when it does not fit in
// memory.
bool TempoMapOfSong(const SmfSong &song, TempoMapFile &map);

// Moves every change, marker and the end to another resolution; the report
// says how far. False when the tempo maps do not fit in memory.
bool RetickTempoMap(TempoMapFile &map, int to, RetickReport &report);

// False when a delta time or a tick does not fit in a file (the map is
// refused before any byte is written) or the output fails.
bool FitsInFile(const TempoMapFile &map);
bool WriteTempoMapFile(const TempoMapFile &map, SmfOutput &output);

#endif
