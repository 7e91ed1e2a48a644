// Reading a process's counters from outside it.
#include "tests/soak/process_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

#include "tests/ui/desktop_driver.h"

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long long *>(count);
    return TRUE;
}

struct WindowCount {
    DWORD processId;
    long long count;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM lParam) {
    WindowCount &windows = *reinterpret_cast<WindowCount *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows.processId) {
        ++windows.count;
        EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&windows.count));
    }
    return TRUE;
}

// One entry of a process's GDI handle table, which its PEB points to.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;  // bit 7: a stock object
    UCHAR type;     // 0: a free entry
    UCHAR flags;
    UINT64 userPointer;
};
constexpr size_t kGdiHandleCount = 0x10000;
constexpr size_t kPebGdiHandleTableOffset = 0xF8;

// Wine's GetGuiResources is a stub that answers 0. Wine keeps each process's
// GDI handles in a table of its own that the PEB points to, as Windows does,
// so the table itself is read and its non-stock entries counted.
long long GdiObjectsFromHandleTable(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0) {
        return -1;
    }
    UINT64 table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(
            process, reinterpret_cast<BYTE *>(basic.PebBaseAddress) + kPebGdiHandleTableOffset,
            &table, sizeof table, &read) ||
        table == 0) {
        return -1;
    }
    static std::vector<GdiHandleEntry> entries(kGdiHandleCount);
    if (!ReadProcessMemory(process, reinterpret_cast<const void *>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read)) {
        return -1;
    }
    long long count = 0;
    for (const GdiHandleEntry &entry : entries) {
        if (entry.type != 0 && (entry.unique & 0x80) == 0) {
            ++count;
        }
    }
    return count;
}

}  // namespace

ProcessCounters ReadProcessCounters(HANDLE process, DWORD processId) {
    ProcessCounters counters = {-1, -1, 0, -1, -1};
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        counters.workingSetKiB = static_cast<long long>(memory.WorkingSetSize / 1024);
        counters.privateKiB = static_cast<long long>(memory.PagefileUsage / 1024);
    }
    WindowCount windows = {processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    counters.windows = windows.count;
    if (RunningUnderWine()) {
        // GetProcessHandleCount answers 0 for another process there.
        counters.gdiObjects = GdiObjectsFromHandleTable(process);
    } else {
        counters.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
        DWORD handles = 0;
        if (GetProcessHandleCount(process, &handles)) {
            counters.handles = handles;
        }
    }
    return counters;
}
