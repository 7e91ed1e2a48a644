// tactimer-cli on Windows. A console gets UTF-16 through WriteConsoleW, so
// the Japanese captions show whatever its code page; a file or a pipe gets
// UTF-8, the same bytes as on Linux.
#include <windows.h>

#include <cwchar>

#include "cli/output_file.h"
#include "request/run_request.h"
#include "text/utf8.h"

namespace {

struct Arguments {
    wchar_t **argv;
    DWORD openError;  // of the last file that did not open
};

int GetArgument(void *context, int index, wchar_t *text, int capacity) {
    const wchar_t *argument = static_cast<Arguments *>(context)->argv[index + 1];
    const int length = static_cast<int>(std::wcslen(argument));
    CopyTextPart(argument, length, text, capacity);
    return length;
}

long ReadFromHandle(void *context, unsigned char *bytes, long capacity) {
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(context), bytes, static_cast<DWORD>(capacity), &read,
                  nullptr)) {
        // The writer of a pipe closing it is its end.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<long>(read);
}

// Wide names, so that Japanese file names open. A folder is said to be one,
// as it is on Linux, not a denied access.
bool OpenFile(void *context, int index, int skip, ByteSource &file) {
    Arguments &arguments = *static_cast<Arguments *>(context);
    const wchar_t *name = arguments.argv[index + 1] + skip;
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        arguments.openError = ERROR_DIRECTORY;
        return false;
    }
    HANDLE handle = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    arguments.openError = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    file = {handle, ReadFromHandle};
    return handle != INVALID_HANDLE_VALUE;
}

FileProblem WhyNotOpened(void *context, FieldText &reason) {
    const DWORD error = static_cast<Arguments *>(context)->openError;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return FileProblem::kNotFound;
        case ERROR_ACCESS_DENIED:
            return FileProblem::kNoPermission;
        case ERROR_DIRECTORY:
            return FileProblem::kFolder;
    }
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reason, kFieldTextCapacity, nullptr);
    // Without the line end that the system's messages have.
    while (length > 0 && (reason[length - 1] == L'\n' || reason[length - 1] == L'\r')) {
        --length;
    }
    reason[length] = L'\0';
    return FileProblem::kOther;
}

void CloseFile(ByteSource &file) {
    CloseHandle(static_cast<HANDLE>(file.context));
}

// Standard input as UTF-8 bytes: a file's or a pipe's as they are, a
// console's typed characters encoded.
struct Input {
    HANDLE handle;
    bool console;
    char pending[1024];
    int pendingLength;
    int pendingPosition;
};

void KeepBytes(void *context, const char *bytes, int count) {
    Input &input = *static_cast<Input *>(context);
    for (int i = 0; i < count && input.pendingLength < static_cast<int>(sizeof input.pending);
         ++i) {
        input.pending[input.pendingLength++] = bytes[i];
    }
}

long ReadStandardInput(void *context, unsigned char *bytes, long capacity) {
    Input &input = *static_cast<Input *>(context);
    DWORD read = 0;
    if (!input.console) {
        return ReadFromHandle(input.handle, bytes, capacity);
    }
    if (input.pendingPosition == input.pendingLength) {
        wchar_t units[256];
        if (!ReadConsoleW(input.handle, units, 255, &read, nullptr)) {
            return -1;
        }
        // Ctrl+Z ends a console's input as a file's end does.
        if (read == 0 || units[0] == L'\x1A') {
            return 0;
        }
        units[read] = L'\0';
        input.pendingLength = 0;
        input.pendingPosition = 0;
        EncodeUtf8(units, KeepBytes, &input);
    }
    long count = 0;
    while (count < capacity && input.pendingPosition < input.pendingLength) {
        bytes[count++] = static_cast<unsigned char>(input.pending[input.pendingPosition++]);
    }
    return count;
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

Input g_input;

}  // namespace

int wmain(int argc, wchar_t **argv) {
    Arguments arguments = {argv, ERROR_SUCCESS};
    Output out = OutputOf(STD_OUTPUT_HANDLE);
    Output err = OutputOf(STD_ERROR_HANDLE);
    Input &input = g_input;
    input.handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    input.console = GetConsoleMode(input.handle, &mode) != 0;
    const RequestPlatform platform = {
        {&arguments, argc - 1, GetArgument},
        {&input, ReadStandardInput},
        {&out, WriteToOutput, out.console},
        {&err, WriteToOutput},
        {&arguments, OpenFile, CloseFile, WhyNotOpened},
        ConsoleOutputFiles(argv),
    };
    const int status = RunRequest(platform);
    // A table that did not get out whole is no success (a full disk, a
    // closed pipe).
    if (out.failed) {
        WriteToOutput(&err, L"tactimer-cli: cannot write the output\n");
        return 1;
    }
    return status;
}
