// The note-length tables of every tempo and resolution pair of a run, with
// a clear message for the first that cannot be used.
#ifndef TACTIMER_REQUEST_NOTE_TABLES_H
#define TACTIMER_REQUEST_NOTE_TABLES_H

#include "midi/byte_source.h"
#include "request/request.h"
#include "text/text_sink.h"

// Returns the exit status: 0, or 1 when a pair cannot be used.
int PrintNoteTables(const Request &request, ByteSource input, const TextSink &out,
                    const TextSink &err);

#endif
