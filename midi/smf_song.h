// What the reader keeps of a Standard MIDI File: its header, the tempo
// and time-signature changes of all its tracks, where it ends, its name,
// and the rules it broke that were let pass.
#ifndef TACTIMER_MIDI_SMF_SONG_H
#define TACTIMER_MIDI_SMF_SONG_H

#include <cstdint>

#include "midi/growing_array.h"

// The tempo until a file's first tempo event, 120 quarter notes a minute.
constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;

struct SmfDivision {
    bool smpte;
    int ticksPerQuarter;  // without SMPTE
    int framesPerSecond;  // 24, 25, 29 (30 drop-frame) or 30
    int ticksPerFrame;
};

struct SmfTempo {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
    // The 120 that plays before a file's first tempo event when there is
    // none at tick 0.
    bool implied;
};

struct SmfTimeSignature {
    std::uint64_t tick;
    int numerator;
    int denominatorPower;  // the denominator is 2 to this power
};

// The rules that real files commonly break and that are let pass, as the
// trusted readers let them.
enum class SmfLeniency {
    kChunkOverrunsFile,       // read to the end of the file
    kNoEndOfTrack,            // the track ends where its chunk ends
    kRunningStatusAfterMeta,  // the status before a meta or sysex event goes on
    kTrackCountDiffers,       // the header's count is not the chunks'
};

struct SmfWarning {
    SmfLeniency leniency;
    long long offset;  // in the file
    int track;         // from 1; 0 for the whole file
};

// The SMPTE offset meta event of the first track at tick 0: where the song
// starts in timecode, its five bytes as they stand (the hour byte with its
// frame-rate bits, minutes, seconds, frames, hundredths of a frame).
struct SmfSmpteOffset {
    bool present;
    unsigned char bytes[5];
};

constexpr int kMaxSmfWarnings = 64;
constexpr int kMaxNameBytes = 255;

// Made once and read into again and again: reading a file clears it but
// keeps its lists' memory.
struct SmfSong {
    int format;
    int headerTrackCount;
    int trackCount;  // the track chunks read
    SmfDivision division;
    // In tick order, each tick's in the order of the tracks and of the
    // events within them; an implied tempo first.
    GrowingArray<SmfTempo> tempos;
    GrowingArray<SmfTimeSignature> timeSignatures;
    // The tick of the last event of any track.
    std::uint64_t endTick;
    // The first track name, as its bytes stand, cut to kMaxNameBytes.
    char name[kMaxNameBytes + 1];
    SmfSmpteOffset smpteOffset;
    int warningCount;
    SmfWarning warnings[kMaxSmfWarnings];
    long long moreWarnings;  // those that did not fit
};

#endif
