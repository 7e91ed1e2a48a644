// The options of writing a MIDI file, and whether they fit together.
#ifndef TACTIMER_REQUEST_WRITE_ARGUMENTS_H
#define TACTIMER_REQUEST_WRITE_ARGUMENTS_H

#include "request/request.h"

// Whether any of the options that write a file came: --write-tempo-map,
// --write, --retick, --tempo-map, --force.
bool WritesAFile(const Request &request);

// Settles the request to write a file: null, or what is wrong with it.
// otherModes: -, --tempos or --tempo-for came; midi: --midi; fit: --fit;
// midiOnly: --at, --at-ms, --at-tc, --table-at or the table's options.
const wchar_t *CheckWriteRequest(Request &request, bool otherModes, bool midi, bool fit,
                                 bool midiOnly);

#endif
