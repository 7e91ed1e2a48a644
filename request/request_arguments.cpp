// The arguments: options anywhere, "--name value" or "--name=value", and
// the numbers.
#include "request/request_arguments.h"

#include <cmath>
#include <cwchar>

#include "calc/number_text.h"
#include "request/picture_arguments.h"
#include "request/song_time_text.h"
#include "request/write_arguments.h"
#include "text/list_items.h"

namespace {

bool Is(const wchar_t *argument, const wchar_t *option) {
    return std::wcscmp(argument, option) == 0;
}

bool IsDigitOrPoint(wchar_t c) {
    // Full-width forms too, as an input method types them.
    return (c >= L'0' && c <= L'9') || c == L'.' || (c >= L'\uFF10' && c <= L'\uFF19') ||
           c == L'\uFF0E';
}

// "-" followed by a digit or a point is a negative number, and "-" alone
// stands for standard input: neither is an option.
bool IsOption(const wchar_t *argument) {
    return argument[0] == L'-' && argument[1] != L'\0' && !IsDigitOrPoint(argument[1]);
}

const wchar_t kMidiOption[] = L"--midi";
const wchar_t kNotTickNorPosition[] =
    L"' is not a tick, a whole number from 0 to 2^62, nor a position, BAR:BEAT:TICK or BAR:BEAT";

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

// Walks the arguments once.
struct ArgumentCursor {
    const ArgumentList &arguments;
    const TextSink &err;
    int index;
    ListText argument;  // the one at index
    int length;         // its whole length, which may not fit
    bool failed;        // a usage error has been reported

    bool Next() {
        if (++index >= arguments.count) {
            return false;
        }
        length = arguments.Get(arguments.context, index, argument, kListTextCapacity);
        return true;
    }

    // Reports a usage error, the first only; the parse ends.
    void Fail(const wchar_t *first, const wchar_t *second = L"", const wchar_t *third = L"",
              const wchar_t *fourth = L"") {
        if (!failed) {
            Complain(err, first, second, third, fourth);
        }
        failed = true;
    }

    // Whether the argument is the option name, as "--name value" or
    // "--name=value"; if so, value holds the value and the cursor stands on
    // the argument that held it. A missing or overlong value fails.
    bool OptionValue(const wchar_t *name, wchar_t *value, int capacity) {
        const int nameLength = static_cast<int>(std::wcslen(name));
        if (std::wcsncmp(argument, name, nameLength) != 0 ||
            (argument[nameLength] != L'=' && argument[nameLength] != L'\0')) {
            return false;
        }
        int valueLength = 0;
        if (argument[nameLength] == L'=') {
            valueLength = length - nameLength - 1;
            CopyText(argument + nameLength + 1, value, capacity);
        } else if (Next()) {
            valueLength = length;
            CopyText(argument, value, capacity);
        } else {
            Fail(name, L" needs a value");
            return true;
        }
        if (valueLength >= capacity) {
            Fail(name, L": the value is longer than the ",
                 capacity == kListTextCapacity ? L"999 characters it may have"
                                               : L"99 characters it may have");
        }
        return true;
    }

    // An option whose value names a file, which the platform opens from the
    // argument itself: it may be longer than what is shown, and joined, past
    // "--name=".
    bool FileValue(const wchar_t *name, int optionIndex, ListText &shown, int &fileIndex,
                   int &skip) {
        if (!OptionValue(name, shown, kListTextCapacity)) {
            return false;
        }
        fileIndex = index;
        skip = index == optionIndex ? static_cast<int>(std::wcslen(name)) + 1 : 0;
        return true;
    }
};

// A positive finite number and nothing else.
bool ReadPositiveNumber(const wchar_t *text, double &value) {
    value = WideTextToDouble(text);
    return IsOnlyANumber(text) && std::isfinite(value) && value > 0;
}

// Adds the tuplets of a comma-separated list, each once, in their order.
void AddTuplets(ArgumentCursor &cursor, const wchar_t *list, NoteRequest &notes) {
    FieldText item;
    bool tooMany = false;
    // The item is whole in its copy when it fits a field.
    const bool read = ForEachListItem(list, item, [&](const wchar_t *, int length) {
        Tuplet tuplet;
        if (length == 0 || length >= kFieldTextCapacity ||
            ReadTupletRatio(item, tuplet) != length) {
            return false;
        }
        for (int i = 0; i < notes.tupletCount; ++i) {
            if (notes.tuplets[i].notes == tuplet.notes &&
                notes.tuplets[i].inTimeOf == tuplet.inTimeOf) {
                return true;
            }
        }
        tooMany = notes.tupletCount == kMaxTuplets;
        if (!tooMany) {
            notes.tuplets[notes.tupletCount++] = tuplet;
        }
        return !tooMany;
    });
    if (tooMany) {
        cursor.Fail(L"--tuplets: no more than 32 tuplets");
    } else if (!read) {
        cursor.Fail(L"--tuplets: '", item,
                    L"' is not N or N:D, N notes in the time of D, N from 2 and both up to 1000");
    }
}

// The ways of giving the numbers, of which one at most may be asked for.
struct ModeOptions {
    bool standardInput;
    bool tempoList;
    bool tempoFor;
    bool midi;
    bool fit;
    bool midiQueries;  // --at, --at-ms, --at-tc or --table-at
    bool points;       // --at, --at-ms or --at-tc
};

bool AsksForTableOptions(const Request &request) {
    const NoteRequest &notes = request.notes;
    return notes.tupletCount > 0 || notes.exact || notes.samples || notes.hertz ||
           notes.tempoInMicroseconds;
}

// Settles the mode, and whether the numbers and options that came fit it.
void CheckMode(ArgumentCursor &cursor, Request &request, const ModeOptions &modes) {
    if (WritesAFile(request)) {
        const wchar_t *problem = CheckWriteRequest(
            request, modes.standardInput || modes.tempoList || modes.tempoFor, modes.midi,
            modes.fit, modes.midiQueries || AsksForTableOptions(request));
        if (problem != nullptr) {
            cursor.Fail(problem);
        }
        return;
    }
    if (modes.standardInput + modes.tempoList + modes.tempoFor + modes.midi + modes.fit > 1) {
        cursor.Fail(L"-, --tempos, --tempo-for, --midi and --fit go one at a time");
        return;
    }
    if (modes.midiQueries && !modes.midi) {
        cursor.Fail(L"--at, --at-ms, --at-tc and --table-at go with --midi FILE");
        return;
    }
    if (modes.fit) {
        request.mode =
            HitsAreMapHits(request.picture.hits) ? RequestMode::kFitMap : RequestMode::kFitTempo;
        if (request.numberCount > 0 || AsksForTableOptions(request)) {
            cursor.Fail(
                L"--fit takes no TEMPO or RESOLUTION, and none of --tuplets, --triplets, "
                L"--exact, --samples, --hz or --tempo-us");
        }
        return;
    }
    if (modes.midi) {
        request.mode = RequestMode::kMidiFile;
        const MidiRequest &midi = request.midi;
        FieldText bad;
        SongPlace place;
        DecimalText time;
        const auto isTick = [&](const wchar_t *text, int length) {
            return ReadSongPlace(text, length, place);
        };
        const auto isTime = [&](const wchar_t *text, int length) {
            return ReadDecimalText(text, length, time);
        };
        if (request.numberCount > 0) {
            cursor.Fail(L"--midi FILE takes no TEMPO or RESOLUTION: the file holds them");
        } else if (AsksForTableOptions(request) && !midi.tableAtTick) {
            cursor.Fail(
                L"--tuplets, --triplets, --exact, --samples, --hz and --tempo-us go "
                L"with --table-at TICK");
        } else if (midi.tableAtTick && modes.points) {
            cursor.Fail(
                L"--table-at prints a note-length table: --at, --at-ms and --at-tc go without it");
        } else if (midi.ticks[0] != L'\0' && !ForEachListItem(midi.ticks, bad, isTick)) {
            cursor.Fail(L"--at: '", bad, kNotTickNorPosition);
        } else if (midi.times[0] != L'\0' && !ForEachListItem(midi.times, bad, isTime)) {
            cursor.Fail(L"--at-ms: '", bad,
                        L"' is not a time in milliseconds: digits, and a point and decimals if "
                        L"any");
        } else if (midi.tableAtTick &&
                   !isTick(midi.tableTick, static_cast<int>(std::wcslen(midi.tableTick)))) {
            cursor.Fail(L"--table-at: '", midi.tableTick, kNotTickNorPosition);
        } else if (midi.tableAtTick && request.notes.tempoInMicroseconds) {
            cursor.Fail(L"--table-at takes the tempo from the file: no --tempo-us");
        }
        return;
    }
    if (modes.tempoFor) {
        request.mode = RequestMode::kTempoForLength;
        if (request.numberCount > 0 || AsksForTableOptions(request)) {
            cursor.Fail(
                L"--tempo-for MS NOTE takes no TEMPO or RESOLUTION, and none of "
                L"--tuplets, --triplets, --exact, --samples, --hz, --tempo-us or --tempos");
        }
        return;
    }
    if (modes.standardInput) {
        request.mode = RequestMode::kStandardInput;
        if (request.numberCount > 0) {
            cursor.Fail(L"- reads TEMPO and RESOLUTION from standard input: no more numbers");
        }
        return;
    }
    if (modes.tempoList) {
        request.mode = RequestMode::kTempoList;
        if (request.numberCount != 1) {
            cursor.Fail(request.numberCount == 0 ? L"RESOLUTION is missing"
                                                 : L"--tempos LIST takes one more number: "
                                                   L"RESOLUTION");
        }
        return;
    }
    if (request.numberCount < 2) {
        cursor.Fail(request.numberCount == 0 ? L"TEMPO and RESOLUTION are missing"
                                             : L"RESOLUTION is missing");
    }
}

// Adds the value to a comma-separated list.
void AppendToList(ArgumentCursor &cursor, const wchar_t *option, const wchar_t *value,
                  ListText &list) {
    if (value[0] == L'\0') {
        cursor.Fail(option, L" needs a value");
        return;
    }
    const size_t used = std::wcslen(list);
    if (used + 1 + std::wcslen(value) >= static_cast<size_t>(kListTextCapacity)) {
        cursor.Fail(option, L": the values are longer than the 999 characters they may have");
        return;
    }
    if (used > 0) {
        list[used] = L',';
        list[used + 1] = L'\0';
    }
    std::wcscat(list, value);
}

// The options that take one value, or stand for the numbers: each may be
// given once, since a second would silently replace the first.
enum OnceOnly {
    kOnceStandardInput,
    kOnceTempoFor,
    kOnceFormat,
    kOnceLanguage,
    kOnceSamples,
    kOnceTempos,
    kOnceMidi,
    kOnceTableAt,
    kOnceWriteTempoMap,
    kOnceWrite,
    kOnceTempoMap,
    kOnceRetick,
    kOnceFps,
    kOnceStart,
    kOnceGrid,
    kOnceRange,
    kOnceStep,
    kOnceBest,
    kOnceResolution,
    kOnceTimeSignature,
    kOnceOnlyCount
};

const wchar_t *const kOnceOnlyNames[kOnceOnlyCount] = {
    L"-",
    L"--tempo-for",
    L"--format",
    L"--lang",
    L"--samples",
    L"--tempos",
    L"--midi",
    L"--table-at",
    L"--write-tempo-map",
    L"--write",
    L"--tempo-map",
    L"--retick",
    L"--fps",
    L"--start",
    L"--grid",
    L"--range",
    L"--step",
    L"--best",
    L"--resolution",
    L"--time-signature",
};

// Marks the option as given; a usage error the second time.
void GiveOnce(ArgumentCursor &cursor, bool (&given)[kOnceOnlyCount], OnceOnly option) {
    if (given[option]) {
        cursor.Fail(kOnceOnlyNames[option],
                    L" is given twice: only --at, --at-ms, --at-tc, --fit, --tuplets and "
                    L"--triplets add up");
    }
    given[option] = true;
}

// The picture options that take one value each.
bool ReadPictureOption(ArgumentCursor &cursor, bool (&given)[kOnceOnlyCount],
                       PictureRequest &picture) {
    OptionText *const texts[] = {&picture.fps,        &picture.start,        &picture.grid,
                                 &picture.range,      &picture.step,         &picture.best,
                                 &picture.resolution, &picture.timeSignature};
    for (int i = 0; i < static_cast<int>(sizeof texts / sizeof texts[0]); ++i) {
        const OnceOnly option = static_cast<OnceOnly>(kOnceFps + i);
        if (cursor.OptionValue(kOnceOnlyNames[option], texts[i]->text, kFieldTextCapacity)) {
            GiveOnce(cursor, given, option);
            texts[i]->given = true;
            return true;
        }
    }
    return false;
}

// The picture options, once the mode is settled: every timecode that can be
// read at a rate known now, and the hits.
void CheckPictureOptions(ArgumentCursor &cursor, Request &request) {
    PictureSettings settings;
    ListText message;
    bool usable = ReadPictureSettings(request, settings, message);
    if (usable && (request.mode == RequestMode::kFitTempo || MakesFitMap(request))) {
        usable = CheckHits(request, settings, message);
    }
    if (usable && settings.hasRate && request.midi.timecodes[0] != L'\0') {
        FieldText item;
        Timecode timecode;
        usable =
            ForEachListItem(request.midi.timecodes, item, [&](const wchar_t *text, int length) {
                return ReadTypedTimecode(L"--at-tc:", text, length, settings.rate, timecode,
                                         message);
            });
    }
    if (!usable) {
        cursor.Fail(message);
    }
    request.notes.frames = settings.hasRate;
    request.notes.frameRate = settings.rate;
}

}  // namespace

RequestAction ParseArguments(const ArgumentList &arguments, const TextSink &err, Request &request) {
    ArgumentCursor cursor = {arguments, err, -1, {}, 0, false};
    bool optionsEnded = false;
    ModeOptions modes = {};
    bool given[kOnceOnlyCount] = {};
    FieldText value;
    ListText list;
    WriteRequest &write = request.write;
    while (!cursor.failed && cursor.Next()) {
        // A value taken from the next argument replaces the argument's text.
        const wchar_t *const argument = cursor.argument;
        const int argumentIndex = cursor.index;
        if (optionsEnded || !IsOption(argument)) {
            if (Is(argument, L"-") && !optionsEnded) {
                GiveOnce(cursor, given, kOnceStandardInput);
                modes.standardInput = true;
            } else if (request.numberCount == 2) {
                CopyText(argument, value, kFieldTextCapacity);
                cursor.Fail(L"one argument too many: '", value, L"'");
            } else {
                CopyText(argument, request.numbers[request.numberCount], kFieldTextCapacity);
                request.numberLengths[request.numberCount++] = cursor.length;
            }
        } else if (Is(argument, L"--")) {
            optionsEnded = true;
        } else if (Is(argument, L"--help") || Is(argument, L"-h")) {
            return RequestAction::kHelp;
        } else if (Is(argument, L"--version")) {
            return RequestAction::kVersion;
        } else if (Is(argument, L"--triplets")) {
            AddTuplets(cursor, L"3", request.notes);
        } else if (Is(argument, L"--bom")) {
            request.byteOrderMark = true;
        } else if (Is(argument, L"--exact")) {
            request.notes.exact = true;
        } else if (Is(argument, L"--hz")) {
            request.notes.hertz = true;
        } else if (Is(argument, L"--tempo-us")) {
            request.notes.tempoInMicroseconds = true;
        } else if (Is(argument, L"--strict")) {
            request.notes.strict = true;
        } else if (Is(argument, L"--tempo-for")) {
            GiveOnce(cursor, given, kOnceTempoFor);
            modes.tempoFor = true;
            if (!cursor.Next()) {
                cursor.Fail(L"--tempo-for needs MS and NOTE");
                break;
            }
            if (cursor.length >= kListTextCapacity) {
                cursor.Fail(L"--tempo-for: MS is longer than the 999 characters it may have");
                break;
            }
            CopyText(cursor.argument, request.length, kListTextCapacity);
            if (!cursor.Next()) {
                cursor.Fail(L"--tempo-for needs NOTE after MS");
                break;
            }
            if (cursor.length >= kFieldTextCapacity) {
                cursor.Fail(L"--tempo-for: NOTE is longer than the 99 characters it may have");
                break;
            }
            CopyText(cursor.argument, request.note, kFieldTextCapacity);
        } else if (cursor.OptionValue(L"--format", value, kFieldTextCapacity)) {
            GiveOnce(cursor, given, kOnceFormat);
            const int format = ChoiceOf(value, kFormatNames);
            if (format >= 0) {
                request.format = static_cast<OutputFormat>(format);
            } else if (!cursor.failed) {
                cursor.Fail(L"--format takes table, csv or json, not '", value, L"'");
            }
        } else if (cursor.OptionValue(L"--lang", value, kFieldTextCapacity)) {
            GiveOnce(cursor, given, kOnceLanguage);
            const int language = ChoiceOf(value, kLanguageNames);
            if (language >= 0) {
                request.notes.language = static_cast<CaptionLanguage>(language);
            } else if (!cursor.failed) {
                cursor.Fail(L"--lang takes ja or en, not '", value, L"'");
            }
        } else if (cursor.OptionValue(L"--tuplets", list, kListTextCapacity)) {
            if (!cursor.failed) {
                AddTuplets(cursor, list, request.notes);
            }
        } else if (cursor.OptionValue(L"--samples", value, kFieldTextCapacity)) {
            GiveOnce(cursor, given, kOnceSamples);
            request.notes.samples = true;
            if (!cursor.failed && !ReadPositiveNumber(value, request.notes.sampleRate)) {
                cursor.Fail(
                    L"--samples takes a rate in samples a second, a positive number, "
                    L"not '",
                    value, L"'");
            }
        } else if (cursor.OptionValue(L"--tempos", request.tempoList, kListTextCapacity)) {
            GiveOnce(cursor, given, kOnceTempos);
            modes.tempoList = true;
        } else if (cursor.FileValue(kMidiOption, argumentIndex, request.midi.fileName,
                                    request.midi.argumentIndex, request.midi.argumentSkip)) {
            GiveOnce(cursor, given, kOnceMidi);
            modes.midi = true;
        } else if (cursor.FileValue(L"--write-tempo-map", argumentIndex, write.output.name,
                                    write.output.argumentIndex, write.output.argumentSkip)) {
            GiveOnce(cursor, given, kOnceWriteTempoMap);
            write.outputs += 1;
            write.tempoMap = true;
        } else if (cursor.FileValue(L"--write", argumentIndex, write.output.name,
                                    write.output.argumentIndex, write.output.argumentSkip)) {
            GiveOnce(cursor, given, kOnceWrite);
            write.outputs += 1;
            write.song = true;
        } else if (cursor.FileValue(L"--tempo-map", argumentIndex, write.textMap.name,
                                    write.textMap.argumentIndex, write.textMap.argumentSkip)) {
            GiveOnce(cursor, given, kOnceTempoMap);
            write.fromText = true;
        } else if (cursor.OptionValue(L"--retick", write.retickResolution, kFieldTextCapacity)) {
            GiveOnce(cursor, given, kOnceRetick);
            write.retick = true;
        } else if (Is(argument, L"--force")) {
            write.force = true;
        } else if (cursor.OptionValue(L"--at", list, kListTextCapacity)) {
            modes.midiQueries = modes.points = true;
            AppendToList(cursor, L"--at", list, request.midi.ticks);
        } else if (cursor.OptionValue(L"--at-ms", list, kListTextCapacity)) {
            modes.midiQueries = modes.points = true;
            AppendToList(cursor, L"--at-ms", list, request.midi.times);
        } else if (cursor.OptionValue(L"--table-at", request.midi.tableTick, kFieldTextCapacity)) {
            GiveOnce(cursor, given, kOnceTableAt);
            modes.midiQueries = true;
            request.midi.tableAtTick = true;
        } else if (cursor.OptionValue(L"--at-tc", list, kListTextCapacity)) {
            modes.midiQueries = modes.points = true;
            AppendToList(cursor, L"--at-tc", list, request.midi.timecodes);
        } else if (cursor.OptionValue(L"--fit", list, kListTextCapacity)) {
            modes.fit = true;
            AppendToList(cursor, L"--fit", list, request.picture.hits);
        } else if (!ReadPictureOption(cursor, given, request.picture)) {
            CopyText(argument, value, kFieldTextCapacity);
            cursor.Fail(L"unknown option '", value, L"'");
        }
    }
    if (!cursor.failed) {
        CheckMode(cursor, request, modes);
    }
    if (!cursor.failed) {
        CheckPictureOptions(cursor, request);
    }
    return cursor.failed ? RequestAction::kUsageError : RequestAction::kRun;
}
