// tactimer-cli.exe in a console: the Japanese captions arrive as the
// characters themselves, whatever the console's code page, because the
// program writes them with WriteConsoleW and not as UTF-8 bytes, and no
// byte-order mark comes before them even when one is asked for. The test
// opens a console of its own, runs the program in it, and reads the
// console's screen back.
//
// usage: console_output_test TACTIMER_CLI_EXE
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// The console's screen, row by row, trailing blanks dropped.
std::wstring ScreenText() {
    HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(screen, &info);
    std::wstring text;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(info.dwSize.X, L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, &line[0], info.dwSize.X, {0, row}, &read);
        line.erase(line.find_last_not_of(L' ') + 1);
        text += line + L"\n";
    }
    CloseHandle(screen);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: console_output_test TACTIMER_CLI_EXE\n");
        return 2;
    }
    FreeConsole();
    if (!AllocConsole()) {
        std::fprintf(stderr, "FAILED: no console (error %lu)\n", GetLastError());
        return 1;
    }
    // A code page that cannot show the captions at all: only characters
    // written as UTF-16 can survive it.
    SetConsoleOutputCP(437);
    // Started with standard handles of its own (a test runner's log file),
    // this program keeps them after AllocConsole, and a child would inherit
    // them: hand the child the new console itself.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE keyboard =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keyboard;
    startup.hStdOutput = console;
    startup.hStdError = console;
    PROCESS_INFORMATION process = {};
    // Asked for a byte-order mark, which a console must not be given.
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\" --bom --triplets 120 480";
    if (!CreateProcessW(argv[1], &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "FAILED: cannot start tactimer-cli (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(console);
    CloseHandle(keyboard);
    const std::wstring screen = ScreenText();
    FreeConsole();
    int failures = 0;
    for (const wchar_t *expected :
         {L"    音価      Tick    ミリ秒", L"   付点4  11520.00  12000.00",
          L"    3連4   5120.00   5333.33"}) {
        if (screen.find(expected) == std::wstring::npos) {
            ++failures;
        }
    }
    if (screen.find(L'\uFEFF') != std::wstring::npos) {
        ++failures;
    }
    std::printf("%s\n",
                failures == 0 ? "passed" : "FAILED: the console does not show the table alone");
    if (failures != 0) {
        for (wchar_t c : screen) {
            if (c < 0x80) {
                std::printf("%c", static_cast<char>(c));
            } else {
                std::printf("\\u%04X", static_cast<unsigned>(c));
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
