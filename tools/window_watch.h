// Watching tactimer.exe's windows from another process: shared by the run
// script's probe, the UI tests and the start-up benchmark.
#ifndef TACTIMER_TOOLS_WINDOW_WATCH_H
#define TACTIMER_TOOLS_WINDOW_WATCH_H

#include <windows.h>

#include <string>

// A window's text, through a message its thread must answer; empty when it
// does not answer within a second.
std::wstring WindowText(HWND window);

// A top-level window of the process with the class name (any class when
// className is null), or null.
HWND FindProcessWindow(DWORD processId, const wchar_t *className, bool visibleOnly = true);

// The frame window shows its form with the results for tempo 120 and
// resolution 480, and answers.
bool ShowsStartUpResults(HWND frame);

#endif
