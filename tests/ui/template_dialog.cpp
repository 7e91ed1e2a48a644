// Dialogs from tactimer.exe's templates, made in the test's own process.
#include "tests/ui/template_dialog.h"

#include <cstring>
#include <vector>

namespace {

INT_PTR CALLBACK QuietDlgProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// An extended template's style sits after its version, signature, help id
// and extended style.
constexpr size_t kExtendedTemplateStyleOffset = 12;

}  // namespace

HMODULE LoadProgramAsData(const std::wstring &path) {
    return LoadLibraryExW(path.c_str(), nullptr,
                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

HWND CreateTemplateDialog(HMODULE program, int id) {
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (found == nullptr) {
        return nullptr;
    }
    const BYTE *data = static_cast<const BYTE *>(LockResource(LoadResource(program, found)));
    std::vector<BYTE> bytes(data, data + SizeofResource(program, found));
    // The version box is visible by its template; a copy without WS_VISIBLE
    // gets the same font and units without showing.
    DWORD style = 0;
    std::memcpy(&style, &bytes[kExtendedTemplateStyleOffset], sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(&bytes[kExtendedTemplateStyleOffset], &style, sizeof style);
    HWND parent = nullptr;
    if ((style & WS_CHILD) != 0) {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    HWND dialog = CreateDialogIndirectParamW(
        program, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), parent, QuietDlgProc, 0);
    if (dialog == nullptr && parent != nullptr) {
        DestroyWindow(parent);
    }
    return dialog;
}

void DestroyTemplateDialog(HWND dialog) {
    HWND parent = (GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(dialog) : nullptr;
    DestroyWindow(dialog);
    if (parent != nullptr) {
        DestroyWindow(parent);
    }
}

SIZE TextExtentInControl(HWND control, const std::wstring &text) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent;
}

SIZE DialogBaseUnits(HWND dialog) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    return {units.right, units.bottom};
}

DialogFontFace DialogFont(HWND dialog) {
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW logical = {};
    GetObjectW(font, sizeof logical, &logical);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t drawn[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, drawn);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return {logical.lfFaceName, drawn, metrics.tmHeight};
}

std::string Utf8(const std::wstring &text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}
