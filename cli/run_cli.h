// tactimer-cli as a whole, apart from how the platform hands it its
// arguments and writes its texts.
#ifndef TACTIMER_CLI_RUN_CLI_H
#define TACTIMER_CLI_RUN_CLI_H

#include "calc/field_text.h"
#include "cli/text_sink.h"

// The arguments after the program's name. Get copies the first 99 UTF-16
// code units of argument index into text, as the form's fields would hold
// them.
struct ArgumentList {
    void *context;
    int count;
    void (*Get)(void *context, int index, FieldText &text);
};

// Returns the exit status: 0 when the table was printed (or the help or the
// version), 1 when the input cannot be used, 2 on a usage error.
int RunTactimerCli(const ArgumentList &arguments, const TextSink &out, const TextSink &err);

#endif
