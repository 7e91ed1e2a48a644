// tactimer-cli on Linux: arguments, input and output in UTF-8, whatever the
// locale.
#include <unistd.h>

#include <cstdio>

#include "cli/output_file.h"
#include "request/run_request.h"
#include "text/utf8.h"

namespace {

struct Arguments {
    char **argv;
};

int GetArgument(void *context, int index, wchar_t *text, int capacity) {
    return DecodeUtf8(static_cast<Arguments *>(context)->argv[index + 1], text, capacity);
}

long ReadFromFile(void *context, unsigned char *bytes, long capacity) {
    std::FILE *file = static_cast<std::FILE *>(context);
    const size_t read = std::fread(bytes, 1, static_cast<size_t>(capacity), file);
    return read == 0 && std::ferror(file) ? -1 : static_cast<long>(read);
}

// A file name is the argument's bytes, whatever they are.
bool OpenFile(void *context, int index, int skip, ByteSource &file) {
    std::FILE *opened = std::fopen(static_cast<Arguments *>(context)->argv[index + 1] + skip, "rb");
    file = {opened, ReadFromFile};
    return opened != nullptr;
}

void CloseFile(ByteSource &file) {
    std::fclose(static_cast<std::FILE *>(file.context));
}

void WriteBytes(void *context, const char *bytes, int count) {
    std::fwrite(bytes, 1, static_cast<size_t>(count), static_cast<std::FILE *>(context));
}

void WriteToFile(void *context, const wchar_t *text) {
    EncodeUtf8(text, WriteBytes, context);
}

}  // namespace

int main(int argc, char **argv) {
    Arguments arguments = {argv};
    const RequestPlatform platform = {
        {&arguments, argc - 1, GetArgument},
        {stdin, ReadFromFile},
        {stdout, WriteToFile, isatty(STDOUT_FILENO) != 0},
        {stderr, WriteToFile},
        {&arguments, OpenFile, CloseFile},
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
