// --midi FILE: a Standard MIDI File's tempo map, with the position and
// exact time of each change, its end, the ticks and times asked for, or the
// note-length table at one of its tempos.
#ifndef TACTIMER_CLI_MIDI_MODE_H
#define TACTIMER_CLI_MIDI_MODE_H

#include "cli/cli_request.h"
#include "cli/run_cli.h"

// Returns the exit status: 0, or 1 when the file cannot be read.
int PrintMidiFile(const CliRequest &request, const CliPlatform &platform, const TextSink &out);

#endif
