// Writes Standard MIDI Files through a bounded buffer: the header, track
// chunks whose length is written as a placeholder and patched once the
// track is complete (memory does not grow with the track), variable-length
// numbers, and the sizes of an RMID wrapper.
#ifndef TACTIMER_MIDI_SMF_WRITER_H
#define TACTIMER_MIDI_SMF_WRITER_H

#include <cstdint>
#include <cstring>

#include "midi/byte_sink.h"

constexpr long kSmfOutputBufferSize = 1 << 16;
// The most a variable-length number of four bytes holds.
constexpr std::uint32_t kMaxVariableLength = 0x0FFFFFFF;

struct SmfOutput {
    ByteSink sink;
    long long bufferOffset;  // of buffer[0] in the file
    long fill;
    long long length;  // the furthest end before a rewind, which may leave bytes behind
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

// The bytes of the event before (of which readable may be read), then the
// next one's delta time (at most kMaxVariableLength). Most events are a few
// bytes and a delta time of one or two, written straight into the buffer
// without a branch on their lengths, which a song's notes make unforeseeable.
inline void WriteEvent(SmfOutput &output, const unsigned char *bytes, long count, long readable,
                       std::uint32_t delta) {
    const long fill = output.fill;
    if (kSmfOutputBufferSize - fill < 8 || count > 4 || readable < 4 || delta >= 0x4000) {
        WriteBytes(output, bytes, count);
        WriteVariableLength(output, delta);
        return;
    }
    unsigned char *const out = output.buffer + fill;
    std::memcpy(out, bytes, 4);
    // 1 from 0x80 on, below 0x4000; the first byte chosen by a mask.
    const std::uint32_t twoBytes = (delta + 0x3F80) >> 14;
    const std::uint32_t high = 0x80 | (delta >> 7);
    const std::uint32_t low = delta & 0x7F;
    out[count] = static_cast<unsigned char>(low ^ ((high ^ low) & (0 - twoBytes)));
    out[count + 1] = static_cast<unsigned char>(low);
    output.fill = fill + count + 1 + static_cast<long>(twoBytes);
}

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
