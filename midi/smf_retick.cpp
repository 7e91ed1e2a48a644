// The rewriter follows the reader's own walk of the file: the bytes it
// hands on are written as they come, each delta time is written anew from
// the event's rounded tick, and each size field is a placeholder patched
// once what it counts is written.
#include "midi/smf_retick.h"

#include "midi/smf_walk.h"

namespace {

struct Retick {
    SmfOutput *output;  // null when only measuring
    TickScale scale;
    std::uint64_t lastTick;  // the new tick of the track's last event
    long long eventData;     // where the last event's bytes after its delta time went
    long long trackLength;   // where each size goes
    long long riffSize;
    long long riffDataSize;
    bool deltaTooLong;
};

Retick g_retick;
SmfSong g_walked;

void Copy(void *context, const unsigned char *bytes, long count) {
    Retick &retick = *static_cast<Retick *>(context);
    if (retick.output != nullptr) {
        WriteBytes(*retick.output, bytes, count);
    }
}

long long Placeholder(SmfOutput &output) {
    const long long offset = OutputOffset(output);
    WriteBigEndian(output, 0, 4);
    return offset;
}

void Field(void *context, SmfField field) {
    Retick &retick = *static_cast<Retick *>(context);
    if (field == SmfField::kTrackStart) {
        retick.lastTick = 0;
    }
    if (retick.output == nullptr) {
        return;
    }
    SmfOutput &output = *retick.output;
    switch (field) {
        case SmfField::kRiffSize:
            retick.riffSize = Placeholder(output);
            break;
        case SmfField::kRiffDataSize:
            retick.riffDataSize = Placeholder(output);
            break;
        case SmfField::kRiffDataEnd: {
            const long long dataStart = retick.riffDataSize + 4;
            PatchSize(output, retick.riffDataSize, dataStart, true);
            // RIFF chunks are padded to an even length.
            if (((OutputOffset(output) - dataStart) & 1) != 0) {
                WriteBigEndian(output, 0, 1);
            }
            break;
        }
        case SmfField::kDivision:
            WriteBigEndian(output, static_cast<std::uint32_t>(retick.scale.report.resolutionTo), 2);
            break;
        case SmfField::kTrackStart:
            retick.trackLength = BeginTrackChunk(output);
            break;
        case SmfField::kTrackEnd:
            EndTrackChunk(output, retick.trackLength);
            break;
    }
}

// The bulk of a song: each event's new delta time, and the bytes between.
void Events(void *context, const unsigned char *buffer, long fill, long from,
            const SmfEventAt *events, int count) {
    Retick &retick = *static_cast<Retick *>(context);
    SmfOutput *const output = retick.output;
    std::uint64_t last = retick.lastTick;
    bool tooLong = false;
    for (int i = 0; i < count; ++i) {
        const SmfEventAt &event = events[i];
        const std::uint64_t moved = MoveTick(retick.scale, event.tick);
        const std::uint64_t delta = moved - last;
        last = moved;
        tooLong = tooLong || delta > kMaxVariableLength;
        if (output != nullptr) {
            WriteEvent(*output, buffer + from, event.start - from, fill - from,
                       static_cast<std::uint32_t>(delta));
        }
        from = event.afterDelta;
    }
    retick.lastTick = last;
    retick.deltaTooLong = retick.deltaTooLong || tooLong;
    if (output != nullptr) {
        retick.eventData = OutputOffset(*output);
    }
}

// The reader ends a track inside whose last event the file ends, at that
// event's tick: the copy ends it there with an end of track, and the
// rewritten file reads as the original did, without the broken rule.
void Cut(void *context) {
    Retick &retick = *static_cast<Retick *>(context);
    if (retick.output != nullptr) {
        static const unsigned char kEndOfTrack[3] = {0xFF, 0x2F, 0x00};
        RewindOutput(*retick.output, retick.eventData);
        WriteBytes(*retick.output, kEndOfTrack, 3);
    }
}

bool Refuse(RetickError &error, RetickProblem problem) {
    error.problem = problem;
    return false;
}

}  // namespace

bool RetickSmf(const ByteSource &source, const SmfSong &song, int to, SmfOutput *output,
               RetickReport &report, RetickError &error) {
    error = {RetickProblem::kNone, {SmfProblem::kNone, 0}};
    if (song.division.smpte) {
        return Refuse(error, RetickProblem::kSmpte);
    }
    Retick &retick = g_retick;
    retick.output = output;
    retick.lastTick = 0;
    retick.riffSize = -1;
    retick.deltaTooLong = false;
    if (!StartTickScale(retick.scale, song.tempos, song.division.ticksPerQuarter, to)) {
        return Refuse(error, RetickProblem::kOutOfMemory);
    }
    const SmfWalker walker = {&retick, Copy, Field, Events, Cut};
    const bool read = WalkSmf(source, g_walked, error.read, walker);
    report = retick.scale.report;
    if (!read) {
        return Refuse(error, RetickProblem::kRead);
    }
    if (report.tickTooLarge) {
        return Refuse(error, RetickProblem::kTickTooLarge);
    }
    if (retick.deltaTooLong) {
        return Refuse(error, RetickProblem::kDeltaTooLong);
    }
    if (output == nullptr) {
        return true;
    }
    if (retick.riffSize >= 0) {
        PatchSize(*output, retick.riffSize, retick.riffSize + 4, true);
    }
    if (!FinishOutput(*output)) {
        return Refuse(error,
                      output->failed ? RetickProblem::kCannotWrite : RetickProblem::kChunkTooLong);
    }
    return true;
}

const char *RetickProblemText(RetickProblem problem) {
    switch (problem) {
        case RetickProblem::kNone:
        case RetickProblem::kRead:
            break;
        case RetickProblem::kSmpte:
            return "its division is in SMPTE frames: it has no ticks a quarter note to change";
        case RetickProblem::kTickTooLarge:
            return "at that resolution its ticks would go beyond 2^62";
        case RetickProblem::kDeltaTooLong:
            return "at that resolution a delta time would be longer than a MIDI file holds "
                   "(0x0FFFFFFF ticks)";
        case RetickProblem::kOutOfMemory:
            return "its tempo map does not fit in memory";
        case RetickProblem::kChunkTooLong:
            return "at that resolution a chunk would be longer than 4 GiB";
        case RetickProblem::kCannotWrite:
            return "cannot be written";
    }
    return "";
}
