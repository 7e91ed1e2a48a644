// The clock that timecodes are read and shown by: its frame rate and the
// timecode at the start (tick 0, or the cue's first downbeat), taken in
// one place from --fps, --start and a MIDI file's SMPTE offset.
#ifndef TACTIMER_REQUEST_SONG_CLOCK_H
#define TACTIMER_REQUEST_SONG_CLOCK_H

#include "midi/smf_song.h"
#include "picture/timecode.h"
#include "request/picture_arguments.h"
#include "text/text_sink.h"

enum class ClockStart { kMidnight, kSmpteOffset, kStartOption };

struct SongClock {
    bool running;  // a rate is known: timecodes are shown
    FrameRate rate;
    Timecode start;
    ClockStart from;
};

// The clock of a cue: --fps and --start, else 00:00:00:00.
SongClock CueClock(const PictureSettings &settings);

// The clock of a file's report: the rate of --fps, else of the file's SMPTE
// offset; the start of --start, else of the offset, else 00:00:00:00. An
// offset that names no timecode is said on err and starts nothing. False,
// said on err, when --start, or an offset read at another rate than its
// own, is no timecode at the rate, or --start comes without any rate.
bool SettleSongClock(const Request &request, const PictureSettings &settings, const SmfSong &song,
                     SongClock &clock, const TextSink &err);

// The rate's name and the start as the clock shows it ("01:00:00;00").
void FormatClockStart(const SongClock &clock, char (&text)[kTimecodeTextSize]);

// The timecode that the clock shows at the time.
void FormatClockAt(const SongClock &clock, const MidiTime &time, char (&text)[kTimecodeTextSize]);

#endif
