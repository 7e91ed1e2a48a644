// Fitting to picture: the tempos that put hits on the beat (--fit TIMES),
// or a tempo map that lands each hit where it is asked (--fit
// POSITION@TIME,...).
#ifndef TACTIMER_REQUEST_FIT_MODE_H
#define TACTIMER_REQUEST_FIT_MODE_H

#include "request/request.h"
#include "text/text_sink.h"

// Returns the exit status: 0 printed, 1 when the hits cannot be fitted.
int PrintFit(const Request &request, const TextSink &out, const TextSink &err);

#endif
