// What --midi prints of a file: its header, the tempo map and the time
// signatures with each change's position and exact time, the song's end,
// and the ticks and times asked for. Each position and time is worked out
// as it is printed, not kept: a map of millions of changes takes no more
// memory than the map itself.
#ifndef TACTIMER_REQUEST_MIDI_REPORT_H
#define TACTIMER_REQUEST_MIDI_REPORT_H

#include <cstdint>

#include "midi/smf_song.h"
#include "midi/tempo_map.h"
#include "request/request.h"
#include "request/song_clock.h"
#include "request/song_time_text.h"
#include "text/text_sink.h"

// A tick asked for by --at, or found for a time asked for by --at-ms or
// --at-tc.
struct AtPoint {
    std::uint64_t tick;
    bool forTime;
    DecimalText askedMilliseconds;  // as typed, for --at-ms
    bool forTimecode;
    Timecode askedTimecode;
};

// Each of --at, --at-ms and --at-tc holds at most 999 characters: 500
// items each.
constexpr int kMaxAtPoints = 3 * (kListTextCapacity / 2);

// A hit of the exact map: where it is, when it was asked to sound, and how
// far from that the map plays it.
struct ReportHit {
    std::uint64_t tick;
    MidiTime asked;  // microseconds from tick 0
    MidiTime error;  // asked less played, in microseconds
    const wchar_t *name;
    int nameLength;  // 0: none
};

struct MidiReport {
    const wchar_t *fileName;  // null for a map made here, which has hits instead
    const SongClock *clock;
    const SmfSong *song;
    const TempoMap *map;
    int atCount;
    AtPoint at[kMaxAtPoints];
    bool askedForPoints;  // --at, --at-ms or --at-tc came
    bool askedForTimecodes;
    int hitCount;
    const ReportHit *hits;
};

void WriteMidiReport(const MidiReport &report, OutputFormat format, CaptionLanguage language,
                     const TextSink &out);

#endif
