// Reading off the system the kit runs on.
#include "tests/kit/system_report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "res/resource_ids.h"
#include "tests/ui/template_dialog.h"

namespace {

typedef LONG(WINAPI *RtlGetVersionFunction)(OSVERSIONINFOW *);
typedef const char *(*WineGetVersionFunction)();

// An export of a system DLL that older systems (or Windows) may lack.
template <typename Function>
Function Export(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char *format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::wstring RegistryText(const wchar_t *name) {
    wchar_t value[128] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// How one of the program's dialogs comes out here.
void DescribeDialog(HMODULE program, int id, const char *name, std::vector<std::string> &lines) {
    HWND dialog = program != nullptr ? CreateTemplateDialog(program, id) : nullptr;
    if (dialog == nullptr) {
        lines.push_back(Format("%s: cannot be made from tactimer.exe's template", name));
        return;
    }
    const DialogFontFace font = DialogFont(dialog);
    const SIZE units = DialogBaseUnits(dialog);
    RECT rect;
    GetWindowRect(dialog, &rect);
    lines.push_back(Format("%s font: \"%s\" drawn as \"%s\", %ld px high", name,
                           Utf8(font.named).c_str(), Utf8(font.drawn).c_str(), font.height));
    lines.push_back(Format("%s dialog base units: %ld x %ld px; the %s is %ld x %ld px", name,
                           units.cx, units.cy, name, rect.right - rect.left,
                           rect.bottom - rect.top));
    DestroyTemplateDialog(dialog);
}

// The Windows version and build in a few words, and Wine's version under Wine.
std::string WindowsDescription() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    // GetVersionExW answers 6.2 to a program without a compatibility manifest.
    auto rtlGetVersion = Export<RtlGetVersionFunction>(ntdll, "RtlGetVersion");
    if (rtlGetVersion != nullptr) {
        rtlGetVersion(&version);
    }
    std::string text = Format("Windows %lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                              version.dwBuildNumber);
    const std::wstring product = RegistryText(L"ProductName");
    const std::wstring release = RegistryText(L"DisplayVersion");
    if (!product.empty()) {
        text += " (" + Utf8(product) + (release.empty() ? "" : " " + Utf8(release)) + ")";
    }
    auto wineGetVersion = Export<WineGetVersionFunction>(ntdll, "wine_get_version");
    if (wineGetVersion != nullptr) {
        text += std::string(" under Wine ") + wineGetVersion();
    }
    return text;
}

}  // namespace

std::vector<std::string> SystemReport(const std::wstring &tactimerPath) {
    std::vector<std::string> lines;
    lines.push_back("system: " + WindowsDescription());
    lines.push_back(Format("user interface language: 0x%04x; ANSI code page %u, OEM code page %u",
                           GetUserDefaultUILanguage(), GetACP(), GetOEMCP()));
    HDC screen = GetDC(nullptr);
    lines.push_back(Format("DPI as the programs see it: %d x %d; screen %d x %d px",
                           GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY),
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    ReleaseDC(nullptr, screen);
    lines.push_back(
        Format("caption %d px, menu bar %d px, sizing border %d x %d px, padded "
               "border %d px, border %d px",
               GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYMENU),
               GetSystemMetrics(SM_CXSIZEFRAME), GetSystemMetrics(SM_CYSIZEFRAME),
               GetSystemMetrics(SM_CXPADDEDBORDER), GetSystemMetrics(SM_CXBORDER)));
    // The frame is 350 x 370 with a one-line menu bar.
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    lines.push_back(Format("client area of the 350 x 370 frame: %ld x %ld px",
                           350 - (frame.right - frame.left), 370 - (frame.bottom - frame.top)));
    const LONG systemUnits = GetDialogBaseUnits();
    lines.push_back(
        Format("system dialog base units: %d x %d px", LOWORD(systemUnits), HIWORD(systemUnits)));
    HMODULE program = LoadProgramAsData(tactimerPath);
    DescribeDialog(program, IDD_CALC_FORM, "form", lines);
    DescribeDialog(program, IDD_VERSION_INFO, "version box", lines);
    if (program != nullptr) {
        FreeLibrary(program);
    }
    return lines;
}
