// The stack protector in a program built and linked as the shipped ones are:
// its canary is seeded at start, and an overrun of a local buffer ends the
// process as a stack buffer overrun before the damaged frame returns, both
// where the system has fast fail and where it has not (before Windows 8).
//
// usage: stack_protector_test                       runs the checks
//        stack_protector_test overrun               overruns a buffer
//        stack_protector_test overrun-no-fast-fail  the same, on a system
//                                                   that answers it has no
//                                                   fast fail
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

extern "C" std::uintptr_t __stack_chk_guard;
// The import address table's slots through which the guard calls KERNEL32.
extern "C" BOOL(WINAPI *__imp_IsProcessorFeaturePresent)(DWORD);
extern "C" BOOL(WINAPI *__imp_TerminateProcess)(HANDLE, UINT);

namespace {

// The canary's value before it is seeded, as the guard defines it.
constexpr std::uintptr_t kUnseededGuard = 0x2B992DDFA232u;

// How far the child writes; read at run time, so that the compiler cannot
// see the overrun coming and trim it.
volatile int g_overrunLength = 64;

__attribute__((noinline)) void FillBuffer(int length) {
    char buffer[16];
    std::memset(buffer, 'x', length);
    // As if the bytes were read: the writes must stay.
    __asm__ volatile("" : : "r"(buffer) : "memory");
}

BOOL(WINAPI *g_terminateProcess)(HANDLE, UINT);

// What a system before Windows 8 answers. Both stand-ins say on standard
// output that they were called, so that the parent sees the guard ask and
// then end the process itself rather than by the interrupt.
BOOL WINAPI NoFastFail(DWORD feature) {
    if (feature == PF_FASTFAIL_AVAILABLE) {
        std::printf("asked for fast fail\n");
        std::fflush(stdout);
        return FALSE;
    }
    return IsProcessorFeaturePresent(feature);
}

BOOL WINAPI TerminateProcessSaying(HANDLE process, UINT code) {
    std::printf("ended by TerminateProcess\n");
    std::fflush(stdout);
    return g_terminateProcess(process, code);
}

template <typename Function>
void Replace(Function *slot, Function replacement) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = replacement;
}

void PretendNoFastFail() {
    g_terminateProcess = __imp_TerminateProcess;
    Replace(&__imp_IsProcessorFeaturePresent, NoFastFail);
    Replace(&__imp_TerminateProcess, TerminateProcessSaying);
}

struct ChildResult {
    DWORD exitCode;
    bool askedForFastFail;
    bool endedByTerminateProcess;
};

// Runs this program with the argument and reads what it printed.
ChildResult RunChild(const wchar_t *self, const wchar_t *argument) {
    ChildResult result = {0, false, false};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return result;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    wchar_t commandLine[MAX_PATH + 64];
    std::swprintf(commandLine, MAX_PATH + 64, L"\"%ls\" %ls", self, argument);
    const BOOL started = CreateProcessW(self, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char output[256] = "";
        DWORD length = 0;
        DWORD read = 0;
        while (length + 1 < sizeof output &&
               ReadFile(readEnd, output + length, sizeof output - 1 - length, &read, nullptr) &&
               read > 0) {
            length += read;
        }
        output[length] = '\0';
        result.askedForFastFail = std::strstr(output, "asked for fast fail") != nullptr;
        result.endedByTerminateProcess =
            std::strstr(output, "ended by TerminateProcess") != nullptr;
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"overrun-no-fast-fail") == 0) {
        PretendNoFastFail();
    }
    if (argc == 2 && std::wcsncmp(argv[1], L"overrun", 7) == 0) {
        FillBuffer(g_overrunLength);
        std::printf("the overrun went unnoticed\n");
        return 0;
    }
    int failures = 0;
    if (__stack_chk_guard == kUnseededGuard) {
        std::printf("FAILED: the canary was never seeded\n");
        ++failures;
    }
    std::printf("this system has fast fail: %s\n",
                IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE) ? "yes" : "no");
    const struct {
        const wchar_t *argument;
        const char *way;
        bool answersNoFastFail;
    } kWays[] = {
        {L"overrun", "as the system has it", false},
        {L"overrun-no-fast-fail", "without fast fail", true},
    };
    for (const auto &way : kWays) {
        const ChildResult child = RunChild(argv[0], way.argument);
        std::printf("an overrun %s ended the child with 0x%08lx\n", way.way, child.exitCode);
        if (child.exitCode != static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN)) {
            std::printf("FAILED: expected 0x%08lx\n",
                        static_cast<unsigned long>(STATUS_STACK_BUFFER_OVERRUN));
            ++failures;
        }
        if (way.answersNoFastFail && !child.askedForFastFail) {
            std::printf("FAILED: the guard never asked whether the system has fast fail\n");
            ++failures;
        }
        if (way.answersNoFastFail && !child.endedByTerminateProcess) {
            std::printf("FAILED: without fast fail, TerminateProcess did not end the child\n");
            ++failures;
        }
    }
    std::printf("%s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
