// The buffered writer: a patch or a rewind inside the buffer changes it in
// place; one before it goes to the sink at its offset.
#include "midi/smf_writer.h"

#include <cstring>

namespace {

void WriteOut(SmfOutput &output, long long offset, const unsigned char *bytes, long count) {
    if (count > 0 && !output.failed &&
        !output.sink.WriteAt(output.sink.context, offset, bytes, count)) {
        output.failed = true;
    }
}

void Flush(SmfOutput &output) {
    WriteOut(output, output.bufferOffset, output.buffer, output.fill);
    output.bufferOffset += output.fill;
    output.fill = 0;
}

}  // namespace

void StartOutput(SmfOutput &output, const ByteSink &sink) {
    output.sink = sink;
    output.bufferOffset = 0;
    output.fill = 0;
    output.length = 0;
    output.failed = false;
    output.tooLong = false;
}

void WriteBytes(SmfOutput &output, const unsigned char *bytes, long count) {
    while (count > 0) {
        if (output.fill == kSmfOutputBufferSize) {
            Flush(output);
        }
        const long room = kSmfOutputBufferSize - output.fill;
        const long taken = count < room ? count : room;
        std::memcpy(output.buffer + output.fill, bytes, static_cast<size_t>(taken));
        output.fill += taken;
        bytes += taken;
        count -= taken;
    }
}

void WriteBigEndian(SmfOutput &output, std::uint32_t value, int count) {
    unsigned char bytes[4];
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * (count - 1 - i)));
    }
    WriteBytes(output, bytes, count);
}

void WriteVariableLength(SmfOutput &output, std::uint32_t value) {
    unsigned char bytes[4];
    int count = 4;
    bytes[--count] = static_cast<unsigned char>(value & 0x7F);
    for (value >>= 7; value != 0 && count > 0; value >>= 7) {
        bytes[--count] = static_cast<unsigned char>(0x80 | (value & 0x7F));
    }
    WriteBytes(output, bytes + count, 4 - count);
}

void PatchSize(SmfOutput &output, long long offset, long long countFrom, bool littleEndian) {
    const long long size = OutputOffset(output) - countFrom;
    if (size > 0xFFFFFFFFLL) {
        output.tooLong = true;
        return;
    }
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[littleEndian ? i : 3 - i] = static_cast<unsigned char>(size >> (8 * i));
    }
    // The placeholder may straddle the buffer's start.
    const long long written = output.bufferOffset - offset;
    const long inFile = static_cast<long>(written < 0 ? 0 : written < 4 ? written : 4);
    WriteOut(output, offset, bytes, inFile);
    if (inFile < 4) {
        std::memcpy(output.buffer + (offset + inFile - output.bufferOffset), bytes + inFile,
                    static_cast<size_t>(4 - inFile));
    }
}

void RewindOutput(SmfOutput &output, long long offset) {
    if (OutputOffset(output) > output.length) {
        output.length = OutputOffset(output);
    }
    if (offset >= output.bufferOffset) {
        output.fill = static_cast<long>(offset - output.bufferOffset);
    } else {
        Flush(output);
        output.bufferOffset = offset;
    }
}

bool FinishOutput(SmfOutput &output) {
    Flush(output);
    if (!output.failed && output.length > output.bufferOffset &&
        !output.sink.SetLength(output.sink.context, output.bufferOffset)) {
        output.failed = true;
    }
    return !output.failed && !output.tooLong;
}

void WriteHeaderChunk(SmfOutput &output, int format, int tracks, int division) {
    WriteBytes(output, reinterpret_cast<const unsigned char *>("MThd\0\0\0\6"), 8);
    WriteBigEndian(output, static_cast<std::uint32_t>(format), 2);
    WriteBigEndian(output, static_cast<std::uint32_t>(tracks), 2);
    WriteBigEndian(output, static_cast<std::uint32_t>(division), 2);
}

long long BeginTrackChunk(SmfOutput &output) {
    WriteBytes(output, reinterpret_cast<const unsigned char *>("MTrk\0\0\0\0"), 8);
    return OutputOffset(output) - 4;
}

void EndTrackChunk(SmfOutput &output, long long lengthOffset) {
    PatchSize(output, lengthOffset, lengthOffset + 4, false);
}
