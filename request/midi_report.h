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
#include "request/song_time_text.h"
#include "text/text_sink.h"

// A tick asked for by --at, or found for a time asked for by --at-ms.
struct AtPoint {
    std::uint64_t tick;
    bool forTime;
    DecimalText askedMilliseconds;  // as typed, for --at-ms
};

// Each of --at and --at-ms holds at most 999 characters: 500 items each.
constexpr int kMaxAtPoints = kListTextCapacity;

struct MidiReport {
    const wchar_t *fileName;
    const SmfSong *song;
    const TempoMap *map;
    int atCount;
    AtPoint at[kMaxAtPoints];
    bool askedForPoints;  // --at or --at-ms came
};

void WriteMidiReport(const MidiReport &report, OutputFormat format, CaptionLanguage language,
                     const TextSink &out);

#endif
