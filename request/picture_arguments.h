// Reading the options of timecode and of fitting to picture from their
// texts: once when the arguments are checked, for a usage error, and again
// when the request runs. A timecode is read at the frame rate, which
// --fps gives, or else a MIDI file's SMPTE offset once the file is read.
#ifndef TACTIMER_REQUEST_PICTURE_ARGUMENTS_H
#define TACTIMER_REQUEST_PICTURE_ARGUMENTS_H

#include "picture/tempo_fit.h"
#include "picture/timecode.h"
#include "request/request.h"

struct PictureSettings {
    bool hasRate;  // --fps
    FrameRate rate;
    bool hasStart;  // --start, read at the rate
    Timecode start;
    FitRequest fit;  // the grid, the meter and the tempos to try; no hits yet
    // Decimals for the tempos tried: as many as --range and --step were
    // typed with, at least 2.
    int bpmDecimals;
};

// Reads every picture option but the hits and --at-tc, and checks that they
// go with the request's mode (settled before). False with the usage
// error's message.
bool ReadPictureSettings(const Request &request, PictureSettings &settings, ListText &message);

// The parts of a hit of the exact map, [NAME=]POSITION@TIME, each without
// the blanks around it; no name is an empty one.
struct MapHitText {
    const wchar_t *name;
    int nameLength;
    const wchar_t *position;
    int positionLength;
    const wchar_t *time;
    int timeLength;
};

// Whether the hits are POSITION@TIME (the exact map) or times alone
// (fitting): the first says, and the others must agree.
bool HitsAreMapHits(const wchar_t *hits);
bool SplitMapHit(const wchar_t *text, int length, MapHitText &parts);

// Milliseconds from the cue's start, or a timecode (at the rate) counted
// from --start or 00:00:00:00. A time too late for any cue comes out as one
// 2^40 microseconds and more, which fitting refuses. False with the reason
// when the text is neither.
bool ReadCueTime(const wchar_t *text, int length, const PictureSettings &settings, MidiTime &time,
                 ListText &message);

// Checks every hit of --fit as far as the arguments can tell (positions
// exist only once the time signature counts them); false with a usage
// error's message.
bool CheckHits(const Request &request, const PictureSettings &settings, ListText &message);

// A timecode of --start, --at-tc or --fit at the rate; false with the
// message "OPTION 'TEXT': why".
bool ReadTypedTimecode(const wchar_t *option, const wchar_t *text, int length, FrameRate rate,
                       Timecode &timecode, ListText &message);

// Joins the parts into a message.
void SayInto(ListText &message, const wchar_t *first, const wchar_t *second = L"",
             const wchar_t *third = L"", const wchar_t *fourth = L"", const wchar_t *fifth = L"");

#endif
