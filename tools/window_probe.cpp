// Lets the run script watch tactimer.exe from inside Wine.
//
// usage: window_probe wait-results   waits until the frame window shows the
//                                    start-up results; prints its rectangle
//                                    as "x y width height"
//        window_probe close          asks the frame window to close
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "tools/window_watch.h"

namespace {

constexpr DWORD kDeadlineMilliseconds = 60000;

int WaitForResults() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kDeadlineMilliseconds) {
        HWND frame = FindWindowW(L"TACTIMER", nullptr);
        if (frame != nullptr && IsWindowVisible(frame) && ShowsStartUpResults(frame)) {
            RECT rect;
            GetWindowRect(frame, &rect);
            std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top);
            return 0;
        }
        Sleep(20);
    }
    std::fprintf(stderr, "window_probe: no start-up results within %lu ms\n",
                 static_cast<unsigned long>(kDeadlineMilliseconds));
    return 1;
}

int Close() {
    HWND frame = FindWindowW(L"TACTIMER", nullptr);
    return frame != nullptr && PostMessageW(frame, WM_CLOSE, 0, 0) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"wait-results") == 0) {
        return WaitForResults();
    }
    if (argc == 2 && std::wcscmp(argv[1], L"close") == 0) {
        return Close();
    }
    std::fprintf(stderr, "usage: window_probe wait-results | close\n");
    return 2;
}
