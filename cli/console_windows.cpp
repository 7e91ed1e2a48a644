// tactimer-cli on Windows. A console gets UTF-16 through WriteConsoleW, so
// the Japanese captions show whatever its code page; a file or a pipe gets
// UTF-8, the same bytes as on Linux.
#include <windows.h>

#include <cwchar>

#include "cli/run_cli.h"
#include "cli/utf8.h"

namespace {

struct Arguments {
    wchar_t **argv;
};

void GetArgument(void *context, int index, FieldText &text) {
    CopyFieldText(static_cast<Arguments *>(context)->argv[index + 1], text);
}

struct Output {
    HANDLE handle;
    bool console;
    bool failed;
};

void WriteBytes(void *context, const char *bytes, int count) {
    Output &output = *static_cast<Output *>(context);
    DWORD written = 0;
    if (!WriteFile(output.handle, bytes, static_cast<DWORD>(count), &written, nullptr) ||
        written != static_cast<DWORD>(count)) {
        output.failed = true;
    }
}

void WriteToOutput(void *context, const wchar_t *text) {
    Output &output = *static_cast<Output *>(context);
    if (output.console) {
        const DWORD length = static_cast<DWORD>(std::wcslen(text));
        DWORD written = 0;
        if (!WriteConsoleW(output.handle, text, length, &written, nullptr) || written != length) {
            output.failed = true;
        }
    } else {
        EncodeUtf8(text, WriteBytes, context);
    }
}

Output OutputOf(DWORD standardHandle) {
    Output output = {GetStdHandle(standardHandle), false, false};
    DWORD mode = 0;
    output.console = GetConsoleMode(output.handle, &mode) != 0;
    return output;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    Arguments arguments = {argv};
    Output out = OutputOf(STD_OUTPUT_HANDLE);
    Output err = OutputOf(STD_ERROR_HANDLE);
    const int status = RunTactimerCli({&arguments, argc - 1, GetArgument},
                                      {&out, WriteToOutput, out.console}, {&err, WriteToOutput});
    // A table that did not get out whole is no success (a full disk, a
    // closed pipe).
    if (out.failed) {
        WriteToOutput(&err, L"tactimer-cli: cannot write the output\n");
        return 1;
    }
    return status;
}
