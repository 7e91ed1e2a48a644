// The stack protector in a program built and linked as the shipped ones are:
// its canary is seeded at start, and an overrun of a local buffer ends the
// process as a stack buffer overrun before the damaged frame returns.
//
// usage: stack_protector_test            runs the checks
//        stack_protector_test overrun    overruns a buffer (the child)
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

extern "C" std::uintptr_t __stack_chk_guard;

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

DWORD RunChild(const wchar_t *self) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    wchar_t commandLine[MAX_PATH + 16];
    std::swprintf(commandLine, MAX_PATH + 16, L"\"%ls\" overrun", self);
    if (!CreateProcessW(self, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"overrun") == 0) {
        FillBuffer(g_overrunLength);
        std::printf("the overrun went unnoticed\n");
        return 0;
    }
    int failures = 0;
    if (__stack_chk_guard == kUnseededGuard) {
        std::printf("FAILED: the canary was never seeded\n");
        ++failures;
    }
    const DWORD code = RunChild(argv[0]);
    if (code != static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN)) {
        std::printf("FAILED: an overrun ended the child with 0x%08lx, not 0x%08lx\n", code,
                    static_cast<unsigned long>(STATUS_STACK_BUFFER_OVERRUN));
        ++failures;
    }
    std::printf("%s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
