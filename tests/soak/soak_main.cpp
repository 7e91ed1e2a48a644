// The soak: drives one running tactimer.exe through thousands of
// calculations, version-box cycles and frame resizes with real keystrokes
// and clicks, checks every result against the core's own texts, and records
// the process's memory, windows and GDI objects from outside as it goes.
//
// usage: soak TACTIMER_EXE [--calculations N] [--box-cycles N] [--resizes N]
//             [--sample-every STEPS] [--seed N]
//
// Exits 0 when every step took effect in time, every result was right and
// no counter kept growing; 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/input_texts.h"
#include "tests/soak/process_counters.h"
#include "tests/ui/desktop_driver.h"
#include "tests/ui/expected_grid.h"

std::wstring g_tactimerPath;

namespace {

// How a calculation is started once both inputs are typed.
enum class CalculateBy { kEnterInTempo, kEnterInResolution, kClickOnCalculate };

struct SoakCalculation {
    std::wstring tempo;
    std::wstring resolution;
    CalculateBy by;
};

SoakCalculation NextCalculation(std::mt19937 &random) {
    SoakCalculation calculation;
    calculation.tempo = NextInputText(random);
    calculation.resolution = NextInputText(random);
    calculation.by = static_cast<CalculateBy>(std::uniform_int_distribution<int>(0, 2)(random));
    return calculation;
}

// The result fields that a calculation writes last.
constexpr int kLastWrittenFields[] = {1039, 1040};
// One calculation in this many has all 32 fields checked.
constexpr int kFullCheckEvery = 10;

struct SoakOptions {
    long calculations = 10000;
    long boxCycles = 1000;
    long resizes = 1000;
    long sampleEvery = 1000;
    unsigned seed = 1;
};

struct Sample {
    long step;
    const char *phase;
    double seconds;
    ProcessCounters counters;
};

struct SoakState {
    RunningTactimer app;
    std::mt19937 random;
    DWORD startTicks = 0;
    long step = 0;
    long sampleEvery = 1000;
    std::vector<Sample> samples;
    long wrongResults = 0;
    long fullChecks = 0;
    long stepsWithoutEffect = 0;
    long boxCycleFailures = 0;
    long altLostByWine = 0;
    long resizeFailures = 0;
};

void Record(SoakState &soak, const char *phase) {
    const ProcessCounters counters =
        ReadProcessCounters(soak.app.process.hProcess, soak.app.process.dwProcessId);
    const double seconds = (GetTickCount() - soak.startTicks) / 1000.0;
    soak.samples.push_back({soak.step, phase, seconds, counters});
    std::printf("%8ld  %-9s  %8.1f  %10lld  %11lld  %7lld  %8lld  %7lld\n", soak.step, phase,
                seconds, counters.workingSetKiB, counters.privateKiB, counters.windows,
                counters.gdiObjects, counters.handles);
    std::fflush(stdout);
}

// Counts the step, and samples the counters every sampleEvery steps.
void Stepped(SoakState &soak, const char *phase) {
    ++soak.step;
    if (soak.step % soak.sampleEvery == 0) {
        Record(soak, phase);
    }
}

std::string Printable(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text) {
        char escaped[16];
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

void NoEffect(SoakState &soak, const char *what) {
    ++soak.stepsWithoutEffect;
    std::printf("step %ld: %s did not take effect in time\n", soak.step, what);
}

// Tabs into the input, which selects its text, and replaces it.
bool TypeInto(SoakState &soak, int id, const std::wstring &text) {
    RunningTactimer &app = soak.app;
    if (!app.TabUntil(id)) {
        NoEffect(soak, "Tab to an input");
        return false;
    }
    if (text.empty()) {
        PressKey(VK_DELETE);
    } else {
        TypeUnicodeText(text);
    }
    if (!WaitUntil([&] { return app.FieldText(id) == text; })) {
        NoEffect(soak, "typing into an input");
        return false;
    }
    return true;
}

void Calculate(SoakState &soak, const SoakCalculation &calculation, bool fullCheck) {
    RunningTactimer &app = soak.app;
    std::vector<int> checked;
    if (fullCheck) {
        FillGridWith(app, L"#");
        for (const auto &field : DashedGrid()) {
            checked.push_back(field.first);
        }
        ++soak.fullChecks;
    } else {
        for (int id : kLastWrittenFields) {
            app.SetFieldText(id, L"#");
            checked.push_back(id);
        }
    }
    if (!TypeInto(soak, IDC_TEMPO, calculation.tempo) ||
        !TypeInto(soak, IDC_RESOLUTION, calculation.resolution)) {
        return;
    }
    switch (calculation.by) {
        case CalculateBy::kEnterInTempo:
            PressKey(VK_TAB, true);
            if (!app.WaitForFocus(IDC_TEMPO)) {
                NoEffect(soak, "Shift+Tab back to the tempo");
                return;
            }
            PressKey(VK_RETURN);
            break;
        case CalculateBy::kEnterInResolution:
            PressKey(VK_RETURN);
            break;
        case CalculateBy::kClickOnCalculate:
            if (!Click(Centre(WindowRect(app.Field(IDC_CALCULATE))))) {
                NoEffect(soak, "moving the mouse to 計算");
                return;
            }
            break;
    }
    // The fields are written in one go, so once the marks are gone all are.
    if (!WaitUntil([&] {
            for (int id : checked) {
                if (app.FieldText(id) == L"#") {
                    return false;
                }
            }
            return true;
        })) {
        NoEffect(soak, "the Calculate command");
        return;
    }
    const Grid expected = ExpectedGridForTexts(calculation.tempo, calculation.resolution);
    for (int id : checked) {
        const std::wstring shown = app.FieldText(id);
        if (shown != expected.at(id)) {
            ++soak.wrongResults;
            std::printf(
                "step %ld: tempo \"%s\", resolution \"%s\": field %d shows \"%s\", "
                "expected \"%s\"\n",
                soak.step, Printable(calculation.tempo).c_str(),
                Printable(calculation.resolution).c_str(), id, Printable(shown).c_str(),
                Printable(expected.at(id)).c_str());
        }
    }
}

std::string ClassOf(HWND window) {
    if (window == nullptr) {
        return "none";
    }
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return std::string(name) + " " + std::to_string(GetDlgCtrlID(window));
}

// What the program's thread was doing when a box cycle stalled.
void PrintThreadState(const SoakState &soak, const char *what) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(soak.app.Thread(), &info);
    std::printf(
        "step %ld: %s; thread flags 0x%lx, active %s, focus %s, menu owner %s, "
        "foreground is the frame: %s\n",
        soak.step, what, info.flags, ClassOf(info.hwndActive).c_str(),
        ClassOf(info.hwndFocus).c_str(), ClassOf(info.hwndMenuOwner).c_str(),
        GetForegroundWindow() == soak.app.frame ? "yes" : "no");
}

// Alt+H opens the Help menu, A the version box, Enter closes it. The keys
// are pressed with the focus in the tempo input, where an H that arrived
// without its Alt would type an "h": Wine's X11 driver sometimes drops the
// Alt of SendInput (see docs/wine-notes.md), and there that is told apart
// from a menu that the program failed to open. Windows drops no Alt: an "h"
// there is a failure like any other.
void BoxCycle(SoakState &soak) {
    RunningTactimer &app = soak.app;
    if (!app.TabUntil(IDC_TEMPO)) {
        NoEffect(soak, "Tab to the tempo before Alt+H");
        return;
    }
    PressKey('H', false, true);
    if (!WaitUntil([&] { return app.PopupMenu() != nullptr; })) {
        if (RunningUnderWine() && app.FieldText(IDC_TEMPO) == L"h") {
            ++soak.altLostByWine;
            std::printf("step %ld: Alt+H arrived as a plain H (Wine dropped the Alt)\n", soak.step);
        } else {
            ++soak.boxCycleFailures;
            PrintThreadState(soak, "Alt+H opened no menu");
        }
        PressKey(VK_ESCAPE);
        return;
    }
    PressKey('A');
    if (!WaitUntil([&] { return app.VersionBox() != nullptr; })) {
        ++soak.boxCycleFailures;
        PrintThreadState(soak, "A opened no version box");
        PressKey(VK_ESCAPE);
        return;
    }
    PressKey(VK_RETURN);
    if (!app.WaitForBoxClosed()) {
        ++soak.boxCycleFailures;
        PrintThreadState(soak, "Enter did not close the version box");
    }
}

void Resize(SoakState &soak) {
    RunningTactimer &app = soak.app;
    const int width = std::uniform_int_distribution<int>(200, 700)(soak.random);
    const int height = std::uniform_int_distribution<int>(150, 600)(soak.random);
    SetWindowPos(app.frame, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!WaitUntil([&] {
            const RECT frame = WindowRect(app.frame);
            return frame.right - frame.left == width && frame.bottom - frame.top == height &&
                   app.FormFillsClientArea();
        })) {
        ++soak.resizeFailures;
        std::printf("step %ld: the form does not fill a frame of %d x %d\n", soak.step, width,
                    height);
    }
}

struct CounterRule {
    const char *name;
    long long ProcessCounters::*counter;
    long long tolerance;
};

// Above these the rise is more than Wine's own caches and pools account for.
const CounterRule kCounterRules[] = {
    {"working set KiB", &ProcessCounters::workingSetKiB, 4096},
    {"private KiB", &ProcessCounters::privateKiB, 4096},
    {"windows", &ProcessCounters::windows, 8},
    {"GDI objects", &ProcessCounters::gdiObjects, 16},
    {"kernel handles", &ProcessCounters::handles, 32},
};

// A counter keeps growing when it ends more than its tolerance above where
// it stood after the warm-up, and still higher than at the run's middle.
// Prints each counter's start, middle and end; false when one keeps growing.
bool CountersSteady(const std::vector<Sample> &samples) {
    bool steady = true;
    for (const CounterRule &rule : kCounterRules) {
        const long long start = samples.front().counters.*rule.counter;
        const long long middle = samples[samples.size() / 2].counters.*rule.counter;
        const long long end = samples.back().counters.*rule.counter;
        if (start < 0) {
            std::printf("%s: not available on this platform\n", rule.name);
            continue;
        }
        const bool growing = end - start > rule.tolerance && end > middle;
        steady = steady && !growing;
        std::printf("%s: %lld at the start, %lld in the middle, %lld at the end: %s\n", rule.name,
                    start, middle, end, growing ? "KEEPS GROWING" : "steady");
    }
    return steady;
}

bool ParseOptions(int argc, wchar_t **argv, SoakOptions &options) {
    if (argc < 2 || argc % 2 != 0) {
        return false;
    }
    g_tactimerPath = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const long value = std::wcstol(argv[i + 1], nullptr, 10);
        if (value < 0) {
            return false;
        }
        if (std::wcscmp(argv[i], L"--calculations") == 0) {
            options.calculations = value;
        } else if (std::wcscmp(argv[i], L"--box-cycles") == 0) {
            options.boxCycles = value;
        } else if (std::wcscmp(argv[i], L"--resizes") == 0) {
            options.resizes = value;
        } else if (std::wcscmp(argv[i], L"--sample-every") == 0 && value > 0) {
            options.sampleEvery = value;
        } else if (std::wcscmp(argv[i], L"--seed") == 0) {
            options.seed = static_cast<unsigned>(value);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    SoakOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: soak TACTIMER_EXE [--calculations N] [--box-cycles N] "
                     "[--resizes N] [--sample-every STEPS] [--seed N]\n");
        return 2;
    }
    static SoakState soak;
    soak.random.seed(options.seed);
    soak.sampleEvery = options.sampleEvery;
    soak.startTicks = GetTickCount();
    if (!soak.app.Start()) {
        std::printf("tactimer.exe did not start\n");
        soak.app.Stop();
        return 1;
    }
    // One of each step first, so that what Wine sets up on first use is
    // counted in the start.
    Calculate(soak, {L"120", L"480", CalculateBy::kEnterInResolution}, false);
    BoxCycle(soak);
    Resize(soak);
    std::printf(
        "    step  phase      seconds      ws KiB  private KiB  windows  GDI objs  handles\n");
    Record(soak, "start");

    for (long i = 0; i < options.calculations; ++i) {
        Calculate(soak, NextCalculation(soak.random), i % kFullCheckEvery == 0);
        Stepped(soak, "calculate");
    }
    for (long i = 0; i < options.boxCycles; ++i) {
        BoxCycle(soak);
        Stepped(soak, "box");
    }
    for (long i = 0; i < options.resizes; ++i) {
        Resize(soak);
        Stepped(soak, "resize");
    }
    Record(soak, "end");
    const double seconds = soak.samples.back().seconds;

    PostMessageW(soak.app.frame, WM_CLOSE, 0, 0);
    const long exitCode = soak.app.WaitForExit();
    soak.app.Stop();

    std::printf("calculations: %ld (%ld checked in all 32 fields), wrong results: %ld\n",
                options.calculations, soak.fullChecks, soak.wrongResults);
    std::printf("box cycles: %ld, failed: %ld, Alt dropped by Wine: %ld\n", options.boxCycles,
                soak.boxCycleFailures, soak.altLostByWine);
    std::printf("resizes: %ld, failed: %ld\n", options.resizes, soak.resizeFailures);
    std::printf("steps without effect: %ld\n", soak.stepsWithoutEffect);
    std::printf("exit code: %ld\n", exitCode);
    std::printf("time: %.0f s\n", seconds);
    const bool steady = CountersSteady(soak.samples);
    const bool passed = soak.wrongResults == 0 && soak.stepsWithoutEffect == 0 &&
                        soak.boxCycleFailures == 0 && soak.resizeFailures == 0 && exitCode == 0 &&
                        steady;
    std::printf("%s\n", passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}
