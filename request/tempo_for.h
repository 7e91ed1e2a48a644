// --tempo-for MS NOTE: the tempo at which a note lasts a given time, for a
// delay that offers only some lengths.
#ifndef TACTIMER_REQUEST_TEMPO_FOR_H
#define TACTIMER_REQUEST_TEMPO_FOR_H

#include "request/request.h"
#include "text/text_sink.h"

// Returns the exit status: 0 printed, 1 the length cannot be used, 2 the
// note is unknown.
int PrintTempoForLength(const Request &request, const TextSink &out, const TextSink &err);

#endif
