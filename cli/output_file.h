// The console programs' output files: a temporary file beside the output,
// flushed to the disk, then renamed into place (or copied to standard
// output); an interrupt removes it.
#ifndef TACTIMER_CLI_OUTPUT_FILE_H
#define TACTIMER_CLI_OUTPUT_FILE_H

#include "request/run_request.h"

// The output's name is argument index + 1 of argv, as the program got it.
#ifdef _WIN32
OutputFiles ConsoleOutputFiles(wchar_t **argv);
#else
OutputFiles ConsoleOutputFiles(char **argv);
#endif

#endif
