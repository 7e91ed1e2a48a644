// A walk over a Standard MIDI File that reads it exactly as the reader
// does, leniencies and all, and hands its bytes on in order to one that
// writes the file again: the bytes that stay as they are, and a call for
// each event's delta time and each size field, which the writer writes its
// own way.
#ifndef TACTIMER_MIDI_SMF_WALK_H
#define TACTIMER_MIDI_SMF_WALK_H

#include <cstdint>

#include "midi/byte_source.h"
#include "midi/smf_reader.h"

// The fields that the walk does not copy.
enum class SmfField {
    kRiffSize,      // the RIFF chunk's four bytes of size
    kRiffDataSize,  // the RMID data chunk's four bytes of size
    kRiffDataEnd,   // the data chunk ended; its pad byte, if any, is not copied
    kDivision,      // the header's two bytes of division
    kTrackStart,    // an MTrk chunk's tag and four bytes of length
    kTrackEnd,      // the end of that chunk
};

// An event in the walk's buffer: its delta time runs from start to
// afterDelta; its tick is counted from its track's start.
struct SmfEventAt {
    long start;
    long afterDelta;
    std::uint64_t tick;
};

struct SmfWalker {
    void *context;
    void (*Copy)(void *context, const unsigned char *bytes, long count);
    void (*Field)(void *context, SmfField field);
    // Events, many at a time where channel messages run on: before each,
    // the bytes from `from` (the previous one's afterDelta, for the first
    // what came before it) up to its start are to be copied; its delta time
    // is not. The bytes after the last one's delta time come later. The
    // buffer holds fill bytes.
    void (*Events)(void *context, const unsigned char *buffer, long fill, long from,
                   const SmfEventAt *events, int count);
    // The file ends inside the event begun last, which the reader drops
    // (its delta time counts): what was copied of it after its delta time
    // is no event.
    void (*Cut)(void *context);
};

// As ReadSmf, handing every byte to the walker on the way; the bytes after
// an RMID file's data chunk come too.
bool WalkSmf(const ByteSource &source, SmfSong &song, SmfError &error, const SmfWalker &walker);

#endif
