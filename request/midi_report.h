// What --midi prints of a file: its header, the tempo map and the time
// signatures with each change's position and exact time, the song's end,
// and the ticks and times asked for.
#ifndef TACTIMER_REQUEST_MIDI_REPORT_H
#define TACTIMER_REQUEST_MIDI_REPORT_H

#include <cstdint>

#include "midi/smf_song.h"
#include "midi/tempo_map.h"
#include "request/request.h"
#include "text/text_sink.h"

// A tick of the song with its place in bars and its time.
struct SongPoint {
    std::uint64_t tick;
    BarPosition position;
    char milliseconds[kMillisecondsTextSize];
};

struct AtPoint {
    SongPoint point;
    bool forTime;  // asked for by --at-ms
    double askedMilliseconds;
};

struct MidiReport {
    const wchar_t *fileName;
    const SmfSong *song;
    GrowingArray<SongPoint> tempoPoints;      // one for each of song->tempos
    GrowingArray<SongPoint> signaturePoints;  // one for each of song->timeSignatures
    SongPoint end;
    GrowingArray<AtPoint> at;
    bool askedForPoints;  // --at or --at-ms came
};

SongPoint PointOfTick(const TempoMap &map, std::uint64_t tick);

void WriteMidiReport(const MidiReport &report, OutputFormat format, CaptionLanguage language,
                     const TextSink &out);

#endif
