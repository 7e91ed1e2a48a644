// Reading the command line and printing what it asks for.
#include "cli/run_cli.h"

#include <cwchar>

#include "cli/cli_options.h"
#include "cli/note_rows.h"
#include "cli/note_table_output.h"
#include "cli/pair_source.h"
#include "cli/tempo_for.h"

#ifndef TACTIMER_VERSION
#error "TACTIMER_VERSION names the project's version"
#endif

namespace {

constexpr int kUnusableInput = 1;
constexpr int kUsageError = 2;

const wchar_t kUsage[] =
    L"usage: tactimer-cli [OPTIONS] TEMPO RESOLUTION\n"
    L"       tactimer-cli [OPTIONS] --tempos LIST RESOLUTION\n"
    L"       tactimer-cli [OPTIONS] -\n"
    L"       tactimer-cli [--format F] [--lang L] --tempo-for MS NOTE\n"
    L"       tactimer-cli --help | -h | --version\n"
    L"\n"
    L"Prints how long sixteen note values last, plain and dotted, from the\n"
    L"thirty-second note to four whole notes, in ticks and in milliseconds, for\n"
    L"TEMPO quarter notes a minute and RESOLUTION ticks a quarter note: the same\n"
    L"texts as Tactimer's window shows. The numbers are read as the window reads\n"
    L"them: full-width digits too, no more than the first 99 characters, and\n"
    L"the number at the start of a text (93,5 is 93; abc is 0).\n"
    L"\n"
    L"  --format table|csv|json  a table (the default), CSV or JSON\n"
    L"  --lang ja|en             Japanese captions (the default) or English ones\n"
    L"  --tuplets LIST           add tuplets of the eight plain notes: N or N:D,\n"
    L"                           N notes in the time of D (2 to 1000, D from 1;\n"
    L"                           D defaults to the largest power of two below N),\n"
    L"                           each a comma apart: --tuplets 3,5,7,2:3\n"
    L"  --triplets               the same as --tuplets 3\n"
    L"  --exact                  add the ticks as exact fractions (68 4/7), the\n"
    L"                           least resolution at which every row is whole,\n"
    L"                           and the tempo as a MIDI file stores it\n"
    L"  --samples RATE           add the length in samples at RATE a second\n"
    L"  --hz                     add the rate in Hz at which the note repeats\n"
    L"  --tempo-us               read TEMPO as microseconds a quarter note, as a\n"
    L"                           MIDI file stores it (500000 is 120)\n"
    L"  --tempos LIST            a table for each tempo of a comma-separated list\n"
    L"  -                        a table for each line of standard input, each a\n"
    L"                           TEMPO and a RESOLUTION (# starts a comment line)\n"
    L"  --strict                 refuse a number with anything after it (120bpm)\n"
    L"                           or with nothing numeric in it, for scripts\n"
    L"  --tempo-for MS NOTE      the tempo at which NOTE lasts MS milliseconds\n"
    L"  --bom                    start the output with a UTF-8 byte-order mark\n"
    L"                           when it goes to a file or a pipe, for Excel and\n"
    L"                           Windows PowerShell 5.1 (a console needs none)\n"
    L"  --help, -h               print this and exit\n"
    L"  --version                print the version and exit\n"
    L"  --                       end the options: what follows is TEMPO and\n"
    L"                           RESOLUTION, whatever it starts with\n"
    L"\n"
    L"Captions, in Japanese and English: 1/8, 付点1/8 and dotted 1/8; for tuplets\n"
    L"3連1/8 and triplet 1/8, 5連 quintuplet, 6連 sextuplet, 7連 septuplet,\n"
    L"2:3連 duplet, and N連 or N:D連 and N:D tuplet for the others (9:8 tuplet\n"
    L"1/16). NOTE for --tempo-for is any of them.\n"
    L"\n"
    L"Examples:\n"
    L"  tactimer-cli --lang en --tuplets 3,5,7 --exact 120 480\n"
    L"  tactimer-cli --format json --samples 48000 --hz 93.5 480\n"
    L"  tactimer-cli --tempo-us 641711 960\n"
    L"  tactimer-cli --tempos 90,100,120 480\n"
    L"  printf '120 480\\n140 960\\n' | tactimer-cli --format csv -\n"
    L"  tactimer-cli --tempo-for 375 \"dotted 1/8\"\n"
    L"\n"
    L"Exit status: 0 printed, 1 the input cannot be used (or the output cannot\n"
    L"be written), 2 a usage error.\n"
    L"\n"
    L"Files and pipes get UTF-8. Windows PowerShell 5.1 reads a program's output\n"
    L"in the console's code page: run [Console]::OutputEncoding =\n"
    L"[Text.Encoding]::UTF8 first, or use --lang en. Excel opens a CSV as UTF-8\n"
    L"when it starts with a byte-order mark: use --bom.\n";

// Module state rather than locals: large fixed buffers, and no guarded
// function-level statics, which would pull the C++ runtime's exception
// support into the executable.
CliRequest g_request;
PairSource g_pairs;
TextPair g_pair;
TextPair g_nextPair;
NoteRows g_rows;

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

// Where a pair came from, for its failure: nothing for the two arguments.
void DescribePlace(const CliRequest &request, long number, FieldText &place) {
    switch (request.mode) {
        case CliMode::kTempoList:
            std::swprintf(place, kFieldTextCapacity, L"--tempos, item %ld: ", number);
            return;
        case CliMode::kStandardInput:
            std::swprintf(place, kFieldTextCapacity, L"standard input, line %ld: ", number);
            return;
        case CliMode::kOnePair:
        case CliMode::kTempoForLength:
            break;
    }
    place[0] = L'\0';
}

void ComplainAboutInput(const TextSink &err, const wchar_t *place, InputProblem problem,
                        const TextPair &pair) {
    switch (problem) {
        case InputProblem::kEmptyTempo:
            Complain(err, place, L"the tempo is empty");
            return;
        case InputProblem::kEmptyResolution:
            Complain(err, place, L"the resolution is empty");
            return;
        case InputProblem::kZeroResolution:
            Complain(err, place, L"the resolution reads as zero");
            return;
        case InputProblem::kResolutionHoldsNoNumber:
            Complain(err, place, L"the resolution '", pair.resolution,
                     L"' holds no number, so it reads as zero");
            return;
        case InputProblem::kTooLongToShow:
            Complain(err, place, L"every value is too long to show (more than 99 characters)");
            return;
        case InputProblem::kTempoNotANumber:
            Complain(err, place, L"the tempo '", pair.tempo, L"' is not a number and nothing else");
            return;
        case InputProblem::kResolutionNotANumber:
            Complain(err, place, L"the resolution '", pair.resolution,
                     L"' is not a number and nothing else");
            return;
        case InputProblem::kTempoNotMicroseconds:
            Complain(err, place, L"the tempo '", pair.tempo,
                     L"' is not whole microseconds a quarter note from 1 to 16777215");
            return;
        case InputProblem::kNone:
            break;
    }
}

void ComplainAboutLine(const TextSink &err, const wchar_t *place, PairStatus status) {
    switch (status) {
        case PairStatus::kBadLine:
            Complain(err, place, L"a line holds TEMPO and RESOLUTION and nothing else");
            return;
        case PairStatus::kLineTooLong:
            Complain(err, place, L"the line is longer than 1000 bytes");
            return;
        case PairStatus::kUnreadable:
            Complain(err, place, L"cannot be read");
            return;
        case PairStatus::kPair:
        case PairStatus::kEnd:
            break;
    }
}

// Prints the table of every pair in turn. One pair prints as it always
// has; from two on, each table is marked with its pair, and the first
// failure ends the output (closed, in JSON) after the tables before it.
// Whether there is more than one shows at the second, so each pair is read
// one ahead.
int PrintNoteTables(const CliRequest &request, ByteSource input, const TextSink &out,
                    const TextSink &err) {
    StartPairs(g_pairs, request, input);
    PairStatus status = NextPair(g_pairs, g_pair);
    long number = g_pairs.number;
    if (status == PairStatus::kEnd) {
        Complain(err, L"standard input holds no TEMPO and RESOLUTION");
        return kUnusableInput;
    }
    PairStatus nextStatus =
        status == PairStatus::kPair ? NextPair(g_pairs, g_nextPair) : PairStatus::kEnd;
    long nextNumber = g_pairs.number;
    NoteOutput output = {out, request.format, &request.notes, nextStatus != PairStatus::kEnd, 0};
    int exitStatus = 0;
    FieldText place;
    while (status != PairStatus::kEnd) {
        DescribePlace(request, number, place);
        if (status != PairStatus::kPair) {
            ComplainAboutLine(err, place, status);
            exitStatus = kUnusableInput;
            break;
        }
        const InputProblem problem =
            ComputeNoteRows(g_pair.tempo, g_pair.tempoLength, g_pair.resolution,
                            g_pair.resolutionLength, request.notes, g_rows);
        if (problem != InputProblem::kNone) {
            ComplainAboutInput(err, place, problem, g_pair);
            exitStatus = kUnusableInput;
            break;
        }
        WriteNoteRows(output, g_rows);
        g_pair = g_nextPair;
        status = nextStatus;
        number = nextNumber;
        nextStatus = status == PairStatus::kPair ? NextPair(g_pairs, g_nextPair) : PairStatus::kEnd;
        nextNumber = g_pairs.number;
    }
    EndNoteOutput(output);
    return exitStatus;
}

}  // namespace

int RunTactimerCli(const CliPlatform &platform) {
    g_request = CliRequest();
    const CliAction action = ParseArguments(platform.arguments, platform.err, g_request);
    const TextSink &standardOutput = platform.out;
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
            WriteText(platform.err, kUsage);
            return kUsageError;
        case CliAction::kRun:
            break;
    }
    if (g_request.mode == CliMode::kTempoForLength) {
        return PrintTempoForLength(g_request, out, platform.err);
    }
    return PrintNoteTables(g_request, platform.standardInput, out, platform.err);
}
