// Output files on Windows. The temporary file is made with CREATE_NEW in
// the output's folder and shared for deletion only, so that Ctrl+C, Ctrl+
// Break or a closed console can delete it from the handler's thread while
// it is still open (it goes when the process ends). A lock keeps that
// handler and the rename apart: the handler takes it and never gives it
// back, so no rename follows an interrupt.
#include <windows.h>

#include <cwchar>

#include "cli/output_file.h"

namespace {

// Long names (\\?\ paths) may reach 32767 characters.
constexpr int kNameCapacity = 32768 + 64;

struct Output {
    const wchar_t *target;  // null for standard output
    bool force;
    HANDLE file;
    OutputProblem writeProblem;
    const ByteSource *input;
};

Output g_output;
wchar_t g_temporaryName[kNameCapacity];
bool g_temporaryExists;
CRITICAL_SECTION g_lock;
bool g_handlerSet;
char g_interruptLine[1024];
int g_interruptLineLength;

// An interrupt while writing is one more failure to write: the temporary
// file goes, one line says so, and the status is 1. The lock is kept: the
// process ends here.
BOOL WINAPI RemoveTemporaryFile(DWORD) {
    EnterCriticalSection(&g_lock);
    if (g_temporaryExists) {
        DeleteFileW(g_temporaryName);
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), g_interruptLine,
                  static_cast<DWORD>(g_interruptLineLength), &written, nullptr);
        ExitProcess(1);
    }
    LeaveCriticalSection(&g_lock);
    // The default handler ends the process.
    return FALSE;
}

OutputProblem ProblemOf(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
            return OutputProblem::kDenied;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_DIRECTORY:
            return OutputProblem::kNoFolder;
        case ERROR_FILENAME_EXCED_RANGE:
            return OutputProblem::kNameTooLong;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return OutputProblem::kDiskFull;
        case ERROR_FILE_TOO_LARGE:
            return OutputProblem::kTooLarge;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return OutputProblem::kExists;
    }
    return OutputProblem::kFailed;
}

// The same file: the same volume and file index, whatever the names.
bool IsInput(const Output &output) {
    HANDLE target =
        CreateFileW(output.target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        return false;
    }
    HANDLE input = output.input != nullptr ? static_cast<HANDLE>(output.input->context)
                                           : GetStdHandle(STD_INPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    const bool same = GetFileInformationByHandle(target, &a) &&
                      GetFileInformationByHandle(input, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(target);
    return same;
}

// The output's folder, with its separator, or the system's for standard
// output.
bool TemporaryFolder(const Output &output, wchar_t (&folder)[kNameCapacity]) {
    if (output.target == nullptr) {
        const DWORD length = GetTempPathW(kNameCapacity - 64, folder);
        return length > 0 && length < kNameCapacity - 64;
    }
    int length = 0;
    for (int i = 0; output.target[i] != L'\0'; ++i) {
        const wchar_t c = output.target[i];
        if (c == L'\\' || c == L'/' || (c == L':' && i == 1)) {
            length = i + 1;
        }
    }
    if (length >= kNameCapacity - 64) {
        return false;
    }
    std::wmemcpy(folder, output.target, static_cast<size_t>(length));
    folder[length] = L'\0';
    return true;
}

OutputProblem MakeTemporaryFile(Output &output) {
    static wchar_t folder[kNameCapacity];
    if (!TemporaryFolder(output, folder)) {
        return OutputProblem::kNameTooLong;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        EnterCriticalSection(&g_lock);
        std::swprintf(g_temporaryName, kNameCapacity, L"%ls.tactimer-%lu-%u.tmp", folder,
                      GetCurrentProcessId(), attempt);
        output.file = CreateFileW(g_temporaryName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        g_temporaryExists = output.file != INVALID_HANDLE_VALUE;
        LeaveCriticalSection(&g_lock);
        if (output.file != INVALID_HANDLE_VALUE) {
            return OutputProblem::kNone;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return ProblemOf(error);
        }
    }
    return OutputProblem::kFailed;
}

void PrepareInterruptLine(const Output &output) {
    static wchar_t line[1024];
    std::swprintf(line, 1024, L"tactimer-cli: interrupted: %ls was left as it was\r\n",
                  output.target != nullptr ? output.target : L"nothing");
    g_interruptLineLength = WideCharToMultiByte(CP_UTF8, 0, line, -1, g_interruptLine,
                                                sizeof g_interruptLine, nullptr, nullptr);
    g_interruptLineLength = g_interruptLineLength > 0 ? g_interruptLineLength - 1 : 0;
}

OVERLAPPED At(long long offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

bool WriteAt(void *, long long offset, const unsigned char *bytes, long count) {
    Output &output = g_output;
    while (count > 0) {
        OVERLAPPED at = At(offset);
        DWORD written = 0;
        if (!WriteFile(output.file, bytes, static_cast<DWORD>(count), &written, &at) ||
            written == 0) {
            output.writeProblem = ProblemOf(GetLastError());
            return false;
        }
        bytes += written;
        count -= static_cast<long>(written);
        offset += written;
    }
    return true;
}

bool SetLength(void *, long long length) {
    LARGE_INTEGER end;
    end.QuadPart = length;
    if (!SetFilePointerEx(g_output.file, end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(g_output.file)) {
        g_output.writeProblem = ProblemOf(GetLastError());
        return false;
    }
    return true;
}

void RemoveTemporary() {
    Output &output = g_output;
    EnterCriticalSection(&g_lock);
    if (output.file != INVALID_HANDLE_VALUE) {
        CloseHandle(output.file);
        output.file = INVALID_HANDLE_VALUE;
    }
    if (g_temporaryExists) {
        DeleteFileW(g_temporaryName);
        g_temporaryExists = false;
    }
    LeaveCriticalSection(&g_lock);
}

OutputProblem Begin(void *context, const OutputTarget &target, ByteSink &sink) {
    Output &output = g_output;
    wchar_t **argv = static_cast<wchar_t **>(context);
    output.target =
        target.argumentIndex < 0 ? nullptr : argv[target.argumentIndex + 1] + target.argumentSkip;
    output.force = target.force;
    output.input = target.input;
    output.file = INVALID_HANDLE_VALUE;
    output.writeProblem = OutputProblem::kNone;
    if (output.target == nullptr) {
        DWORD mode = 0;
        if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
            return OutputProblem::kTerminal;
        }
    } else {
        const DWORD attributes = GetFileAttributesW(output.target);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (IsInput(output)) {
                return OutputProblem::kIsInput;
            }
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                return OutputProblem::kIsFolder;
            }
            if (!output.force) {
                return OutputProblem::kExists;
            }
        } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            const DWORD error = GetLastError();
            return error == ERROR_INVALID_NAME ? OutputProblem::kNameTooLong : ProblemOf(error);
        }
    }
    if (!g_handlerSet) {
        InitializeCriticalSection(&g_lock);
        SetConsoleCtrlHandler(RemoveTemporaryFile, TRUE);
        g_handlerSet = true;
    }
    PrepareInterruptLine(output);
    sink = {&output, WriteAt, SetLength};
    return MakeTemporaryFile(output);
}

OutputProblem CopyToStandardOutput(Output &output) {
    static unsigned char buffer[1 << 16];
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (long long offset = 0;;) {
        OVERLAPPED at = At(offset);
        DWORD read = 0;
        if (!ReadFile(output.file, buffer, sizeof buffer, &read, &at)) {
            return GetLastError() == ERROR_HANDLE_EOF ? OutputProblem::kNone
                                                      : ProblemOf(GetLastError());
        }
        if (read == 0) {
            return OutputProblem::kNone;
        }
        DWORD written = 0;
        if (!WriteFile(out, buffer, read, &written, nullptr) || written != read) {
            return ProblemOf(GetLastError());
        }
        offset += read;
    }
}

OutputProblem Commit(void *) {
    Output &output = g_output;
    OutputProblem problem = OutputProblem::kNone;
    if (!FlushFileBuffers(output.file)) {
        problem = ProblemOf(GetLastError());
    } else if (output.target == nullptr) {
        problem = CopyToStandardOutput(output);
    }
    if (problem == OutputProblem::kNone && output.target != nullptr) {
        if (IsInput(output)) {
            problem = OutputProblem::kIsInput;
        } else {
            EnterCriticalSection(&g_lock);
            CloseHandle(output.file);
            output.file = INVALID_HANDLE_VALUE;
            const DWORD flags =
                MOVEFILE_WRITE_THROUGH | (output.force ? MOVEFILE_REPLACE_EXISTING : 0);
            const bool moved = MoveFileExW(g_temporaryName, output.target, flags) != 0;
            const DWORD error = GetLastError();
            g_temporaryExists = !moved;
            LeaveCriticalSection(&g_lock);
            problem = moved ? OutputProblem::kNone : ProblemOf(error);
        }
    }
    RemoveTemporary();
    return problem;
}

OutputProblem Abandon(void *) {
    RemoveTemporary();
    return g_output.writeProblem;
}

}  // namespace

OutputFiles ConsoleOutputFiles(wchar_t **argv) {
    return {argv, Begin, Commit, Abandon};
}
