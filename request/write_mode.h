// --write-tempo-map OUT and --retick N --write OUT: MIDI files written
// through the platform's safe output files, and a report of what moved.
#ifndef TACTIMER_REQUEST_WRITE_MODE_H
#define TACTIMER_REQUEST_WRITE_MODE_H

#include "request/request.h"
#include "request/run_request.h"

// Returns the exit status: 0 written, 1 when the input cannot be used or
// the file cannot be written (its path then is as it was).
int WriteMidiFile(const Request &request, const RequestPlatform &platform, const TextSink &out,
                  const TextSink &err);

#endif
