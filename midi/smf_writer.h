// Writes Standard MIDI Files through a bounded buffer: the header, track
// chunks whose length is written as a placeholder and patched once the
// track is complete (memory does not grow with the track), variable-length
// numbers, and the sizes of an RMID wrapper.
#ifndef TACTIMER_MIDI_SMF_WRITER_H
#define TACTIMER_MIDI_SMF_WRITER_H

#include <cstdint>

#include "midi/byte_sink.h"

constexpr long kSmfOutputBufferSize = 1 << 16;
// The most a variable-length number of four bytes holds.
constexpr std::uint32_t kMaxVariableLength = 0x0FFFFFFF;

struct SmfOutput {
    ByteSink sink;
    long long bufferOffset;  // of buffer[0] in the file
    long fill;
    long long length;  // the furthest byte written, which a rewind may leave behind
    bool failed;       // a write failed: the file is no good
    bool tooLong;      // a chunk outgrew its four bytes of length
    unsigned char buffer[kSmfOutputBufferSize];
};

void StartOutput(SmfOutput &output, const ByteSink &sink);

// Where the next byte goes.
inline long long OutputOffset(const SmfOutput &output) {
    return output.bufferOffset + output.fill;
}

void WriteBytes(SmfOutput &output, const unsigned char *bytes, long count);
void WriteBigEndian(SmfOutput &output, std::uint32_t value, int count);
// At most kMaxVariableLength.
void WriteVariableLength(SmfOutput &output, std::uint32_t value);

// A four-byte size (little-endian for RIFF) at the offset, once what it
// counts, from countFrom to where the output stands, is written.
void PatchSize(SmfOutput &output, long long offset, long long countFrom, bool littleEndian);

// Drops what was written from the offset on.
void RewindOutput(SmfOutput &output, long long offset);

// Writes what is left in the buffer and cuts the file where the output
// stands. False when any write failed or a chunk grew too long.
bool FinishOutput(SmfOutput &output);

void WriteHeaderChunk(SmfOutput &output, int format, int tracks, int division);

// An MTrk chunk's tag and a placeholder for its length; returns where the
// length goes, for EndTrackChunk.
long long BeginTrackChunk(SmfOutput &output);
void EndTrackChunk(SmfOutput &output, long long lengthOffset);

#endif
