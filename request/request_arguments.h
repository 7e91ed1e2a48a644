// Reading tactimer-cli's arguments, as any front end hands them, into a
// request.
#ifndef TACTIMER_REQUEST_REQUEST_ARGUMENTS_H
#define TACTIMER_REQUEST_REQUEST_ARGUMENTS_H

#include "request/request.h"
#include "request/run_request.h"
#include "text/text_sink.h"

// Says on err what is wrong when the arguments are not usable.
RequestAction ParseArguments(const ArgumentList &arguments, const TextSink &err, Request &request);

#endif
