// A request as tactimer-cli's arguments put it, run whole: what the
// console program and the page both call, each handing it its arguments,
// standard input, files and sinks for the texts.
#ifndef TACTIMER_REQUEST_RUN_REQUEST_H
#define TACTIMER_REQUEST_RUN_REQUEST_H

#include "calc/field_text.h"
#include "midi/byte_sink.h"
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

// Why a file could not be written; in each case the output's path is as it
// was before and no temporary file is left.
enum class OutputProblem {
    kNone,
    kIsInput,      // the output is the file being read, under any name
    kExists,       // and no --force
    kIsFolder,     // the output names a folder
    kTerminal,     // "-" while standard output is a terminal
    kNoFolder,     // its folder does not exist
    kNameTooLong,  // for the system
    kDenied,       // no permission, or a read-only folder or disk
    kDiskFull,
    kTooLarge,  // larger than the system lets a file be
    kFailed,    // any other failure of the system
};

// What is written and what it must not be.
struct OutputTarget {
    int argumentIndex;  // of the output's name; -1 for standard output
    int argumentSkip;   // as FileOpener's
    // The file being read, as FileOpener opened it, or null for standard
    // input.
    const ByteSource *input;
    bool force;  // an existing output may be replaced
};

// New files, made safely by the platform: a temporary file in the output's
// folder (or the system's, for standard output), flushed to the disk and
// only then renamed into place, or copied out to standard output. An
// interrupt removes the temporary file. The page offers the bytes as a
// download.
struct OutputFiles {
    void *context;
    // Checks the target and makes the temporary file, which sink writes.
    OutputProblem (*Begin)(void *context, const OutputTarget &target, ByteSink &sink);
    // Puts the temporary file in place; on a failure it is removed.
    OutputProblem (*Commit)(void *context);
    // Removes the temporary file; returns why a write to it failed, if one
    // did.
    OutputProblem (*Abandon)(void *context);
};

// What the platform gives the program.
struct RequestPlatform {
    ArgumentList arguments;
    ByteSource standardInput;
    TextSink out;
    TextSink err;
    FileOpener files;
    // None where files cannot be written.
    OutputFiles outputs = {};
};

// Returns the exit status: 0 when the table was printed (or the help or the
// version), 1 when the input cannot be used, 2 on a usage error.
int RunRequest(const RequestPlatform &platform);

#endif
