// What a running process holds, read from outside it: memory, windows, GDI
// objects and kernel handles.
#ifndef TACTIMER_TESTS_SOAK_PROCESS_COUNTERS_H
#define TACTIMER_TESTS_SOAK_PROCESS_COUNTERS_H

#include <windows.h>

// Each is -1 when the platform cannot tell.
struct ProcessCounters {
    long long workingSetKiB;
    long long privateKiB;  // committed private memory (the page-file usage)
    long long windows;     // top-level windows and all their descendants
    long long gdiObjects;
    long long handles;  // kernel handles
};

ProcessCounters ReadProcessCounters(HANDLE process, DWORD processId);

#endif
