// --tempo-for MS NOTE: the tempo at which a note lasts a given time, for a
// delay that offers only some lengths.
#ifndef TACTIMER_CLI_TEMPO_FOR_H
#define TACTIMER_CLI_TEMPO_FOR_H

#include "cli/cli_request.h"
#include "cli/text_sink.h"

// Returns the exit status: 0 printed, 1 the length cannot be used, 2 the
// note is unknown.
int PrintTempoForLength(const CliRequest &request, const TextSink &out, const TextSink &err);

#endif
