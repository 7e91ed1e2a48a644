// A whole song at another resolution, streamed: every event of every track
// moves from tick t to t × to / from (see tick_scale.h), and everything
// else stays as it was: each event's bytes, running status as the file
// used it, the order of events, unknown chunks, an RMID wrapper, the
// format. Only the division, the delta times and the sizes change.
#ifndef TACTIMER_MIDI_SMF_RETICK_H
#define TACTIMER_MIDI_SMF_RETICK_H

#include "midi/byte_source.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi/tick_scale.h"

constexpr int kMaxResolution = 0x7FFF;

enum class RetickProblem {
    kNone,
    kRead,          // the file could not be read: see the read error
    kSmpte,         // its division is in SMPTE frames, not ticks a quarter note
    kTickTooLarge,  // a new tick beyond 2^62
    kDeltaTooLong,  // a new delta time beyond four bytes
    kOutOfMemory,   // the tempo maps
    kChunkTooLong,  // a chunk outgrew its four bytes of length
    kCannotWrite,   // the output could not be written
};

struct RetickError {
    RetickProblem problem;
    SmfError read;
};

// song: the same file as ReadSmf read it first. With output null, measures
// without writing; otherwise writes the whole file to it. False when the
// song cannot be moved or written: nothing written is any good then.
bool RetickSmf(const ByteSource &source, const SmfSong &song, int to, SmfOutput *output,
               RetickReport &report, RetickError &error);

const char *RetickProblemText(RetickProblem problem);

#endif
