// The note-length tables of every tempo and resolution pair of a run, with
// a clear message for the first that cannot be used.
#ifndef TACTIMER_CLI_NOTE_TABLES_H
#define TACTIMER_CLI_NOTE_TABLES_H

#include "cli/cli_request.h"
#include "cli/text_sink.h"
#include "midi/byte_source.h"

// Returns the exit status: 0, or 1 when a pair cannot be used.
int PrintNoteTables(const CliRequest &request, ByteSource input, const TextSink &out,
                    const TextSink &err);

#endif
