// Drives a running tactimer.exe from another process on the same desktop:
// real keystrokes and mouse clicks through SendInput, windows read back with
// cross-process messages. Every wait polls a condition against a deadline.
#ifndef TACTIMER_TESTS_UI_DESKTOP_DRIVER_H
#define TACTIMER_TESTS_UI_DESKTOP_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>

#include "tests/ui/tactimer_path.h"
#include "tools/window_watch.h"

constexpr DWORD kWaitMilliseconds = 10000;

// Wine's ntdll exports wine_get_version; Windows' does not. Tests take
// Wine's workarounds only where they find it.
bool RunningUnderWine();

bool WaitUntil(const std::function<bool()> &condition, DWORD milliseconds = kWaitMilliseconds);

HWND FocusOf(DWORD thread);
RECT WindowRect(HWND window);
// The client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);
POINT Centre(const RECT &rect);

// Keyboard: virtual keys, with modifiers held around them.
void PressKey(WORD virtualKey, bool shift = false, bool alt = false);
// The keys that type character on the current layout, with Alt if asked.
void PressCharacter(wchar_t character, bool alt = false);
void TypeText(const wchar_t *text);
// Types any text, full-width characters included, as one batch of
// KEYEVENTF_UNICODE keystrokes.
void TypeUnicodeText(const std::wstring &text);

// Mouse: moves in absolute coordinates and waits for the cursor to arrive.
bool MoveMouse(POINT screen);
bool Click(POINT screen);

// The point of window's caption where WM_NCHITTEST answers hitCode.
bool FindNonClientPoint(HWND window, LRESULT hitCode, POINT *found);

constexpr int kNoShowCommand = -1;

struct RunningTactimer {
    PROCESS_INFORMATION process = {};
    HWND frame = nullptr;
    HWND form = nullptr;

    // Starts tactimer.exe, with the starter's show command when one is given
    // (STARTF_USESHOWWINDOW), and waits until its frame and form exist and
    // it waits for input; they may be hidden or minimized.
    bool Launch(int showCommand = kNoShowCommand);
    // Launches it as a user does and waits until the form shows its start-up
    // results and holds the focus.
    bool Start();
    // Ends the process if a test left it running.
    void Stop();
    // Waits for the process to end; its exit code, or -1 on time-out.
    long WaitForExit();

    DWORD Thread() const { return process.dwThreadId; }
    HWND Field(int id) const { return GetDlgItem(form, id); }
    std::wstring FieldText(int id) const { return WindowText(Field(id)); }
    void SetFieldText(int id, const wchar_t *text) const;
    HWND Focus() const { return FocusOf(Thread()); }
    bool WaitForFocus(int id) const;
    // Presses Tab, waiting for each press to move the focus, until it
    // arrives at the control with id (an input's text is then selected);
    // false when it does not within three presses.
    bool TabUntil(int id) const;
    // The version box, when it is open.
    HWND VersionBox() const { return FindProcessWindow(process.dwProcessId, L"#32770"); }
    // Waits until the version box has gone and the form has the focus back:
    // until then a keystroke may still go to the box or be lost.
    bool WaitForBoxClosed() const;
    // The open pop-up menu, if any.
    HWND PopupMenu() const { return FindProcessWindow(process.dwProcessId, L"#32768"); }
    bool FormFillsClientArea() const;
    // Brings the frame to the foreground and waits until it is active.
    bool Activate() const;
};

#endif
