// tactimer-cli on Linux: arguments and output in UTF-8, whatever the locale.
#include <unistd.h>

#include <cstdio>

#include "cli/run_cli.h"
#include "cli/utf8.h"

namespace {

struct Arguments {
    char **argv;
};

void GetArgument(void *context, int index, FieldText &text) {
    DecodeUtf8(static_cast<Arguments *>(context)->argv[index + 1], text);
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
    const int status =
        RunTactimerCli({&arguments, argc - 1, GetArgument},
                       {stdout, WriteToFile, isatty(STDOUT_FILENO) != 0}, {stderr, WriteToFile});
    // A table that did not get out whole is no success (a full disk, a
    // closed pipe).
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("tactimer-cli: cannot write the output\n", stderr);
        return 1;
    }
    return status;
}
