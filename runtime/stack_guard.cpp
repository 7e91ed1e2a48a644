// The canary that -fstack-protector checks, and what happens when it finds
// it overwritten. GCC's own support library seeds the canary through
// ADVAPI32; this one imports nothing beyond KERNEL32 and seeds it as the
// Windows runtimes seed their security cookie: from the time, the process
// and thread ids, the tick count, the performance counter and, since ASLR
// moves the stack, an address on it.
#include <windows.h>

#include <cstdint>

extern "C" {

// Replaced before any protected function of ours runs.
std::uintptr_t __stack_chk_guard = 0x2B992DDFA232u;

// The stack is no longer to be trusted: end the process at once, without
// running any of the process's own handlers. From Windows 8 the fast-fail
// interrupt does that and is reported as a stack buffer overrun; before, the
// same interrupt is an ordinary access violation that every handler on the
// smashed stack would see, so the process is ended directly instead.
[[noreturn]] void __stack_chk_fail(void) {
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
        __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
    }
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    __builtin_unreachable();
}
}

namespace {

// Runs before the C++ constructors and wWinMain; it must not be protected
// itself, as it changes the canary under its own frame.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const std::uintptr_t seed = (static_cast<std::uintptr_t>(time.dwHighDateTime) << 32) ^
                                time.dwLowDateTime ^ GetCurrentProcessId() ^
                                (static_cast<std::uintptr_t>(GetCurrentThreadId()) << 16) ^
                                GetTickCount64() ^ static_cast<std::uintptr_t>(counter.QuadPart);
    __stack_chk_guard = seed ^ reinterpret_cast<std::uintptr_t>(&time);
}

}  // namespace
