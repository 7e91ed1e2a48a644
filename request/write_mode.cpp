// Reading the source, checking what can be kept exactly, then writing: the
// output is begun only once the input is known good, and any failure after
// that abandons the temporary file. The report goes to standard output, or
// to standard error when the file itself goes to standard output.
#include "request/write_mode.h"

#include <cstring>
#include <cwchar>

#include "midi/smf_retick.h"
#include "midi/tempo_map_file.h"
#include "request/fit_mode.h"
#include "request/song_file.h"
#include "request/tempo_map_text.h"
#include "text/json_output.h"
#include "text/shortest_number.h"
#include "text/utf8.h"

namespace {

constexpr int kUnusable = 1;

SmfSong g_song;
TempoMapFile g_map;
SmfOutput g_output;

const wchar_t *OutputProblemText(OutputProblem problem) {
    switch (problem) {
        case OutputProblem::kNone:
        case OutputProblem::kFailed:
            break;
        case OutputProblem::kIsInput:
            return L"is the file being read: write to another file";
        case OutputProblem::kExists:
            return L"exists: --force replaces it";
        case OutputProblem::kIsFolder:
            return L"is a folder";
        case OutputProblem::kTerminal:
            return L"is a terminal: redirect it to a file or a pipe";
        case OutputProblem::kNoFolder:
            return L"its folder does not exist";
        case OutputProblem::kNameTooLong:
            return L"the name is too long for the system";
        case OutputProblem::kDenied:
            return L"cannot be written there: permission denied or a read-only disk";
        case OutputProblem::kDiskFull:
            return L"the disk is full";
        case OutputProblem::kTooLarge:
            return L"the file would be larger than the system allows";
    }
    return L"cannot be written";
}

const wchar_t *OutputName(const WriteRequest &write) {
    return std::wcscmp(write.output.name, L"-") == 0 ? L"standard output" : write.output.name;
}

void ComplainAboutOutput(const WriteRequest &write, const TextSink &err, OutputProblem problem) {
    Complain(err, OutputName(write), L": ", OutputProblemText(problem), L" (nothing was written)");
}

// What a write needs from the platform, and the file being read.
struct Writing {
    const Request &request;
    const RequestPlatform &platform;
    const TextSink &err;
    const TextSink &report;
    ByteSource input;
    bool inputOpen;
};

void CloseInput(Writing &writing) {
    if (writing.inputOpen) {
        writing.platform.files.Close(writing.input);
        writing.inputOpen = false;
    }
}

bool BeginOutput(Writing &writing) {
    const WriteRequest &write = writing.request.write;
    const bool standardOutput = std::wcscmp(write.output.name, L"-") == 0;
    const OutputTarget target = {standardOutput ? -1 : write.output.argumentIndex,
                                 write.output.argumentSkip,
                                 writing.inputOpen ? &writing.input : nullptr, write.force};
    ByteSink sink;
    const OutputFiles &outputs = writing.platform.outputs;
    const OutputProblem problem = outputs.Begin(outputs.context, target, sink);
    if (problem != OutputProblem::kNone) {
        ComplainAboutOutput(write, writing.err, problem);
        return false;
    }
    StartOutput(g_output, sink);
    return true;
}

// Puts what was written in place; false, said, when it cannot be.
bool CommitOutput(Writing &writing) {
    const OutputFiles &outputs = writing.platform.outputs;
    const OutputProblem problem = outputs.Commit(outputs.context);
    if (problem != OutputProblem::kNone) {
        ComplainAboutOutput(writing.request.write, writing.err, problem);
        return false;
    }
    return true;
}

// Removes what was written; says why writing failed when the output did.
void AbandonOutput(Writing &writing, bool outputFailed) {
    const OutputFiles &outputs = writing.platform.outputs;
    const OutputProblem problem = outputs.Abandon(outputs.context);
    if (outputFailed) {
        ComplainAboutOutput(writing.request.write, writing.err, problem);
    }
}

struct ErrorTexts {
    FieldText ticks;
    char milliseconds[kMillisecondsTextSize];
};

ErrorTexts ErrorsOf(const RetickReport &report) {
    ErrorTexts texts;
    FormatShortestNumber(MaxTickError(report), texts.ticks);
    FormatMilliseconds(MaxTimeError(report), texts.milliseconds);
    return texts;
}

void WriteReport(const RetickReport &report, const Request &request, const TextSink &out) {
    const ErrorTexts errors = ErrorsOf(report);
    const long long least = LeastExactResolution(report);
    switch (request.format) {
        case OutputFormat::kTable:
            if (request.notes.language == CaptionLanguage::kJapanese) {
                Print(out,
                      L"書き込み: %ls\n分解能: %d → %d\nイベント: %lld\n"
                      L"正確な位置からずれたイベント: %lld\n最大誤差: %ls Tick、%s ミリ秒\n"
                      L"すべてのイベントが正確に収まる最小の分解能: %lld\n",
                      OutputName(request.write), report.resolutionFrom, report.resolutionTo,
                      report.events, report.moved, errors.ticks, errors.milliseconds, least);
            } else {
                Print(out,
                      L"written: %ls\nresolution: %d to %d\nevents: %lld\n"
                      L"moved off their exact time: %lld\nlargest error: %ls ticks, %s ms\n"
                      L"least resolution that keeps every event exact: %lld\n",
                      OutputName(request.write), report.resolutionFrom, report.resolutionTo,
                      report.events, report.moved, errors.ticks, errors.milliseconds, least);
            }
            break;
        case OutputFormat::kCsv:
            Print(out,
                  L"resolution_from,resolution_to,events,moved,max_error_ticks,max_error_ms,"
                  L"least_exact_resolution\r\n%d,%d,%lld,%lld,%ls,%s,%lld\r\n",
                  report.resolutionFrom, report.resolutionTo, report.events, report.moved,
                  errors.ticks, errors.milliseconds, least);
            break;
        case OutputFormat::kJson:
            Print(out,
                  L"{\"resolution_from\": %d, \"resolution_to\": %d, \"events\": %lld, "
                  L"\"moved\": %lld, \"max_error_ticks\": %ls, \"max_error_ms\": %s, "
                  L"\"least_exact_resolution\": %lld}\n",
                  report.resolutionFrom, report.resolutionTo, report.events, report.moved,
                  errors.ticks, errors.milliseconds, least);
            break;
    }
}

// --strict writes only what stays exact.
bool RefuseInexact(const Writing &writing, const wchar_t *source, const RetickReport &report) {
    if (!writing.request.notes.strict || report.moved == 0) {
        return false;
    }
    const ErrorTexts errors = ErrorsOf(report);
    ListText text;
    std::swprintf(text, kListTextCapacity,
                  L": --strict: %lld of %lld events would move off their exact time at "
                  L"resolution %d (by up to %ls ticks, %s ms); the least resolution that keeps "
                  L"them all exact is %lld (nothing was written)",
                  report.moved, report.events, report.resolutionTo, errors.ticks,
                  errors.milliseconds, LeastExactResolution(report));
    Complain(writing.err, source, text);
    return true;
}

// The map, from whichever source, at the resolution asked for.
int WriteMap(Writing &writing, const wchar_t *source) {
    const WriteRequest &write = writing.request.write;
    TempoMapFile &map = g_map;
    if (map.trackName[0] == '\0') {
        std::strcpy(map.trackName, "tempo map");
    }
    RetickReport report;
    if (!RetickTempoMap(map, write.resolutionValue != 0 ? write.resolutionValue : map.resolution,
                        report)) {
        Complain(writing.err, source, L": its tempo map does not fit in memory");
        return kUnusable;
    }
    if (RefuseInexact(writing, source, report)) {
        return kUnusable;
    }
    if (!FitsInFile(map)) {
        Complain(writing.err, source,
                 L": at that resolution a change would lie further from the one before than a "
                 L"MIDI file holds (0x0FFFFFFF ticks)");
        return kUnusable;
    }
    if (!BeginOutput(writing)) {
        return kUnusable;
    }
    if (!WriteTempoMapFile(map, g_output)) {
        AbandonOutput(writing, true);
        return kUnusable;
    }
    if (!CommitOutput(writing)) {
        return kUnusable;
    }
    // A fitted map was made at its resolution: what it says is the map
    // itself, with each hit's error.
    if (write.fromFit) {
        PrintFitMap(writing.request, writing.report);
    } else {
        WriteReport(report, writing.request, writing.report);
    }
    return 0;
}

// The hit's name, or its number counted from 1, as a marker's UTF-8 bytes.
void MarkerName(const ReportHit &hit, int number, SmfMarker &marker) {
    FieldText name;
    if (hit.nameLength > 0) {
        CopyTextPart(hit.name, hit.nameLength, name, kFieldTextCapacity);
    } else {
        std::swprintf(name, kFieldTextCapacity, L"%d", number);
    }
    EncodeUtf8Bytes(name, marker.name, kMaxNameBytes + 1);
}

int WriteFitTempoMap(Writing &writing) {
    FitMap fitted;
    if (!MakeFitMap(writing.request, writing.err, fitted)) {
        return kUnusable;
    }
    TempoMapFile &map = g_map;
    if (!TempoMapOfSong(*fitted.song, map)) {
        Complain(writing.err, L"--fit: its tempo map does not fit in memory");
        return kUnusable;
    }
    std::strcpy(map.trackName, "tempo map");
    // A DAW puts the cue at its timecode, where the offset can name it.
    const SongClock &clock = *fitted.clock;
    map.smpteOffset.present = clock.from == ClockStart::kStartOption &&
                              SmpteOffsetBytes({clock.rate, clock.start}, map.smpteOffset.bytes);
    map.markers.count = 0;
    for (int i = 0; i < fitted.hitCount; ++i) {
        SmfMarker marker = {fitted.hits[i].tick, {}};
        MarkerName(fitted.hits[i], i + 1, marker);
        if (!Append(map.markers, marker)) {
            Complain(writing.err, L"--fit: its tempo map does not fit in memory");
            return kUnusable;
        }
    }
    return WriteMap(writing, L"--fit");
}

int WriteSongTempoMap(Writing &writing) {
    const MidiRequest &midi = writing.request.midi;
    if (!ReadSongFile(midi, writing.platform, writing.err, g_song, writing.input)) {
        return kUnusable;
    }
    writing.inputOpen = true;
    if (g_song.division.smpte) {
        Complain(writing.err, midi.fileName, L": ",
                 L"its division is in SMPTE frames: it has no ticks a quarter note");
        return kUnusable;
    }
    if (!TempoMapOfSong(g_song, g_map)) {
        Complain(writing.err, midi.fileName, L": its tempo map does not fit in memory");
        return kUnusable;
    }
    return WriteMap(writing, midi.fileName);
}

int WriteTextTempoMap(Writing &writing) {
    const WriteRequest &write = writing.request.write;
    const RequestPlatform &platform = writing.platform;
    const bool standardInput = std::wcscmp(write.textMap.name, L"-") == 0;
    if (!standardInput) {
        if (!platform.files.Open(platform.files.context, write.textMap.argumentIndex,
                                 write.textMap.argumentSkip, writing.input)) {
            ComplainNotOpened(platform, writing.err, write.textMap.name);
            return kUnusable;
        }
        writing.inputOpen = true;
    }
    TempoMapTextError error;
    const wchar_t *source = standardInput ? L"standard input" : write.textMap.name;
    if (!ReadTempoMapText(standardInput ? platform.standardInput : writing.input,
                          write.resolutionValue, g_map, error)) {
        wchar_t line[48] = L"";
        if (error.line > 0) {
            std::swprintf(line, 48, L": line %lld", error.line);
        }
        Complain(writing.err, source, line, L": ", error.what);
        return kUnusable;
    }
    return WriteMap(writing, source);
}

int WriteRetickedSong(Writing &writing) {
    const MidiRequest &midi = writing.request.midi;
    const RequestPlatform &platform = writing.platform;
    if (!ReadSongFile(midi, platform, writing.err, g_song, writing.input)) {
        return kUnusable;
    }
    writing.inputOpen = true;
    const int to = writing.request.write.resolutionValue;
    RetickReport report;
    RetickError error;
    ByteSource again;
    // Each pass reads the file from its start.
    const auto pass = [&](SmfOutput *output) {
        if (!platform.files.Open(platform.files.context, midi.argumentIndex, midi.argumentSkip,
                                 again)) {
            error = {RetickProblem::kRead, {SmfProblem::kUnreadable, 0}};
            return false;
        }
        const bool moved = RetickSmf(again, g_song, to, output, report, error);
        platform.files.Close(again);
        return moved;
    };
    const auto complain = [&] {
        if (error.problem == RetickProblem::kRead) {
            ComplainAboutFile(writing.err, midi.fileName, error.read.offset,
                              SmfProblemText(error.read.problem));
        } else {
            ListText text;
            std::swprintf(text, kListTextCapacity, L": %s", RetickProblemText(error.problem));
            Complain(writing.err, midi.fileName, text);
        }
    };
    if (g_song.division.smpte) {
        error.problem = RetickProblem::kSmpte;
        complain();
        return kUnusable;
    }
    if (writing.request.notes.strict && !pass(nullptr)) {
        complain();
        return kUnusable;
    }
    if (RefuseInexact(writing, midi.fileName, report) || !BeginOutput(writing)) {
        return kUnusable;
    }
    const bool written = pass(&g_output);
    if (!written) {
        // A bad input found half-way is the input's fault, said once.
        const bool outputFailed = error.problem == RetickProblem::kCannotWrite;
        AbandonOutput(writing, outputFailed);
        if (!outputFailed) {
            complain();
        }
        return kUnusable;
    }
    if (!CommitOutput(writing)) {
        return kUnusable;
    }
    WriteReport(report, writing.request, writing.report);
    return 0;
}

}  // namespace

int WriteMidiFile(const Request &request, const RequestPlatform &platform, const TextSink &out,
                  const TextSink &err) {
    const WriteRequest &write = request.write;
    if (platform.outputs.Begin == nullptr) {
        Complain(err, L"files cannot be written here");
        return kUnusable;
    }
    const bool toStandardOutput = std::wcscmp(write.output.name, L"-") == 0;
    // The song itself goes to standard output: the report goes to standard
    // error.
    Writing writing = {request, platform, err, toStandardOutput ? err : out, {}, false};
    const int status = write.song       ? WriteRetickedSong(writing)
                       : write.fromText ? WriteTextTempoMap(writing)
                       : write.fromFit  ? WriteFitTempoMap(writing)
                                        : WriteSongTempoMap(writing);
    // Open until the output is in place: the platform checks again that it
    // is not the input.
    CloseInput(writing);
    return status;
}
