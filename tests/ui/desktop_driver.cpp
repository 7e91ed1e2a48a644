// Driving tactimer.exe from the outside.
#include "tests/ui/desktop_driver.h"

#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kPollMilliseconds = 2;

void SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

}  // namespace

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        Sleep(kPollMilliseconds);
    }
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

POINT Centre(const RECT &rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void PressKey(WORD virtualKey, bool shift, bool alt) {
    if (alt) {
        SendKey(VK_MENU, false);
    }
    if (shift) {
        SendKey(VK_SHIFT, false);
    }
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    if (shift) {
        SendKey(VK_SHIFT, true);
    }
    if (alt) {
        SendKey(VK_MENU, true);
    }
}

void PressCharacter(wchar_t character, bool alt) {
    const SHORT key = VkKeyScanW(character);
    PressKey(LOBYTE(key), (HIBYTE(key) & 1) != 0, alt);
}

void TypeText(const wchar_t *text) {
    for (; *text != L'\0'; ++text) {
        PressCharacter(*text);
    }
}

void TypeUnicodeText(const std::wstring &text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = c;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool MoveMouse(POINT screen) {
    SendMouse(0, screen);
    return WaitUntil([&] {
        POINT cursor;
        GetCursorPos(&cursor);
        return cursor.x == screen.x && cursor.y == screen.y;
    });
}

bool Click(POINT screen) {
    if (!MoveMouse(screen)) {
        return false;
    }
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    return true;
}

bool FindNonClientPoint(HWND window, LRESULT hitCode, POINT *found) {
    const RECT frame = WindowRect(window);
    const RECT client = ClientRectOnScreen(window);
    for (LONG y = frame.top; y < client.top; y += 2) {
        for (LONG x = frame.right - 1; x > frame.left; x -= 2) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000,
                                &hit);
            if (static_cast<LRESULT>(hit) == hitCode) {
                *found = {x, y};
                return true;
            }
        }
    }
    return false;
}

bool RunningTactimer::Launch(int showCommand) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (showCommand != kNoShowCommand) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    std::wstring commandLine = L"\"" + g_tactimerPath + L"\"";
    if (!CreateProcessW(g_tactimerPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "CreateProcessW failed with error %lu\n", GetLastError());
        return false;
    }
    // Once it waits for input, its start-up has shown what it will show.
    WaitForInputIdle(process.hProcess, kWaitMilliseconds);
    return WaitUntil([this] {
        frame = FindProcessWindow(process.dwProcessId, L"TACTIMER", false);
        form = frame != nullptr ? FindWindowExW(frame, nullptr, L"#32770", nullptr) : nullptr;
        return form != nullptr;
    });
}

bool RunningTactimer::Start() {
    // Ready for the keyboard once the form holds the focus.
    return Launch() && WaitUntil([this] { return ShowsStartUpResults(frame); }) && Activate() &&
           WaitUntil([this] { return IsChild(form, Focus()) != FALSE; });
}

void RunningTactimer::Stop() {
    if (process.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kWaitMilliseconds);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
}

long RunningTactimer::WaitForExit() {
    if (WaitForSingleObject(process.hProcess, kWaitMilliseconds) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

void RunningTactimer::SetFieldText(int id, const wchar_t *text) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Field(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &result);
}

bool RunningTactimer::WaitForFocus(int id) const {
    return WaitUntil([&] { return Focus() == Field(id); });
}

bool RunningTactimer::TabUntil(int id) const {
    for (int presses = 0; presses < 3; ++presses) {
        HWND before = Focus();
        PressKey(VK_TAB);
        if (!WaitUntil([&] { return Focus() != before; })) {
            return false;
        }
        if (Focus() == Field(id)) {
            return true;
        }
    }
    return false;
}

bool RunningTactimer::WaitForBoxClosed() const {
    return WaitUntil([this] { return VersionBox() == nullptr && IsChild(form, Focus()); });
}

bool RunningTactimer::FormFillsClientArea() const {
    const RECT form = WindowRect(this->form);
    const RECT client = ClientRectOnScreen(frame);
    return form.left == client.left && form.top == client.top && form.right == client.right &&
           form.bottom == client.bottom;
}

namespace {

// Windows lets only the foreground's own input queue hand the foreground on
// (a test runner's console may hold it): ask from inside that queue.
void AskForForeground(HWND window) {
    const DWORD self = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    const DWORD owner = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = owner != 0 && owner != self && AttachThreadInput(self, owner, TRUE);
    SetForegroundWindow(window);
    if (attached) {
        AttachThreadInput(self, owner, FALSE);
    }
}

}  // namespace

bool RunningTactimer::Activate() const {
    // Asking again and again while the window manager is still switching
    // would restart the switch: ask every 100 ms at most.
    DWORD asked = GetTickCount() - 100;
    return WaitUntil([&] {
        if (GetForegroundWindow() == frame) {
            return true;
        }
        if (GetTickCount() - asked >= 100) {
            AskForForeground(frame);
            asked = GetTickCount();
        }
        return false;
    });
}
