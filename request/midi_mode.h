// --midi FILE: a Standard MIDI File's tempo map, with the position and
// exact time of each change, its end, the ticks and times asked for, or the
// note-length table at one of its tempos.
#ifndef TACTIMER_REQUEST_MIDI_MODE_H
#define TACTIMER_REQUEST_MIDI_MODE_H

#include "request/request.h"
#include "request/run_request.h"

// Returns the exit status: 0, or 1 when the file cannot be read.
int PrintMidiFile(const Request &request, const RequestPlatform &platform, const TextSink &out,
                  const TextSink &err);

#endif
