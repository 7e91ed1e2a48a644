// The calculator form as a modeless child dialog. The message loop never calls
// IsDialogMessageW; instead a thread hook hands every keystroke that is taken
// off the queue to the dialog manager, so Tab, Shift+Tab and Enter work in
// the form, and leaves WM_NULL behind for the ones it handled.
#include <windows.h>

#include "app/shell.h"
#include "calc/form_controller.h"
#include "res/resource_ids.h"

namespace {

HHOOK g_keyHook;

int GetFormFieldText(void *, int id, wchar_t *buffer, int capacity) {
    return static_cast<int>(
        SendDlgItemMessageW(g_form, id, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer)));
}

void SetFormFieldText(void *, int id, const wchar_t *text) {
    SendDlgItemMessageW(g_form, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// While a menu is open its own loop takes the keystrokes, still addressed to
// the focused control; routing them to the form as well would type a menu's
// mnemonic letter into the focused input.
bool InMenuMode() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0;
}

}  // namespace

FormFieldAccess LiveFormFieldAccess() {
    return {nullptr, GetFormFieldText, SetFormFieldText};
}

INT_PTR CALLBACK FormDlgProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            // Installed before g_form is set, but no message loop runs until
            // it is, so no keystroke can reach the hook sooner.
            g_keyHook =
                SetWindowsHookExW(WH_GETMESSAGE, FormKeyboardHook, nullptr, GetCurrentThreadId());
            return TRUE;
        case WM_DESTROY:
            UnhookWindowsHookEx(g_keyHook);
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_CALCULATE) {
                return OnCalculate(LiveFormFieldAccess()) ? TRUE : FALSE;
            }
            return FALSE;
    }
    return FALSE;
}

LRESULT CALLBACK FormKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    MSG *msg = reinterpret_cast<MSG *>(lParam);
    // Only messages being removed, so each keystroke is routed once; those
    // for other windows come back from IsDialogMessageW untouched.
    if (code >= 0 && wParam == PM_REMOVE && msg->message >= WM_KEYDOWN &&
        msg->message <= WM_UNICHAR && !InMenuMode() && IsDialogMessageW(g_form, msg)) {
        msg->message = WM_NULL;
        msg->wParam = 0;
        msg->lParam = 0;
    }
    return CallNextHookEx(g_keyHook, code, wParam, lParam);
}
