// Reading the arguments and printing what they ask for.
#include "request/run_request.h"

#include "request/fit_mode.h"
#include "request/midi_mode.h"
#include "request/note_tables.h"
#include "request/request_arguments.h"
#include "request/tempo_for.h"
#include "request/write_mode.h"

#ifndef TACTIMER_VERSION
#error "TACTIMER_VERSION names the project's version"
#endif

namespace {

constexpr int kUsageError = 2;

// What a usage error shows after its message, and --help first.
const wchar_t kSynopsis[] =
    L"usage: tactimer-cli [OPTIONS] TEMPO RESOLUTION\n"
    L"       tactimer-cli [OPTIONS] --tempos LIST RESOLUTION\n"
    L"       tactimer-cli [OPTIONS] -\n"
    L"       tactimer-cli [--format F] [--lang L] --tempo-for MS NOTE\n"
    L"       tactimer-cli [--format F] [--lang L] [--fps RATE] [--start TC] --midi FILE\n"
    L"                    [--at TICKS] [--at-ms MS] [--at-tc TC]\n"
    L"       tactimer-cli [OPTIONS] --midi FILE --table-at TICK\n"
    L"       tactimer-cli [--format F] [--lang L] --midi FILE --write-tempo-map OUT\n"
    L"                    [--resolution N] [--strict] [--force]\n"
    L"       tactimer-cli [--format F] [--lang L] --tempo-map MAP\n"
    L"                    --write-tempo-map OUT [--resolution N] [--strict] [--force]\n"
    L"       tactimer-cli [--format F] [--lang L] --midi FILE --retick N --write OUT\n"
    L"                    [--strict] [--force]\n"
    L"       tactimer-cli [--format F] [--lang L] [FIT OPTIONS] --fit TIMES\n"
    L"       tactimer-cli [--format F] [--lang L] [--fps RATE] [--start TC]\n"
    L"                    [--resolution N] [--time-signature N/D]\n"
    L"                    --fit POSITION@TIME,... [--write-tempo-map OUT [--force]]\n"
    L"       tactimer-cli --help | -h | --version\n";

const wchar_t kHelp[] =
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
    L"                           each a comma apart: --tuplets 3,5,7,2:3; at most\n"
    L"                           32, a tuplet given twice shown once\n"
    L"  --triplets               the same as --tuplets 3\n"
    L"  --exact                  add the ticks as exact fractions (68 4/7), the\n"
    L"                           least resolution at which every row is whole,\n"
    L"                           and the tempo as a MIDI file stores it\n"
    L"  --samples RATE           add the length in samples at RATE a second\n"
    L"  --hz                     add the rate in Hz at which the note repeats\n"
    L"  --fps RATE               add the length in frames at RATE a second, and\n"
    L"                           the tempo as a click book writes it: the\n"
    L"                           quarter note's frames and eighths of a frame\n"
    L"                           (12-0 at 120 and 24 fps) and the tempo that\n"
    L"                           click plays; RATE is 23.976, 24, 25, 29.97,\n"
    L"                           29.97df, 30, 47.952, 48, 50, 59.94, 59.94df or\n"
    L"                           60 (df: drop-frame, whose timecodes take ';'\n"
    L"                           before the frames)\n"
    L"  --tempo-us               read TEMPO as microseconds a quarter note, as a\n"
    L"                           MIDI file stores it (500000 is 120)\n"
    L"  --tempos LIST            a table for each tempo of a comma-separated list\n"
    L"  -                        a table for each line of standard input, each a\n"
    L"                           TEMPO and a RESOLUTION (# starts a comment line),\n"
    L"                           printed as soon as its line is read\n"
    L"  --strict                 refuse a number with anything after it (120bpm)\n"
    L"                           or with nothing numeric in it, for scripts;\n"
    L"                           with --write-tempo-map or --retick, write\n"
    L"                           nothing if any event would move off its exact\n"
    L"                           time\n"
    L"  --tempo-for MS NOTE      the tempo at which NOTE lasts MS milliseconds\n"
    L"  --midi FILE              read a Standard MIDI File (or RMID): its format,\n"
    L"                           tracks and resolution, its tempo map and time\n"
    L"                           signatures with each change's bar:beat:tick and\n"
    L"                           exact time, and where it ends\n"
    L"  --at TICKS               with --midi, the time and bar:beat:tick of each\n"
    L"                           tick (a comma apart, or --at again), or of each\n"
    L"                           position BAR:BEAT:TICK or BAR:BEAT\n"
    L"  --at-ms MS               with --midi, the last tick that starts at or\n"
    L"                           before each time in milliseconds, with any\n"
    L"                           number of decimals, compared exactly\n"
    L"  --table-at TICK          with --midi and without --at, --at-ms or\n"
    L"                           --at-tc, the note-length table (with any of the\n"
    L"                           options above) at the tempo in force at TICK (or\n"
    L"                           a position) and the file's resolution\n"
    L"  --write-tempo-map OUT    write the tempo map alone as a MIDI file (format 1,\n"
    L"                           one track: name, time signatures, tempos, end),\n"
    L"                           for a DAW's tempo-map import; from --midi FILE,\n"
    L"                           from --tempo-map MAP, or from --fit\n"
    L"                           POSITION@TIME,... with a marker at each hit\n"
    L"  --tempo-map MAP          a map as --midi FILE --format csv|json prints it,\n"
    L"                           edited or not (- for standard input)\n"
    L"  --retick N --write OUT   write the whole song at N ticks a quarter note (1\n"
    L"                           to 32767): every event from tick t to t x N / R,\n"
    L"                           to the nearest tick where that is not whole\n"
    L"                           (halves to the earlier); every byte else as it\n"
    L"                           was; prints how many events moved and how far\n"
    L"  --force                  replace an existing OUT\n"
    L"  --fps RATE, with --midi  every time with its timecode HH:MM:SS:FF (.ss:\n"
    L"                           hundredths of a frame), the frame showing then;\n"
    L"                           the file's SMPTE offset sets the rate without\n"
    L"                           --fps, and the clock's start without --start\n"
    L"  --start TC               the timecode at tick 0, or at the cue's first\n"
    L"                           downbeat (00:00:00:00 unless the file says)\n"
    L"  --at-tc TC               with --midi, the last tick that starts at or\n"
    L"                           before each timecode\n"
    L"  --fit TIMES              the tempos that put hits on the beat: times from\n"
    L"                           the cue's first downbeat in ms, or timecodes\n"
    L"                           with --fps (from --start), in order; each tempo\n"
    L"                           tried as a MIDI file stores it, ranked by the\n"
    L"                           largest error of any hit, then by the sum of\n"
    L"                           squared errors; the best one's hits on the grid\n"
    L"  --grid NOTE              the note whose grid hits fall on (1/8; any\n"
    L"                           caption, tuplets too)\n"
    L"  --range LOW-HIGH         the tempos to try (60-180)\n"
    L"  --step S                 the step between them (0.01)\n"
    L"  --best N                 how many tempos to print (10, at most 1000)\n"
    L"  --fit POSITION@TIME,...  a tempo map that lands each hit on its time,\n"
    L"                           POSITION a tick, BAR:BEAT:TICK or BAR:BEAT, TIME\n"
    L"                           as for --fit TIMES, NAME= before it if wanted;\n"
    L"                           where one stored tempo misses a hit by more\n"
    L"                           than 1 µs, two a microsecond apart; printed as\n"
    L"                           --midi prints a file's map, with each hit's\n"
    L"                           exact error in µs\n"
    L"  --resolution N           with --fit, ticks a quarter note (960); with\n"
    L"                           --write-tempo-map, move the map to N ticks a\n"
    L"                           quarter note (the resolution of a CSV map without\n"
    L"                           one)\n"
    L"  --time-signature N/D     with --fit, what bars and beats count (4/4)\n"
    L"  --bom                    start the output with a UTF-8 byte-order mark\n"
    L"                           when it goes to a file or a pipe, for Excel and\n"
    L"                           Windows PowerShell 5.1 (a console needs none)\n"
    L"  --help, -h               print this and exit\n"
    L"  --version                print the version and exit\n"
    L"  --                       end the options: what follows is TEMPO and\n"
    L"                           RESOLUTION, whatever it starts with\n"
    L"\n"
    L"--at, --at-ms, --at-tc, --fit, --tuplets and --triplets may be repeated and\n"
    L"add up; every other option may be given once. Lists take a comma between\n"
    L"items, with any blanks around it. FIT OPTIONS are --fps, --start, --grid,\n"
    L"--range, --step, --best, --resolution and --time-signature.\n"
    L"\n"
    L"Limits: 999 characters for the value of --tuplets, --tempos, --at,\n"
    L"--at-ms, --at-tc, --fit, --midi and --tempo-for's MS (for each of --at,\n"
    L"--at-ms, --at-tc and --fit, all its values together), 99 for the other\n"
    L"options' values; 1,000 bytes for a line of standard input, whose first\n"
    L"line may start with a UTF-8 byte-order mark; 1,000,000 tempos tried by\n"
    L"--fit.\n"
    L"\n"
    L"With --tempos or -, CSV has tempo and resolution columns and JSON is an\n"
    L"array, however many pairs come; TEMPO RESOLUTION gives one table alone.\n"
    L"\n"
    L"JSON fields: tempo, resolution, us_per_quarter, stored_tempo,\n"
    L"drift_ms_per_100_quarters, whole_at_multiples_of (with --exact) and notes\n"
    L"[{note, ticks, ms, exact_ticks, samples, hz}]; for --tempo-for ms, note\n"
    L"and tempo; for --midi file, format, tracks, resolution or smpte {fps,\n"
    L"drop_frame, ticks_per_frame}, name, name_encoding (utf-8, shift_jis or\n"
    L"bytes), clock {fps, start, from} (with a rate), tempos, time_signatures,\n"
    L"end, at (at_ms for --at-ms, at_tc for --at-tc) and lenient, every object\n"
    L"with ms also with timecode when a rate is known; with --fps, the table's\n"
    L"frames, click and click_bpm; for --fit TIMES, fits [{bpm, us_per_quarter,\n"
    L"max_error_ms, max_error_frames, hits [{ms, timecode, bar, beat, beat_tick,\n"
    L"tick, error_ms}]}], best first; for --fit POSITION@TIME, --midi's\n"
    L"resolution, clock, tempos, time_signatures and end, and hits [{tick, bar,\n"
    L"beat, beat_tick, ms, timecode, error_us, name}], ms the time asked for.\n"
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
    L"  tactimer-cli --midi song.mid --at 15360 --at-ms 60000\n"
    L"  tactimer-cli --midi song.mid --table-at 15360 --triplets\n"
    L"  tactimer-cli --midi song.mid --fps 29.97df --at 9:1 --at-tc \"01:00:31;12\"\n"
    L"  tactimer-cli --lang en --fps 24 93.5 480\n"
    L"  tactimer-cli --fps 29.97df --fit \"00:00:02;00,00:00:03;28,00:00:05;27\"\n"
    L"  tactimer-cli --fps 29.97df --start \"01:00:00;00\" --fit\n"
    L"      \"1:1@01:00:00;00,door=9:1@01:00:16;00,17:3:480@01:00:31;12\"\n"
    L"      --write-tempo-map cue.mid\n"
    L"  tactimer-cli --midi song.mid --write-tempo-map tempo.mid\n"
    L"  tactimer-cli --midi song.mid --format json > map.json\n"
    L"  tactimer-cli --tempo-map map.json --write-tempo-map tempo.mid --force\n"
    L"  tactimer-cli --midi song.mid --retick 960 --write song-960.mid --strict\n"
    L"\n"
    L"Writing never touches the input: OUT may not be the file read, under any\n"
    L"name or link, nor an existing file without --force. The file is written\n"
    L"beside OUT under a temporary name, flushed to the disk, then renamed to\n"
    L"OUT; on any failure (a bad input, a full disk, Ctrl+C) OUT is as it was\n"
    L"and the temporary file is removed. OUT - writes to standard output (not a\n"
    L"terminal) and the report goes to standard error.\n"
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
Request g_request;

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

void FlushMarked(void *context) {
    FlushText(static_cast<MarkedOutput *>(context)->sink);
}

// Standard error that first hands on what standard output holds, so that
// both sent to one file keep the order they were written in: the tables of
// the good lines, then the error.
struct ErrorAfterOutput {
    TextSink out;
    TextSink err;
};

ErrorAfterOutput g_errorAfterOutput;

void WriteErrorAfterOutput(void *context, const wchar_t *text) {
    ErrorAfterOutput &sinks = *static_cast<ErrorAfterOutput *>(context);
    FlushText(sinks.out);
    WriteText(sinks.err, text);
}

}  // namespace

int RunRequest(const RequestPlatform &platform) {
    g_request = Request();
    g_errorAfterOutput = {platform.out, platform.err};
    const TextSink err = {&g_errorAfterOutput, WriteErrorAfterOutput, platform.err.console};
    const RequestAction action = ParseArguments(platform.arguments, err, g_request);
    const TextSink &standardOutput = platform.out;
    g_markedOutput = {standardOutput, false};
    // A console shows characters: a mark there would be one more, unseen.
    const TextSink out = g_request.byteOrderMark && !standardOutput.console
                             ? TextSink{&g_markedOutput, WriteMarked, false, FlushMarked}
                             : standardOutput;
    switch (action) {
        case RequestAction::kHelp:
            WriteText(out, kSynopsis);
            WriteText(out, kHelp);
            return 0;
        case RequestAction::kVersion:
            WriteText(out, L"tactimer-cli " TACTIMER_VERSION L"\n");
            return 0;
        case RequestAction::kUsageError:
            WriteText(err, kSynopsis);
            WriteText(err, L"Try 'tactimer-cli --help' for more.\n");
            return kUsageError;
        case RequestAction::kRun:
            break;
    }
    switch (g_request.mode) {
        case RequestMode::kTempoForLength:
            return PrintTempoForLength(g_request, out, err);
        case RequestMode::kMidiFile:
            return PrintMidiFile(g_request, platform, out, err);
        case RequestMode::kWriteMidi:
            return WriteMidiFile(g_request, platform, out, err);
        case RequestMode::kFitTempo:
        case RequestMode::kFitMap:
            return PrintFit(g_request, out, err);
        case RequestMode::kOnePair:
        case RequestMode::kTempoList:
        case RequestMode::kStandardInput:
            break;
    }
    return PrintNoteTables(g_request, platform.standardInput, out, err);
}
