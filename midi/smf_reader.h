// Reads a Standard MIDI File, or the RIFF RMID file that wraps one, through
// a bounded buffer: memory grows with the tempo map, never with the file.
// Formats 0 and 1; format 2's independent sequences are refused.
#ifndef TACTIMER_MIDI_SMF_READER_H
#define TACTIMER_MIDI_SMF_READER_H

#include "midi/byte_source.h"
#include "midi/smf_song.h"

enum class SmfProblem {
    kNone,
    kUnreadable,
    kNotMidi,
    kHeaderTooShort,
    kHeaderPastFile,
    kUnknownFormat,
    kIndependentSequences,
    kDivisionZero,
    kUnknownFrameRate,
    kNoTracks,
    kVariableLengthTooLong,
    kNoRunningStatus,
    kNotAFileEvent,
    kEventPastChunk,
    kTempoLength,
    kTempoZero,
    kTimeSignatureLength,
    kTimeSignatureValue,
    kTicksTooMany,
    kRiffWithoutData,
    kOutOfMemory,
};

struct SmfError {
    SmfProblem problem;
    long long offset;  // the byte of the file where it was found
};

// True when the file could be read, perhaps leniently (song.warnings say
// where); otherwise error says what is wrong and where.
bool ReadSmf(const ByteSource &source, SmfSong &song, SmfError &error);

// A sentence, in English, of what is wrong or what was let pass.
const char *SmfProblemText(SmfProblem problem);
const char *SmfLeniencyText(SmfLeniency leniency);

#endif
