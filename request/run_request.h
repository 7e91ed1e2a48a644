// A request as tactimer-cli's arguments put it, run whole: what the
// console program and the page both call, each handing it its arguments,
// standard input, files and sinks for the texts.
#ifndef TACTIMER_REQUEST_RUN_REQUEST_H
#define TACTIMER_REQUEST_RUN_REQUEST_H

#include "calc/field_text.h"
#include "midi/byte_source.h"
#include "text/text_sink.h"

// The arguments after the program's name. Get copies at most capacity - 1
// UTF-16 code units of argument index and a terminator into text, and
// returns how many the whole argument has.
struct ArgumentList {
    void *context;
    int count;
    int (*Get)(void *context, int index, wchar_t *text, int capacity);
};

// Why a file could not be opened: the common reasons in words of our own,
// the same on every platform, any other in the system's.
enum class FileProblem { kNotFound, kNoPermission, kFolder, kOther };

// Files named on the command line, opened as the platform names them: from
// the bytes of the argument on Linux, its wide characters on Windows.
struct FileOpener {
    void *context;
    // Opens the file that argument index names from its skip-th character
    // on (past "--midi=", say); false when it cannot be opened.
    bool (*Open)(void *context, int index, int skip, ByteSource &file);
    void (*Close)(ByteSource &file);
    // Why the last Open failed, the system's words in reason for kOther;
    // null where the platform cannot tell.
    FileProblem (*WhyNotOpened)(void *context, FieldText &reason) = nullptr;
};

// What the platform gives the program.
struct RequestPlatform {
    ArgumentList arguments;
    ByteSource standardInput;
    TextSink out;
    TextSink err;
    FileOpener files;
};

// Returns the exit status: 0 when the table was printed (or the help or the
// version), 1 when the input cannot be used, 2 on a usage error.
int RunRequest(const RequestPlatform &platform);

#endif
