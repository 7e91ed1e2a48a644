// tactimer-cli as a whole, apart from how the platform hands it its
// arguments and standard input and writes its texts.
#ifndef TACTIMER_CLI_RUN_CLI_H
#define TACTIMER_CLI_RUN_CLI_H

#include "cli/text_sink.h"
#include "midi/byte_source.h"

// The arguments after the program's name. Get copies at most capacity - 1
// UTF-16 code units of argument index and a terminator into text, and
// returns how many the whole argument has.
struct ArgumentList {
    void *context;
    int count;
    int (*Get)(void *context, int index, wchar_t *text, int capacity);
};

// Files named on the command line, opened as the platform names them: from
// the bytes of the argument on Linux, its wide characters on Windows.
struct FileOpener {
    void *context;
    // Opens the file that argument index names from its skip-th character
    // on (past "--midi=", say); false when it cannot be opened.
    bool (*Open)(void *context, int index, int skip, ByteSource &file);
    void (*Close)(ByteSource &file);
};

// What the platform gives the program.
struct CliPlatform {
    ArgumentList arguments;
    ByteSource standardInput;
    TextSink out;
    TextSink err;
    FileOpener files;
};

// Returns the exit status: 0 when the table was printed (or the help or the
// version), 1 when the input cannot be used, 2 on a usage error.
int RunTactimerCli(const CliPlatform &platform);

#endif
