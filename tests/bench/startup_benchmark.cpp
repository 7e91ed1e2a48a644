// Start-up time under Wine: from process creation until tactimer.exe shows
// its start-up results, against a minimal one-window program until its window
// is visible and answers. Prints the medians and their ratio.
//
// usage: startup_benchmark TACTIMER_EXE MINIMAL_WINDOW_EXE [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/window_watch.h"

namespace {

// A window counts as shown once it is visible and its thread answers: until
// its message loop runs, a program shows nothing a user could use.
bool Answers(HWND window) {
    return !WindowText(window).empty();
}

// Milliseconds from CreateProcessW until the program is ready, or -1.
double TimeOneStart(const std::wstring &path, bool waitForResults) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + path + L"\"";
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    double elapsed = -1;
    for (;;) {
        QueryPerformanceCounter(&now);
        const double ms = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
        HWND window = FindProcessWindow(process.dwProcessId, nullptr);
        if (window != nullptr && (waitForResults ? ShowsStartUpResults(window) : Answers(window))) {
            elapsed = ms;
            PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        }
        if (ms > 30000) {
            TerminateProcess(process.hProcess, 1);
            break;
        }
        Sleep(1);
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_benchmark TACTIMER_EXE MINIMAL_WINDOW_EXE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? _wtoi(argv[3]) : 21;
    std::vector<double> tactimer, minimal;
    // Alternate, so that both see the same machine load.
    for (int i = 0; i < runs; ++i) {
        tactimer.push_back(TimeOneStart(argv[1], true));
        minimal.push_back(TimeOneStart(argv[2], false));
        if (tactimer.back() < 0 || minimal.back() < 0) {
            std::fprintf(stderr, "run %d did not start\n", i + 1);
            return 1;
        }
    }
    const double tactimerMedian = Median(tactimer);
    const double minimalMedian = Median(minimal);
    std::printf("runs: %d\n", runs);
    std::printf("tactimer.exe until start-up results shown: median %.1f ms\n", tactimerMedian);
    std::printf("minimal window program until shown:        median %.1f ms\n", minimalMedian);
    std::printf("ratio: %.3f\n", tactimerMedian / minimalMedian);
    return 0;
}
