// Reading the command line and printing the table.
#include "cli/run_cli.h"

#include <cwchar>

#include "cli/note_rows.h"
#include "cli/note_table_output.h"

#ifndef TACTIMER_VERSION
#error "TACTIMER_VERSION names the project's version"
#endif

namespace {

constexpr int kUsageError = 2;

const wchar_t kUsage[] =
    L"usage: tactimer-cli [--format table|csv|json] [--lang ja|en] [--triplets]\n"
    L"                    [--bom] TEMPO RESOLUTION\n"
    L"       tactimer-cli --help | --version\n"
    L"\n"
    L"Prints how long sixteen note values last, plain and dotted, from the\n"
    L"thirty-second note to four whole notes, in ticks and in milliseconds, for\n"
    L"TEMPO quarter notes a minute and RESOLUTION ticks a quarter note: the same\n"
    L"texts as Tactimer's window shows. The numbers are read as the window reads\n"
    L"them: full-width digits too, and no more than the first 99 characters.\n"
    L"\n"
    L"  --format table|csv|json  a table (the default), CSV or JSON\n"
    L"  --lang ja|en             Japanese captions (the default) or English ones\n"
    L"  --triplets               add the triplets of the eight plain notes\n"
    L"  --bom                    start the output with a UTF-8 byte-order mark\n"
    L"                           when it goes to a file or a pipe, for Excel and\n"
    L"                           Windows PowerShell 5.1 (a console needs none)\n"
    L"  --help                   print this and exit\n"
    L"  --version                print the version and exit\n"
    L"  --                       end the options: what follows is TEMPO and\n"
    L"                           RESOLUTION, whatever it starts with\n"
    L"\n"
    L"Exit status: 0 printed, 1 the input cannot be used (or the output cannot\n"
    L"be written), 2 a usage error.\n"
    L"\n"
    L"Files and pipes get UTF-8. Windows PowerShell 5.1 reads a program's output\n"
    L"in the console's code page: run [Console]::OutputEncoding =\n"
    L"[Text.Encoding]::UTF8 first, or use --lang en. Excel opens a CSV as UTF-8\n"
    L"when it starts with a byte-order mark: use --bom.\n";

struct CliRequest {
    OutputFormat format = OutputFormat::kTable;
    CaptionLanguage language = CaptionLanguage::kJapanese;
    bool triplets = false;
    bool byteOrderMark = false;
    int numberCount = 0;
    FieldText numbers[2];
};

enum class CliAction { kPrintNotes, kHelp, kVersion, kUsageError };

// Module state rather than locals: fixed buffers, and no guarded
// function-level statics, which would pull the C++ runtime's exception
// support into the executable.
CliRequest g_request;
NoteRows g_rows;

// "-" followed by a digit or a point is a negative number, not an option.
bool IsOption(const FieldText &argument) {
    const wchar_t next = argument[1];
    return argument[0] == L'-' && next != L'\0' && next != L'.' && (next < L'0' || next > L'9');
}

bool Is(const wchar_t *argument, const wchar_t *option) {
    return std::wcscmp(argument, option) == 0;
}

// Whether the argument is the option name, as "--name value" or
// "--name=value"; if so, value holds the value (empty when none follows)
// and index has moved past a separate one.
bool OptionValue(const ArgumentList &arguments, int &index, const FieldText &argument,
                 const wchar_t *name, FieldText &value) {
    const size_t length = std::wcslen(name);
    if (std::wcsncmp(argument, name, length) != 0 ||
        (argument[length] != L'=' && argument[length] != L'\0')) {
        return false;
    }
    if (argument[length] == L'=') {
        CopyFieldText(argument + length + 1, value);
    } else if (index + 1 < arguments.count) {
        arguments.Get(arguments.context, ++index, value);
    } else {
        value[0] = L'\0';
    }
    return true;
}

// In the order of OutputFormat and of CaptionLanguage.
const wchar_t *const kFormatNames[] = {L"table", L"csv", L"json"};
const wchar_t *const kLanguageNames[] = {L"ja", L"en"};

// The position of value among the names, or -1.
template <int N>
int ChoiceOf(const wchar_t *value, const wchar_t *const (&names)[N]) {
    for (int i = 0; i < N; ++i) {
        if (Is(value, names[i])) {
            return i;
        }
    }
    return -1;
}

void Complain(const TextSink &err, const wchar_t *first, const wchar_t *second = L"",
              const wchar_t *third = L"") {
    WriteText(err, L"tactimer-cli: ");
    WriteText(err, first);
    WriteText(err, second);
    WriteText(err, third);
    WriteText(err, L"\n");
}

CliAction ParseArguments(const ArgumentList &arguments, const TextSink &err, CliRequest &request) {
    bool optionsEnded = false;
    for (int index = 0; index < arguments.count; ++index) {
        FieldText argument;
        arguments.Get(arguments.context, index, argument);
        FieldText value;
        if (optionsEnded || !IsOption(argument)) {
            if (request.numberCount == 2) {
                Complain(err, L"one argument too many: '", argument, L"'");
                return CliAction::kUsageError;
            }
            CopyFieldText(argument, request.numbers[request.numberCount++]);
        } else if (Is(argument, L"--")) {
            optionsEnded = true;
        } else if (Is(argument, L"--help")) {
            return CliAction::kHelp;
        } else if (Is(argument, L"--version")) {
            return CliAction::kVersion;
        } else if (Is(argument, L"--triplets")) {
            request.triplets = true;
        } else if (Is(argument, L"--bom")) {
            request.byteOrderMark = true;
        } else if (OptionValue(arguments, index, argument, L"--format", value)) {
            const int format = ChoiceOf(value, kFormatNames);
            if (format < 0) {
                Complain(err, L"--format takes table, csv or json, not '", value, L"'");
                return CliAction::kUsageError;
            }
            request.format = static_cast<OutputFormat>(format);
        } else if (OptionValue(arguments, index, argument, L"--lang", value)) {
            const int language = ChoiceOf(value, kLanguageNames);
            if (language < 0) {
                Complain(err, L"--lang takes ja or en, not '", value, L"'");
                return CliAction::kUsageError;
            }
            request.language = static_cast<CaptionLanguage>(language);
        } else {
            Complain(err, L"unknown option '", argument, L"'");
            return CliAction::kUsageError;
        }
    }
    if (request.numberCount < 2) {
        Complain(err, request.numberCount == 0 ? L"TEMPO and RESOLUTION are missing"
                                               : L"RESOLUTION is missing");
        return CliAction::kUsageError;
    }
    return CliAction::kPrintNotes;
}

// Standard output that starts with a byte-order mark, written just before
// the first text so that output that never comes gets none.
struct MarkedOutput {
    TextSink sink;
    bool marked;
};

MarkedOutput g_markedOutput;

void WriteMarked(void *context, const wchar_t *text) {
    MarkedOutput &output = *static_cast<MarkedOutput *>(context);
    if (!output.marked) {
        output.marked = true;
        WriteText(output.sink, L"\uFEFF");
    }
    WriteText(output.sink, text);
}

}  // namespace

int RunTactimerCli(const ArgumentList &arguments, const TextSink &standardOutput,
                   const TextSink &err) {
    g_request = CliRequest();
    const CliAction action = ParseArguments(arguments, err, g_request);
    g_markedOutput = {standardOutput, false};
    // A console shows characters: a mark there would be one more, unseen.
    const TextSink out = g_request.byteOrderMark && !standardOutput.console
                             ? TextSink{&g_markedOutput, WriteMarked, false}
                             : standardOutput;
    switch (action) {
        case CliAction::kHelp:
            WriteText(out, kUsage);
            return 0;
        case CliAction::kVersion:
            WriteText(out, L"tactimer-cli " TACTIMER_VERSION L"\n");
            return 0;
        case CliAction::kUsageError:
            WriteText(err, kUsage);
            return kUsageError;
        case CliAction::kPrintNotes:
            break;
    }
    switch (ComputeNoteRows(g_request.numbers[0], g_request.numbers[1], g_request.language,
                            g_request.triplets, g_rows)) {
        case InputProblem::kEmptyTempo:
            Complain(err, L"the tempo is empty");
            return 1;
        case InputProblem::kEmptyResolution:
            Complain(err, L"the resolution is empty");
            return 1;
        case InputProblem::kZeroResolution:
            Complain(err, L"the resolution reads as zero");
            return 1;
        case InputProblem::kNone:
            break;
    }
    WriteNoteRows(g_rows, g_request.format, g_request.language, out);
    return 0;
}
