// tactimer.exe's own dialog templates, made into hidden dialogs in the
// calling process: the system gives them the font and the dialog units that
// it gives the program, so captions can be measured in that font here.
#ifndef TACTIMER_TESTS_UI_TEMPLATE_DIALOG_H
#define TACTIMER_TESTS_UI_TEMPLATE_DIALOG_H

#include <windows.h>

#include <string>

// tactimer.exe loaded as data, or null.
HMODULE LoadProgramAsData(const std::wstring &path);

// The dialog from template id, never shown; a child template gets a hidden
// parent of its own. Null when the template is missing. DestroyTemplateDialog
// ends both.
HWND CreateTemplateDialog(HMODULE program, int id);
void DestroyTemplateDialog(HWND dialog);

// The control's text as it would be drawn, in the control's own font.
SIZE TextExtentInControl(HWND control, const std::wstring &text);

// What one dialog unit is in pixels in this dialog: its base units.
SIZE DialogBaseUnits(HWND dialog);

struct DialogFontFace {
    std::wstring named;  // as the template names it
    std::wstring drawn;  // the face the system draws it with
    LONG height;         // pixels, with the internal leading
};

DialogFontFace DialogFont(HWND dialog);

// UTF-8 for reports: the C runtime's narrow conversion would lose the
// Japanese captions.
std::string Utf8(const std::wstring &text);

#endif
