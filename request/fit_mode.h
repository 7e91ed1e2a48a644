// Fitting to picture: the tempos that put hits on the beat (--fit TIMES),
// or a tempo map that lands each hit where it is asked (--fit
// POSITION@TIME,...).
#ifndef TACTIMER_REQUEST_FIT_MODE_H
#define TACTIMER_REQUEST_FIT_MODE_H

#include "midi/smf_song.h"
#include "request/midi_report.h"
#include "request/request.h"
#include "request/song_clock.h"
#include "text/text_sink.h"

// Returns the exit status: 0 printed, 1 when the hits cannot be fitted.
int PrintFit(const Request &request, const TextSink &out, const TextSink &err);

// The exact map of --fit POSITION@TIME,..., for a tempo-map file: the song
// that holds its tempos and meter, and each hit with its tick and name.
struct FitMap {
    const SmfSong *song;
    const ReportHit *hits;
    int hitCount;
    const SongClock *clock;  // the cue's timecode at its first downbeat
};

// Makes the map; false, said on err, when it cannot be made.
bool MakeFitMap(const Request &request, const TextSink &err, FitMap &map);

// Prints the map just made as --fit POSITION@TIME,... prints it.
void PrintFitMap(const Request &request, const TextSink &out);

#endif
