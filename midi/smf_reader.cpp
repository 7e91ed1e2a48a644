// The Standard MIDI File reader. Every byte comes through one cursor over a
// bounded buffer, which also knows where the chunk being read ends, so a
// length read from the file can never take the reader past its chunk.
#include "midi/smf_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr long kBufferSize = 1 << 16;
constexpr long long kNoLimit = LLONG_MAX;
// Far beyond any song, and small enough that ticks times a tempo fit 128 bits.
constexpr std::uint64_t kMaxTick = std::uint64_t(1) << 62;
constexpr int kMaxDenominatorPower = 15;

// What Next answers instead of a byte.
constexpr int kEndOfChunk = -1;
constexpr int kEndOfFile = -2;
constexpr int kUnreadable = -3;
constexpr int kTooLong = -4;

struct Cursor {
    const ByteSource *source;
    long long bufferOffset;  // of buffer[0] in the file
    long fill;               // bytes in the buffer
    long position;           // of the next byte in the buffer
    long limit;              // where the buffer's bytes of the chunk end
    long long chunkEnd;      // in the file
    bool fileEnded;
    bool unreadable;
    unsigned char buffer[kBufferSize];
};

long long Offset(const Cursor &cursor) {
    return cursor.bufferOffset + cursor.position;
}

void SetLimit(Cursor &cursor) {
    const long long inBuffer = cursor.chunkEnd - cursor.bufferOffset;
    cursor.limit =
        inBuffer < cursor.fill ? static_cast<long>(std::max(inBuffer, 0LL)) : cursor.fill;
}

void SetChunkEnd(Cursor &cursor, long long end) {
    cursor.chunkEnd = end;
    SetLimit(cursor);
}

// Refills the buffer, or tells why there is no next byte.
int SlowNext(Cursor &cursor) {
    if (Offset(cursor) >= cursor.chunkEnd) {
        return kEndOfChunk;
    }
    if (!cursor.fileEnded) {
        cursor.bufferOffset += cursor.fill;
        cursor.position = 0;
        const long read = cursor.source->Read(cursor.source->context, cursor.buffer, kBufferSize);
        cursor.fill = read > 0 ? read : 0;
        cursor.fileEnded = read <= 0;
        cursor.unreadable = read < 0;
        SetLimit(cursor);
        if (read > 0) {
            return cursor.buffer[cursor.position++];
        }
    }
    return cursor.unreadable ? kUnreadable : kEndOfFile;
}

inline int Next(Cursor &cursor) {
    return cursor.position < cursor.limit ? cursor.buffer[cursor.position++] : SlowNext(cursor);
}

// Passes over count bytes; 0, or why it could not.
int Skip(Cursor &cursor, long long count) {
    while (count > 0) {
        const long available = cursor.limit - cursor.position;
        if (available > 0) {
            const long taken = static_cast<long>(std::min<long long>(available, count));
            cursor.position += taken;
            count -= taken;
        } else {
            const int byte = SlowNext(cursor);
            if (byte < 0) {
                return byte;
            }
            --count;
        }
    }
    return 0;
}

// A big-endian (or, for RIFF, little-endian) number of count bytes.
int ReadNumber(Cursor &cursor, int count, bool littleEndian, std::uint32_t &value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        const int byte = Next(cursor);
        if (byte < 0) {
            return byte;
        }
        value = littleEndian ? value | (static_cast<std::uint32_t>(byte) << (8 * i))
                             : (value << 8) | static_cast<std::uint32_t>(byte);
    }
    return 0;
}

int ReadTag(Cursor &cursor, char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) {
        const int byte = Next(cursor);
        if (byte < 0) {
            return byte;
        }
        tag[i] = static_cast<char>(byte);
    }
    tag[4] = '\0';
    return 0;
}

// At most four bytes, seven bits each.
int ReadVariableLength(Cursor &cursor, std::uint32_t &value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const int byte = Next(cursor);
        if (byte < 0) {
            return byte;
        }
        value = (value << 7) | static_cast<std::uint32_t>(byte & 0x7F);
        if (byte < 0x80) {
            return 0;
        }
    }
    return kTooLong;
}

struct Reader {
    Cursor cursor;
    SmfSong *song;
    SmfError *error;
    long long headerOffset;  // of MThd, after an RMID file's own header
    bool nameFound;
};

// Whatever the reader was reading when the file could not be read, that is
// what is wrong.
bool Fail(Reader &reader, SmfProblem problem, long long offset) {
    *reader.error = reader.cursor.unreadable
                        ? SmfError{SmfProblem::kUnreadable, Offset(reader.cursor)}
                        : SmfError{problem, offset};
    return false;
}

void Warn(Reader &reader, SmfLeniency leniency, long long offset, int track) {
    SmfSong &song = *reader.song;
    if (song.warningCount < kMaxSmfWarnings) {
        song.warnings[song.warningCount++] = {leniency, offset, track};
    } else {
        ++song.moreWarnings;
    }
}

// The data bytes that follow a channel message's status byte.
int DataBytesOf(int status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// How a track goes on after Next or a read answered with end instead of a
// byte inside an event.
enum class TrackFlow { kGoOn, kEnds, kFails };

struct TrackState {
    int track;
    long long eventOffset;
    // The chunk's claimed end lies beyond the file or the RMID data: its end
    // is the file's.
    bool cutShort;
};

TrackFlow EndInsideEvent(Reader &reader, const TrackState &state, int code) {
    if (code == kUnreadable) {
        Fail(reader, SmfProblem::kUnreadable, Offset(reader.cursor));
        return TrackFlow::kFails;
    }
    if (code == kEndOfFile || state.cutShort) {
        Warn(reader, SmfLeniency::kChunkOverrunsFile, state.eventOffset, state.track);
        return TrackFlow::kEnds;
    }
    Fail(reader,
         code == kTooLong ? SmfProblem::kVariableLengthTooLong : SmfProblem::kEventPastChunk,
         state.eventOffset);
    return TrackFlow::kFails;
}

// Reads a meta event's data after its type; sets ended at end of track.
TrackFlow ReadMeta(Reader &reader, TrackState &state, std::uint64_t tick, bool &ended) {
    Cursor &cursor = reader.cursor;
    const int type = Next(cursor);
    if (type < 0) {
        return EndInsideEvent(reader, state, type);
    }
    std::uint32_t length = 0;
    int code = ReadVariableLength(cursor, length);
    if (code < 0) {
        return EndInsideEvent(reader, state, code);
    }
    if (type == 0x51) {
        if (length != 3) {
            Fail(reader, SmfProblem::kTempoLength, state.eventOffset);
            return TrackFlow::kFails;
        }
        std::uint32_t tempo = 0;
        code = ReadNumber(cursor, 3, false, tempo);
        if (code < 0) {
            return EndInsideEvent(reader, state, code);
        }
        if (tempo == 0) {
            Fail(reader, SmfProblem::kTempoZero, state.eventOffset);
            return TrackFlow::kFails;
        }
        if (!Append(reader.song->tempos, {tick, tempo, false})) {
            Fail(reader, SmfProblem::kOutOfMemory, state.eventOffset);
            return TrackFlow::kFails;
        }
        return TrackFlow::kGoOn;
    }
    if (type == 0x58) {
        if (length != 4) {
            Fail(reader, SmfProblem::kTimeSignatureLength, state.eventOffset);
            return TrackFlow::kFails;
        }
        std::uint32_t bytes = 0;
        code = ReadNumber(cursor, 4, false, bytes);
        if (code < 0) {
            return EndInsideEvent(reader, state, code);
        }
        const int numerator = static_cast<int>(bytes >> 24);
        const int power = static_cast<int>((bytes >> 16) & 0xFF);
        if (numerator == 0 || power > kMaxDenominatorPower) {
            Fail(reader, SmfProblem::kTimeSignatureValue, state.eventOffset);
            return TrackFlow::kFails;
        }
        if (!Append(reader.song->timeSignatures, {tick, numerator, power})) {
            Fail(reader, SmfProblem::kOutOfMemory, state.eventOffset);
            return TrackFlow::kFails;
        }
        return TrackFlow::kGoOn;
    }
    SmfSmpteOffset &offset = reader.song->smpteOffset;
    if (type == 0x54 && length == 5 && state.track == 1 && tick == 0 && !offset.present) {
        unsigned char bytes[5];
        for (unsigned char &byte : bytes) {
            const int read = Next(cursor);
            if (read < 0) {
                return EndInsideEvent(reader, state, read);
            }
            byte = static_cast<unsigned char>(read);
        }
        offset.present = true;
        std::memcpy(offset.bytes, bytes, sizeof bytes);
        return TrackFlow::kGoOn;
    }
    if (type == 0x03 && !reader.nameFound) {
        reader.nameFound = true;
        char *name = reader.song->name;
        for (std::uint32_t i = 0; i < length; ++i) {
            const int byte = Next(cursor);
            if (byte < 0) {
                return EndInsideEvent(reader, state, byte);
            }
            if (i < kMaxNameBytes) {
                name[i] = static_cast<char>(byte);
                name[i + 1] = '\0';
            }
        }
        return TrackFlow::kGoOn;
    }
    ended = type == 0x2F;
    code = Skip(cursor, length);
    return code < 0 ? EndInsideEvent(reader, state, code) : TrackFlow::kGoOn;
}

// The bytes a channel message takes at most: four of delta time, a status
// and two data bytes.
constexpr long kLongestChannelMessage = 7;

// Passes over the channel messages that stand whole in the buffer, the bulk
// of a song, without the checks of each byte that the other events need.
// Stops before any other event, a running status that needs a word, or the
// last bytes of the buffer, which the careful way reads.
void SkipChannelMessages(Cursor &cursor, std::uint64_t &trackTick, int &trackStatus,
                         bool &statusCancelled) {
    const unsigned char *next = cursor.buffer + cursor.position;
    const unsigned char *const end = cursor.buffer + cursor.limit;
    // Kept in registers; a running status after a meta event is for the
    // careful way, which says so.
    std::uint64_t tick = trackTick;
    int status = statusCancelled ? 0 : trackStatus;
    long dataBytes = status != 0 ? DataBytesOf(status) : 0;
    while (end - next >= kLongestChannelMessage) {
        const unsigned char *const event = next;
        std::uint32_t delta = *next++;
        if (delta >= 0x80) {
            delta &= 0x7F;
            std::uint32_t byte = 0x80;
            while (byte >= 0x80 && next - event < 4) {
                byte = *next++;
                delta = (delta << 7) | (byte & 0x7F);
            }
            if (byte >= 0x80) {
                next = event;
                break;
            }
        }
        const int byte = *next;
        if (byte >= 0x80) {
            if (byte >= 0xF0) {
                next = event;
                break;
            }
            status = byte;
            dataBytes = DataBytesOf(status);
            ++next;
        } else if (status == 0) {
            next = event;
            break;
        }
        if (tick + delta > kMaxTick) {
            next = event;
            break;
        }
        // A data byte in running status is the first of the message's.
        next += dataBytes;
        tick += delta;
    }
    if (status != 0) {
        trackStatus = status;
        statusCancelled = false;
    }
    trackTick = tick;
    cursor.position = static_cast<long>(next - cursor.buffer);
}

// One track chunk, up to its end of track or the end of its chunk. Returns
// false on an error.
bool ReadTrack(Reader &reader, TrackState &state, long long chunkEnd) {
    Cursor &cursor = reader.cursor;
    SmfSong &song = *reader.song;
    std::uint64_t tick = 0;
    int status = 0;
    // A meta or sysex event came after the last channel message.
    bool statusCancelled = false;
    bool warnedOfStatus = false;
    bool ended = false;
    while (!ended) {
        SkipChannelMessages(cursor, tick, status, statusCancelled);
        state.eventOffset = Offset(cursor);
        std::uint32_t delta = 0;
        int code = ReadVariableLength(cursor, delta);
        if (code == kEndOfChunk && Offset(cursor) == state.eventOffset && !state.cutShort) {
            Warn(reader, SmfLeniency::kNoEndOfTrack, state.eventOffset, state.track);
            break;
        }
        if (code < 0) {
            const TrackFlow flow = EndInsideEvent(reader, state, code);
            if (flow == TrackFlow::kFails) {
                return false;
            }
            break;
        }
        tick += delta;
        if (tick > kMaxTick) {
            return Fail(reader, SmfProblem::kTicksTooMany, state.eventOffset);
        }
        const int byte = Next(cursor);
        if (byte < 0) {
            if (EndInsideEvent(reader, state, byte) == TrackFlow::kFails) {
                return false;
            }
            break;
        }
        TrackFlow flow = TrackFlow::kGoOn;
        if (byte < 0xF0) {
            int dataBytes = 0;
            if (byte >= 0x80) {
                status = byte;
                statusCancelled = false;
                dataBytes = DataBytesOf(status);
            } else if (status == 0) {
                return Fail(reader, SmfProblem::kNoRunningStatus, Offset(cursor) - 1);
            } else {
                // As the trusted readers do, a meta or sysex event does not
                // end the running status that real files rely on.
                if (statusCancelled && !warnedOfStatus) {
                    Warn(reader, SmfLeniency::kRunningStatusAfterMeta, state.eventOffset,
                         state.track);
                    warnedOfStatus = true;
                }
                statusCancelled = false;
                dataBytes = DataBytesOf(status) - 1;
            }
            for (; dataBytes > 0 && flow == TrackFlow::kGoOn; --dataBytes) {
                const int data = Next(cursor);
                if (data < 0) {
                    flow = EndInsideEvent(reader, state, data);
                }
            }
        } else if (byte == 0xFF) {
            flow = ReadMeta(reader, state, tick, ended);
            statusCancelled = status != 0;
        } else if (byte == 0xF0 || byte == 0xF7) {
            std::uint32_t length = 0;
            code = ReadVariableLength(cursor, length);
            if (code == 0) {
                code = Skip(cursor, length);
            }
            flow = code < 0 ? EndInsideEvent(reader, state, code) : TrackFlow::kGoOn;
            statusCancelled = status != 0;
        } else {
            return Fail(reader, SmfProblem::kNotAFileEvent, Offset(cursor) - 1);
        }
        if (flow == TrackFlow::kFails) {
            return false;
        }
        if (flow == TrackFlow::kEnds) {
            break;
        }
    }
    song.endTick = std::max(song.endTick, tick);
    // Whatever stands after the end of track is no part of it.
    if (ended) {
        const int code = Skip(cursor, chunkEnd - Offset(cursor));
        if (code == kUnreadable) {
            return Fail(reader, SmfProblem::kUnreadable, Offset(cursor));
        }
        if (code == kEndOfFile || (code == kEndOfChunk && state.cutShort)) {
            Warn(reader, SmfLeniency::kChunkOverrunsFile, state.eventOffset, state.track);
        }
    }
    return true;
}

// An RMID file's "data" chunk: where the Standard MIDI File in it ends.
bool FindRiffData(Reader &reader, long long &dataEnd) {
    Cursor &cursor = reader.cursor;
    char tag[5];
    std::uint32_t size = 0;
    if (ReadNumber(cursor, 4, true, size) < 0 || ReadTag(cursor, tag) < 0 ||
        std::strcmp(tag, "RMID") != 0) {
        return Fail(reader, SmfProblem::kNotMidi, 0);
    }
    for (;;) {
        const long long chunkOffset = Offset(cursor);
        if (ReadTag(cursor, tag) < 0 || ReadNumber(cursor, 4, true, size) < 0) {
            return Fail(reader, SmfProblem::kRiffWithoutData, chunkOffset);
        }
        if (std::strcmp(tag, "data") == 0) {
            dataEnd = Offset(cursor) + size;
            return true;
        }
        // RIFF chunks are padded to an even length.
        if (Skip(cursor, size + (size & 1)) < 0) {
            return Fail(reader, SmfProblem::kRiffWithoutData, chunkOffset);
        }
    }
}

bool ReadHeader(Reader &reader) {
    Cursor &cursor = reader.cursor;
    SmfSong &song = *reader.song;
    char tag[5];
    if (ReadTag(cursor, tag) < 0) {
        return Fail(reader, SmfProblem::kNotMidi, 0);
    }
    long long outerEnd = kNoLimit;
    if (std::strcmp(tag, "RIFF") == 0) {
        if (!FindRiffData(reader, outerEnd)) {
            return false;
        }
        if (ReadTag(cursor, tag) < 0) {
            return Fail(reader, SmfProblem::kNotMidi, Offset(cursor));
        }
    }
    const long long headerOffset = Offset(cursor) - 4;
    reader.headerOffset = headerOffset;
    if (std::strcmp(tag, "MThd") != 0) {
        return Fail(reader, SmfProblem::kNotMidi, headerOffset);
    }
    std::uint32_t length = 0;
    std::uint32_t format = 0;
    std::uint32_t tracks = 0;
    std::uint32_t division = 0;
    if (ReadNumber(cursor, 4, false, length) < 0 || length < 6 ||
        ReadNumber(cursor, 2, false, format) < 0 || ReadNumber(cursor, 2, false, tracks) < 0 ||
        ReadNumber(cursor, 2, false, division) < 0) {
        return Fail(reader, SmfProblem::kHeaderTooShort, headerOffset);
    }
    if (Skip(cursor, length - 6) < 0) {
        return Fail(reader, SmfProblem::kHeaderPastFile, headerOffset);
    }
    if (format > 2) {
        return Fail(reader, SmfProblem::kUnknownFormat, headerOffset + 8);
    }
    if (format == 2) {
        return Fail(reader, SmfProblem::kIndependentSequences, headerOffset + 8);
    }
    song.format = static_cast<int>(format);
    song.headerTrackCount = static_cast<int>(tracks);
    SmfDivision &timing = song.division;
    timing = {(division & 0x8000) != 0, 0, 0, 0};
    if (timing.smpte) {
        timing.framesPerSecond = 256 - static_cast<int>(division >> 8);
        timing.ticksPerFrame = static_cast<int>(division & 0xFF);
        if (timing.framesPerSecond != 24 && timing.framesPerSecond != 25 &&
            timing.framesPerSecond != 29 && timing.framesPerSecond != 30) {
            return Fail(reader, SmfProblem::kUnknownFrameRate, headerOffset + 12);
        }
    } else {
        timing.ticksPerQuarter = static_cast<int>(division);
    }
    if (timing.ticksPerQuarter == 0 && timing.ticksPerFrame == 0) {
        return Fail(reader, SmfProblem::kDivisionZero, headerOffset + 12);
    }
    SetChunkEnd(cursor, outerEnd);
    return true;
}

// Its buffer is large: module state rather than the stack.
Reader g_reader;

}  // namespace

bool ReadSmf(const ByteSource &source, SmfSong &song, SmfError &error) {
    Reader &reader = g_reader;
    reader.cursor.source = &source;
    reader.cursor.bufferOffset = 0;
    reader.cursor.fill = 0;
    reader.cursor.position = 0;
    reader.cursor.fileEnded = false;
    reader.cursor.unreadable = false;
    SetChunkEnd(reader.cursor, kNoLimit);
    reader.song = &song;
    reader.error = &error;
    reader.nameFound = false;
    song.format = 0;
    song.headerTrackCount = 0;
    song.trackCount = 0;
    song.division = {false, 0, 0, 0};
    song.tempos.count = 0;
    song.timeSignatures.count = 0;
    song.endTick = 0;
    song.name[0] = '\0';
    song.smpteOffset = {false, {}};
    song.warningCount = 0;
    song.moreWarnings = 0;
    error = {SmfProblem::kNone, 0};
    if (!ReadHeader(reader)) {
        return false;
    }
    Cursor &cursor = reader.cursor;
    const long long outerEnd = cursor.chunkEnd;
    for (;;) {
        const long long chunkOffset = Offset(cursor);
        char tag[5];
        std::uint32_t length = 0;
        int code = ReadTag(cursor, tag);
        if (code == 0) {
            code = ReadNumber(cursor, 4, false, length);
        }
        // Fewer than eight bytes after the last chunk are no chunk.
        if (code == kUnreadable) {
            return Fail(reader, SmfProblem::kUnreadable, chunkOffset);
        }
        if (code < 0) {
            break;
        }
        const long long claimedEnd = Offset(cursor) + length;
        const long long chunkEnd = std::min(claimedEnd, outerEnd);
        if (std::strcmp(tag, "MTrk") == 0) {
            TrackState state = {++song.trackCount, chunkOffset, claimedEnd > outerEnd};
            SetChunkEnd(cursor, chunkEnd);
            if (!ReadTrack(reader, state, chunkEnd)) {
                return false;
            }
            SetChunkEnd(cursor, outerEnd);
        } else {
            // Chunks of other types are passed over by their length.
            code = Skip(cursor, chunkEnd - Offset(cursor));
            if (code == kUnreadable) {
                return Fail(reader, SmfProblem::kUnreadable, Offset(cursor));
            }
        }
    }
    if (song.trackCount == 0) {
        return Fail(reader, SmfProblem::kNoTracks, Offset(cursor));
    }
    if (song.trackCount != song.headerTrackCount) {
        Warn(reader, SmfLeniency::kTrackCountDiffers, reader.headerOffset + 10, 0);
    }
    // Tracks were read one after the other: a stable sort by tick keeps each
    // tick's changes in the order of the tracks and of their events.
    const bool sorted = StableSortByTick(song.tempos) && StableSortByTick(song.timeSignatures);
    const bool tempoAtStart = song.tempos.count > 0 && song.tempos.items[0].tick == 0;
    if (!sorted ||
        (!tempoAtStart && !Prepend(song.tempos, {0, kDefaultMicrosecondsPerQuarter, true}))) {
        return Fail(reader, SmfProblem::kOutOfMemory, Offset(cursor));
    }
    return true;
}

const char *SmfProblemText(SmfProblem problem) {
    switch (problem) {
        case SmfProblem::kNone:
            break;
        case SmfProblem::kUnreadable:
            return "cannot be read";
        case SmfProblem::kNotMidi:
            return "not a MIDI file: it starts with neither MThd nor a RIFF RMID header";
        case SmfProblem::kHeaderTooShort:
            return "the MThd header is too short: it needs 6 bytes of format, tracks and "
                   "division";
        case SmfProblem::kHeaderPastFile:
            return "the MThd header claims more bytes than the file holds";
        case SmfProblem::kUnknownFormat:
            return "the format is not 0, 1 or 2";
        case SmfProblem::kIndependentSequences:
            return "format 2 holds independent sequences, each with its own tempo map; only "
                   "formats 0 and 1 are read";
        case SmfProblem::kDivisionZero:
            return "the division is 0: a tick would have no length";
        case SmfProblem::kUnknownFrameRate:
            return "the SMPTE division's frames a second are not 24, 25, 29 or 30";
        case SmfProblem::kNoTracks:
            return "there is no MTrk track chunk";
        case SmfProblem::kVariableLengthTooLong:
            return "a variable-length number is longer than four bytes";
        case SmfProblem::kNoRunningStatus:
            return "running status with no status before it";
        case SmfProblem::kNotAFileEvent:
            return "a system message that a MIDI file cannot hold (0xF1 to 0xFE but 0xF7)";
        case SmfProblem::kEventPastChunk:
            return "an event runs past the end of its track chunk";
        case SmfProblem::kTempoLength:
            return "a tempo event whose length is not 3";
        case SmfProblem::kTempoZero:
            return "a tempo of 0 microseconds a quarter note";
        case SmfProblem::kTimeSignatureLength:
            return "a time signature whose length is not 4";
        case SmfProblem::kTimeSignatureValue:
            return "a time signature with a numerator of 0 or a denominator above 2^15";
        case SmfProblem::kTicksTooMany:
            return "a track's ticks go beyond 2^62";
        case SmfProblem::kRiffWithoutData:
            return "a RIFF RMID file without its data chunk";
        case SmfProblem::kOutOfMemory:
            return "its tempo map does not fit in memory";
    }
    return "";
}

const char *SmfLeniencyText(SmfLeniency leniency) {
    switch (leniency) {
        case SmfLeniency::kChunkOverrunsFile:
            return "the last track chunk claims more bytes than the file holds: it was read to "
                   "the end of the file";
        case SmfLeniency::kNoEndOfTrack:
            return "a track without an end-of-track event: it ends where its chunk ends";
        case SmfLeniency::kRunningStatusAfterMeta:
            return "running status after a meta or sysex event, which the format says ends it: "
                   "the status before goes on, as common readers take it";
        case SmfLeniency::kTrackCountDiffers:
            return "the header's count of tracks is not the number of track chunks: every "
                   "chunk was read";
    }
    return "";
}
