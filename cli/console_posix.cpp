// tactimer-cli on Linux: arguments, input and output in UTF-8, whatever the
// locale.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cli/output_file.h"
#include "request/run_request.h"
#include "text/utf8.h"

namespace {

struct Arguments {
    char **argv;
    int openError;  // errno of the last file that did not open
};

int GetArgument(void *context, int index, wchar_t *text, int capacity) {
    return DecodeUtf8(static_cast<Arguments *>(context)->argv[index + 1], text, capacity);
}

// What one read gives, not a full buffer: standard input from a person or
// a pipe is answered line by line as it comes.
long ReadFromDescriptor(void *context, unsigned char *bytes, long capacity) {
    const int descriptor = static_cast<int>(reinterpret_cast<std::intptr_t>(context));
    for (;;) {
        const ssize_t read = ::read(descriptor, bytes, static_cast<size_t>(capacity));
        if (read >= 0 || errno != EINTR) {
            return read >= 0 ? static_cast<long>(read) : -1;
        }
    }
}

void *ContextOf(int descriptor) {
    return reinterpret_cast<void *>(static_cast<std::intptr_t>(descriptor));
}

// A file name is the argument's bytes, whatever they are. A folder opens
// on Linux, but is no file to read.
bool OpenFile(void *context, int index, int skip, ByteSource &file) {
    Arguments &arguments = *static_cast<Arguments *>(context);
    const int descriptor = ::open(arguments.argv[index + 1] + skip, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (descriptor >= 0 && fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        arguments.openError = EISDIR;
        return false;
    }
    arguments.openError = descriptor < 0 ? errno : 0;
    file = {ContextOf(descriptor), ReadFromDescriptor};
    return descriptor >= 0;
}

void CloseFile(ByteSource &file) {
    ::close(static_cast<int>(reinterpret_cast<std::intptr_t>(file.context)));
}

FileProblem WhyNotOpened(void *context, FieldText &reason) {
    const int error = static_cast<Arguments *>(context)->openError;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileProblem::kNotFound;
        case EACCES:
        case EPERM:
            return FileProblem::kNoPermission;
        case EISDIR:
            return FileProblem::kFolder;
    }
    DecodeUtf8(std::strerror(error), reason, kFieldTextCapacity);
    return FileProblem::kOther;
}

void WriteBytes(void *context, const char *bytes, int count) {
    std::fwrite(bytes, 1, static_cast<size_t>(count), static_cast<std::FILE *>(context));
}

void WriteToFile(void *context, const wchar_t *text) {
    EncodeUtf8(text, WriteBytes, context);
}

void FlushFile(void *context) {
    std::fflush(static_cast<std::FILE *>(context));
}

}  // namespace

int main(int argc, char **argv) {
    Arguments arguments = {argv, 0};
    const RequestPlatform platform = {
        {&arguments, argc - 1, GetArgument},
        {ContextOf(STDIN_FILENO), ReadFromDescriptor},
        {stdout, WriteToFile, isatty(STDOUT_FILENO) != 0, FlushFile},
        {stderr, WriteToFile},
        {&arguments, OpenFile, CloseFile, WhyNotOpened},
        ConsoleOutputFiles(argv),
    };
    const int status = RunRequest(platform);
    // A table that did not get out whole is no success (a full disk, a
    // closed pipe).
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("tactimer-cli: cannot write the output\n", stderr);
        return 1;
    }
    return status;
}
