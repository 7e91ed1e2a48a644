// The entry: strings, frame class, frame window and form, start-up values,
// then the message loop with the frame's accelerators.
#include <windows.h>

#include "app/shell.h"
#include "calc/form_controller.h"
#include "res/resource_ids.h"

HINSTANCE g_instance;
wchar_t g_titleText[kFieldTextCapacity];
wchar_t g_classNameText[kFieldTextCapacity];
HWND g_form;

void RegisterFrameClass(HINSTANCE instance) {
    WNDCLASSEXW frameClass = {};
    frameClass.cbSize = sizeof frameClass;
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = FrameWndProc;
    frameClass.hInstance = instance;
    frameClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_FRAME));
    frameClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    frameClass.lpszMenuName = MAKEINTRESOURCEW(IDR_FRAME);
    frameClass.lpszClassName = g_classNameText;
    frameClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_FRAME_SMALL));
    // A failed registration shows up as a failed frame creation.
    RegisterClassExW(&frameClass);
}

namespace {

// The form is a child that fills the frame: it takes the show command's
// visibility but never its minimized or maximized state, which the frame's
// size handler does not undo (a minimized form would stay an empty icon
// after the frame is restored).
int FormShowCommand(int showCommand) {
    switch (showCommand) {
        case SW_SHOWMINIMIZED:
        case SW_SHOWMAXIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            return SW_SHOWNOACTIVATE;
    }
    return showCommand;
}

}  // namespace

bool CreateFrameAndForm(HINSTANCE instance, int showCommand) {
    g_instance = instance;
    HWND frame = CreateWindowExW(0, g_classNameText, g_titleText, WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, 0, 350, 370, nullptr, nullptr, instance, nullptr);
    if (frame == nullptr) {
        return false;
    }
    g_form = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_CALC_FORM), frame, FormDlgProc, 0);
    if (g_form == nullptr) {
        return false;
    }
    ApplyStartupDefaults(LiveFormFieldAccess());
    ShowWindow(g_form, FormShowCommand(showCommand));
    ShowWindow(frame, showCommand);
    UpdateWindow(g_form);
    UpdateWindow(frame);
    return true;
}

// The runtime passes the starter's show-window value when it gave one, and
// SW_SHOWDEFAULT otherwise.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    LoadStringW(instance, IDS_TITLE, g_titleText, kFieldTextCapacity);
    LoadStringW(instance, IDS_WNDCLASS, g_classNameText, kFieldTextCapacity);
    RegisterFrameClass(instance);
    if (!CreateFrameAndForm(instance, showCommand)) {
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_FRAME));
    // Keystrokes for the form never get here as such: its hook has already
    // handed them to the dialog manager and left WM_NULL in their place.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
