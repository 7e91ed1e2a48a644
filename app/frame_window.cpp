// The frame window, which the form fills, and the version box it opens.
#include <windows.h>

#include "app/shell.h"
#include "res/resource_ids.h"

LRESULT CALLBACK FrameWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE: {
            // Also raises the form to the top and shows it. Before the form
            // exists g_form is null and this does nothing.
            RECT client;
            GetClientRect(hwnd, &client);
            SetWindowPos(g_form, nullptr, 0, 0, client.right, client.bottom, SWP_SHOWWINDOW);
            return 0;
        }
        case WM_ACTIVATE:
            // The dialog manager gives the focus to the form's saved control.
            SendMessageW(g_form, WM_SETFOCUS, 0, 0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(hwnd, &paint);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDM_SHOW_VERSION:
                    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_VERSION_INFO), hwnd,
                                    AboutDlgProc, 0);
                    return 0;
                case IDM_QUIT:
                    DestroyWindow(hwnd);
                    return 0;
            }
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Closes only through OK: Esc and the close button send IDCANCEL, which is
// left alone.
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                EndDialog(hDlg, 1);
                return TRUE;
            }
            break;
    }
    return FALSE;
}
