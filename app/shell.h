// The Win32 shell: the entry, the frame window, the version box and the
// calculator form that lives inside the frame.
#ifndef TACTIMER_APP_SHELL_H
#define TACTIMER_APP_SHELL_H

#include <windows.h>

#include "calc/field_text.h"
#include "calc/form_controller.h"

// Set when the windows are created; the form and the version box need it.
extern HINSTANCE g_instance;
extern wchar_t g_titleText[kFieldTextCapacity];
extern wchar_t g_classNameText[kFieldTextCapacity];
// Null until CreateDialogParamW has returned the form.
extern HWND g_form;

void RegisterFrameClass(HINSTANCE instance);
bool CreateFrameAndForm(HINSTANCE instance, int showCommand);

LRESULT CALLBACK FrameWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK FormDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FormKeyboardHook(int code, WPARAM wParam, LPARAM lParam);
// The form's fields, for the controller.
FormFieldAccess LiveFormFieldAccess();

#endif
