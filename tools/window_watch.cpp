// Watching tactimer.exe's windows from another process.
#include "tools/window_watch.h"

namespace {

constexpr int kLastResultField = 1040;

struct WindowSearch {
    DWORD processId;
    const wchar_t *className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    WindowSearch &search = *reinterpret_cast<WindowSearch *>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (processId == search.processId &&
        (search.className == nullptr || std::wstring(name) == search.className) &&
        (!search.visibleOnly || IsWindowVisible(window))) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
    wchar_t text[256] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 1000, &copied)) {
        return L"";
    }
    return text;
}

HWND FindProcessWindow(DWORD processId, const wchar_t *className, bool visibleOnly) {
    WindowSearch search = {processId, className, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ShowsStartUpResults(HWND frame) {
    HWND form = FindWindowExW(frame, nullptr, L"#32770", nullptr);
    return form != nullptr && IsWindowVisible(form) &&
           WindowText(GetDlgItem(form, kLastResultField)) == L"12000.00";
}
