// Runs every test of the Windows test kit on the desktop it is started on,
// one after the other, each bounded in time: one line per test on the
// console, then "N passed, N failed". It writes results\junit.xml,
// results\summary.txt (what the system is, and every result) and each
// test's output to results\NAME.log. Run from the kit's folder, as
// run-tests.cmd does.
//
// usage: kit_runner
//
// Exits 0 only when every test passed.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/kit/system_report.h"
#include "tests/ui/template_dialog.h"

namespace {

const wchar_t kTactimer[] = L"bin\\tactimer.exe";
const wchar_t kTactimerCli[] = L"bin\\tactimer-cli.exe";
const wchar_t kResults[] = L"results";
const wchar_t kCliCases[] = L"tests\\cli-same-bytes\\";

struct KitTest {
    const char *name;
    const wchar_t *commandLine;  // null for the byte comparison the runner does itself
    DWORD timeLimitSeconds;
};

// The order puts the quick, keyboard-free tests first.
const KitTest kTests[] = {
    {"core_tests", L"tests\\core_tests.exe", 300},
    {"cli_tests", L"tests\\cli_tests.exe", 300},
    {"cli_same_bytes", nullptr, 0},
    {"stack_protector", L"tests\\stack_protector_test.exe", 120},
    {"resource_tests", L"tests\\resource_tests.exe bin\\tactimer.exe", 300},
    {"cli_console_output", L"tests\\console_output_test.exe bin\\tactimer-cli.exe", 120},
    {"ui_tests", L"tests\\ui_tests.exe bin\\tactimer.exe", 900},
    {"soak_short",
     L"tests\\soak.exe bin\\tactimer.exe --calculations 300 --box-cycles 100 --resizes 100 "
     L"--sample-every 100",
     1800},
};

struct Result {
    std::string name;
    bool passed;
    double seconds;
    std::string why;  // for a failure
};

std::wstring Wide(const std::string &text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring LogPath(const std::string &name) {
    return std::wstring(kResults) + L"\\" + Wide(name) + L".log";
}

HANDLE CreateForWriting(const std::wstring &path, bool inheritable) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, inheritable ? TRUE : FALSE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReadWholeFile(const std::wstring &path, std::string &bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes.clear();
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return true;
}

void WriteWholeFile(const std::wstring &path, const std::string &bytes) {
    HANDLE file = CreateForWriting(path, false);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

struct Finished {
    bool ran;
    bool timedOut;
    DWORD exitCode;
};

// Runs the command line with its input from the file and its output going
// to the files, in a job, so that on time-out it ends together with every
// program it started.
Finished Run(std::wstring commandLine, const std::wstring &inputPath, HANDLE output, HANDLE errors,
             DWORD timeLimitSeconds) {
    Finished finished = {false, false, 0};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input = CreateFileW(inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process = {};
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                       nullptr, &startup, &process)) {
        finished.ran = true;
        // Without a job (an old Windows inside one already) only the test
        // itself can be ended.
        const bool inJob = AssignProcessToJobObject(job, process.hProcess) != FALSE;
        ResumeThread(process.hThread);
        if (WaitForSingleObject(process.hProcess, timeLimitSeconds * 1000) == WAIT_TIMEOUT) {
            finished.timedOut = true;
            if (inJob) {
                TerminateJobObject(job, 1);
            } else {
                TerminateProcess(process.hProcess, 1);
            }
            WaitForSingleObject(process.hProcess, 10000);
        }
        GetExitCodeProcess(process.hProcess, &finished.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(job);
    CloseHandle(input);
    return finished;
}

double SecondsSince(ULONGLONG start) {
    return (GetTickCount64() - start) / 1000.0;
}

Result RunKitTest(const KitTest &test) {
    Result result = {test.name, false, 0, ""};
    HANDLE log = CreateForWriting(LogPath(test.name), true);
    const ULONGLONG start = GetTickCount64();
    // Nothing to read: no test waits for a keyboard.
    const Finished finished = Run(test.commandLine, L"NUL", log, log, test.timeLimitSeconds);
    result.seconds = SecondsSince(start);
    CloseHandle(log);
    char why[96];
    if (!finished.ran) {
        std::snprintf(why, sizeof why, "did not start");
    } else if (finished.timedOut) {
        std::snprintf(why, sizeof why, "took longer than %lu s", test.timeLimitSeconds);
    } else {
        std::snprintf(why, sizeof why, "exit code %lu", finished.exitCode);
    }
    result.passed = finished.ran && !finished.timedOut && finished.exitCode == 0;
    result.why = result.passed ? "" : why;
    return result;
}

// tactimer-cli.exe writes, to files, the bytes that the Linux build wrote
// for the same arguments and standard input when the kit was made: one case
// a line in cases, its standard input in NN.in, its expected output, errors
// and exit status in NN.out, NN.err and NN.status.
Result RunCliSameBytes() {
    Result result = {"cli_same_bytes", true, 0, ""};
    // Each case is bounded in time by itself.
    constexpr DWORD kCaseTimeLimitSeconds = 60;
    const ULONGLONG start = GetTickCount64();
    std::string cases;
    std::string log;
    int failures = 0;
    if (!ReadWholeFile(std::wstring(kCliCases) + L"cases", cases)) {
        result.passed = false;
        result.why = "no cases in the kit";
    }
    int number = 0;
    for (size_t begin = 0, end; begin < cases.size(); begin = end + 1) {
        end = cases.find('\n', begin);
        if (end == std::string::npos) {
            end = cases.size();
        }
        std::string arguments = cases.substr(begin, end - begin);
        if (!arguments.empty() && arguments.back() == '\r') {
            arguments.pop_back();
        }
        if (arguments.empty()) {
            continue;
        }
        ++number;
        wchar_t stem[16];
        std::swprintf(stem, 16, L"%02d", number);
        const std::wstring expected = std::wstring(kCliCases) + stem;
        const std::wstring got = std::wstring(kResults) + L"\\cli-" + stem;
        HANDLE output = CreateForWriting(got + L".out", true);
        HANDLE errors = CreateForWriting(got + L".err", true);
        const Finished finished = Run(L"\"" + std::wstring(kTactimerCli) + L"\" " + Wide(arguments),
                                      expected + L".in", output, errors, kCaseTimeLimitSeconds);
        CloseHandle(output);
        CloseHandle(errors);
        std::string wanted[3];
        std::string seen[3];
        const bool read = ReadWholeFile(expected + L".out", wanted[0]) &&
                          ReadWholeFile(expected + L".err", wanted[1]) &&
                          ReadWholeFile(expected + L".status", wanted[2]) &&
                          ReadWholeFile(got + L".out", seen[0]) &&
                          ReadWholeFile(got + L".err", seen[1]);
        seen[2] = std::to_string(finished.exitCode) + "\n";
        const bool same = read && finished.ran && !finished.timedOut && wanted[0] == seen[0] &&
                          wanted[1] == seen[1] && wanted[2] == seen[2];
        if (!same) {
            ++failures;
        }
        log += (same ? "ok: tactimer-cli " : "FAILED: tactimer-cli ") + arguments + " (" +
               std::to_string(seen[0].size()) + " bytes, status " +
               std::to_string(finished.exitCode) + ")\n";
    }
    WriteWholeFile(LogPath(result.name), log);
    result.seconds = SecondsSince(start);
    if (result.passed && (failures > 0 || number == 0)) {
        result.passed = false;
        result.why = std::to_string(failures) + " of " + std::to_string(number) + " cases differ";
    }
    return result;
}

std::string ResultLine(const Result &result) {
    char line[256];
    std::snprintf(
        line, sizeof line, "%s  %-20s %7.1f s%s%s", result.passed ? "PASS" : "FAIL",
        result.name.c_str(), result.seconds, result.passed ? "" : "  ",
        result.passed ? "" : (result.why + ", see results\\" + result.name + ".log").c_str());
    return line;
}

// Well-formed UTF-8 with the characters that XML cannot hold left out.
std::string XmlText(const std::string &bytes) {
    const std::wstring wide = Wide(bytes);
    std::string text;
    for (wchar_t c : wide) {
        switch (c) {
            case L'&':
                text += "&amp;";
                continue;
            case L'<':
                text += "&lt;";
                continue;
            case L'>':
                text += "&gt;";
                continue;
            case L'"':
                text += "&quot;";
                continue;
        }
        if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') {
            continue;
        }
        wchar_t one[2] = {c, L'\0'};
        text += Utf8(one);
    }
    return text;
}

std::string JUnitXml(const std::vector<Result> &results, int failed, double seconds) {
    char head[256];
    std::snprintf(head, sizeof head,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<testsuites tests=\"%zu\" failures=\"%d\" time=\"%.1f\">\n"
                  "  <testsuite name=\"tactimer-windows\" tests=\"%zu\" failures=\"%d\" "
                  "time=\"%.1f\">\n",
                  results.size(), failed, seconds, results.size(), failed, seconds);
    std::string xml = head;
    for (const Result &result : results) {
        char open[160];
        std::snprintf(open, sizeof open,
                      "    <testcase classname=\"tactimer\" name=\"%s\" time=\"%.1f\">\n",
                      result.name.c_str(), result.seconds);
        xml += open;
        if (!result.passed) {
            xml += "      <failure message=\"" + XmlText(result.why) + "\"/>\n";
        }
        std::string log;
        ReadWholeFile(LogPath(result.name), log);
        xml += "      <system-out>" + XmlText(log) + "</system-out>\n    </testcase>\n";
    }
    return xml + "  </testsuite>\n</testsuites>\n";
}

void Print(const std::string &line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int wmain() {
    CreateDirectoryW(kResults, nullptr);
    std::string summary = "\xEF\xBB\xBFTactimer's Windows tests\r\n\r\n";
    for (const std::string &line : SystemReport(kTactimer)) {
        summary += line + "\r\n";
    }
    summary += "\r\n";
    std::vector<Result> results;
    const ULONGLONG start = GetTickCount64();
    for (const KitTest &test : kTests) {
        results.push_back(test.commandLine != nullptr ? RunKitTest(test) : RunCliSameBytes());
        Print(ResultLine(results.back()));
    }
    int failed = 0;
    for (const Result &result : results) {
        summary += ResultLine(result) + "\r\n";
        failed += result.passed ? 0 : 1;
    }
    char last[64];
    std::snprintf(last, sizeof last, "%d passed, %d failed",
                  static_cast<int>(results.size()) - failed, failed);
    summary += std::string(last) + "\r\n";
    WriteWholeFile(std::wstring(kResults) + L"\\summary.txt", summary);
    WriteWholeFile(std::wstring(kResults) + L"\\junit.xml",
                   JUnitXml(results, failed, SecondsSince(start)));
    Print(last);
    return failed == 0 ? 0 : 1;
}
