// Reading the hits, fitting them, and printing the fits or the map.
#include "request/fit_mode.h"

#include <cwchar>

#include "midi/midi_tempo.h"
#include "picture/error_text.h"
#include "picture/exact_map.h"
#include "request/midi_report.h"
#include "request/picture_arguments.h"
#include "request/song_clock.h"
#include "request/song_time_text.h"
#include "text/json_output.h"
#include "text/list_items.h"
#include "text/text_columns.h"
#include "text/utf8.h"

namespace {

constexpr int kUnusableInput = 1;
// --fit's 999 characters hold at most 500 hits.
constexpr int kMaxListHits = kListTextCapacity / 2;

// Each hit as typed, for messages and the map's names.
struct TypedHit {
    const wchar_t *text;
    int length;
};

TypedHit g_typed[kMaxListHits];
MidiTime g_times[kMaxListHits];
MapHit g_mapHits[kMaxListHits];
MidiTime g_errors[kMaxListHits];
ReportHit g_reportHits[kMaxListHits];
int g_hitCount;
FitResults g_results;
SmfSong g_song;
TempoMap g_map;
MidiReport g_report;
SongClock g_clock;

// The items of --fit in order, each without the blanks around it.
void ListHits(const wchar_t *hits) {
    g_hitCount = 0;
    for (const wchar_t *start = hits; start != nullptr && g_hitCount < kMaxListHits;) {
        const ListItem item = ListItemAt(start);
        g_typed[g_hitCount++] = {item.text, item.length};
        start = item.next;
    }
}

// "hit 3 ('1500')", counted from 1 as people count.
void NameHit(int index, wchar_t *text, int capacity) {
    FieldText typed;
    CopyTextPart(g_typed[index].text, g_typed[index].length, typed, kFieldTextCapacity);
    std::swprintf(text, capacity, L"hit %d ('%ls')", index + 1, typed);
}

// The refusal, then the hits it names.
void ComplainAboutCue(const TextSink &err, const CueError &error) {
    ListText problem;
    DecodeUtf8(CueProblemText(error.problem), problem, kListTextCapacity);
    wchar_t first[160] = L"";
    wchar_t second[160] = L"";
    if (error.first >= 0) {
        NameHit(error.first, first, 160);
    }
    if (error.second >= 0) {
        NameHit(error.second, second, 160);
    }
    ListText named = L"";
    if (error.first >= 0 && error.second >= 0) {
        std::swprintf(named, kListTextCapacity, L": %ls and %ls", first, second);
    } else if (error.second >= 0 && error.problem == CueProblem::kTempoNotStorable) {
        std::swprintf(named, kListTextCapacity, L": from tick 0 to %ls", second);
    } else if (error.second >= 0) {
        std::swprintf(named, kListTextCapacity, L": %ls", second);
    } else if (error.first >= 0) {
        std::swprintf(named, kListTextCapacity, L": %ls", first);
    }
    Complain(err, L"--fit: ", problem, named);
}

// ---- Which tempo puts the hits on the beat ----

bool IsJapanese(const Request &request) {
    return request.notes.language == CaptionLanguage::kJapanese;
}

void BpmText(const PictureSettings &settings, double bpm, FieldText &text) {
    std::swprintf(text, kFieldTextCapacity, L"%.*f", settings.bpmDecimals, bpm);
}

// The fits' cells, and the best one's hits'.
struct FitTable {
    const PictureSettings *settings;
    const FitRequest *request;
};

void FitCell(const void *context, long long row, int column, FieldText &text) {
    const FitTable &table = *static_cast<const FitTable *>(context);
    const TempoFit &fit = g_results.fits[row];
    char error[kErrorTextSize];
    switch (column) {
        case 0:
            BpmText(*table.settings, fit.bpm, text);
            return;
        case 1:
            std::swprintf(text, kFieldTextCapacity, L"%lu",
                          static_cast<unsigned long>(fit.microsecondsPerQuarter));
            return;
        case 2:
            FormatErrorMilliseconds(fit.largestError, error);
            std::swprintf(text, kFieldTextCapacity, L"%s", error);
            return;
    }
    std::swprintf(text, kFieldTextCapacity, L"%.2f",
                  FramesOfTime(fit.largestError, table.settings->rate));
}

// The columns of a hit: number, ms, timecode (with a clock), position, tick,
// error; without a clock the timecode's is passed over.
int HitColumn(int column) {
    return g_clock.running || column < 2 ? column : column + 1;
}

void HitCell(const void *context, long long row, int column, FieldText &text) {
    const FitTable &table = *static_cast<const FitTable *>(context);
    const HitOnGrid placed = PlaceHitOnGrid(
        *table.request, g_results.fits[0].microsecondsPerQuarter, static_cast<int>(row));
    char part[kErrorTextSize];
    switch (HitColumn(column)) {
        case 0:
            std::swprintf(text, kFieldTextCapacity, L"%lld", row + 1);
            return;
        case 1: {
            char milliseconds[kMillisecondsTextSize];
            FormatMilliseconds(g_times[row], milliseconds);
            std::swprintf(text, kFieldTextCapacity, L"%s", milliseconds);
            return;
        }
        case 2: {
            char timecode[kTimecodeTextSize];
            FormatClockAt(g_clock, g_times[row], timecode);
            std::swprintf(text, kFieldTextCapacity, L"%s", timecode);
            return;
        }
        case 3:
            std::swprintf(text, kFieldTextCapacity, L"%lld:%lld:%lld", placed.position.bar,
                          placed.position.beat, placed.position.beatTick);
            return;
        case 4:
            std::swprintf(text, kFieldTextCapacity, L"%llu",
                          static_cast<unsigned long long>(placed.tick));
            return;
        default:
            FormatErrorMilliseconds(placed.error, part);
            break;
    }
    std::swprintf(text, kFieldTextCapacity, L"%s", part);
}

// The grid note's caption in the language of the output.
void GridCaption(const Request &request, FieldText &caption) {
    NamedNote note = {2, false, {}};  // 1/8
    if (request.picture.grid.given) {
        ReadNoteCaption(request.picture.grid.text, note);
    }
    CaptionOf(note, request.notes.language, caption);
}

void WriteFitTable(const Request &request, const PictureSettings &settings, const FitRequest &fit,
                   const TextSink &out) {
    const bool japanese = IsJapanese(request);
    FieldText grid;
    GridCaption(request, grid);
    FieldText low;
    FieldText high;
    BpmText(settings, fit.lowBpm, low);
    BpmText(settings, fit.highBpm, high);
    // The step as typed: it may have more decimals than the tempos.
    FieldText step = L"0.01";
    if (request.picture.step.given) {
        CopyFieldText(request.picture.step.text, step);
    }
    if (japanese) {
        Print(out,
              L"ヒット %d 個、グリッド %ls（分解能 %d、%d/%d）: %ls～%ls BPM を %ls 刻みで %lld "
              L"個のテンポを試行\n",
              g_hitCount, grid, fit.resolution, fit.numerator, 1 << fit.denominatorPower, low, high,
              step, g_results.temposTried);
    } else {
        Print(out,
              L"%d %ls on a %ls grid (%d ticks a quarter note, %d/%d): %lld tempos tried from "
              L"%ls to %ls BPM by %ls\n",
              g_hitCount, g_hitCount == 1 ? L"hit" : L"hits", grid, fit.resolution, fit.numerator,
              1 << fit.denominatorPower, g_results.temposTried, low, high, step);
    }
    if (g_clock.running) {
        char start[kTimecodeTextSize];
        FormatClockStart(g_clock, start);
        Print(out, japanese ? L"タイムコード: %s、%s から\n" : L"timecode: %s from %s\n",
              FactsOf(g_clock.rate).name, start);
    }
    const wchar_t *const fitHeaders[2][4] = {
        {L"BPM", L"µs/quarter", L"largest error ms", L"largest error frames"},
        {L"BPM", L"マイクロ秒/四分音符", L"最大誤差（ミリ秒）", L"最大誤差（フレーム）"},
    };
    const int language = japanese ? 1 : 0;
    const FitTable table = {&settings, &fit};
    WriteText(out, L"\n");
    WriteColumnTable(out, {&table, g_clock.running ? 4 : 3, fitHeaders[language], g_results.count,
                           FitCell, nullptr});
    FieldText bpm;
    BpmText(settings, g_results.fits[0].bpm, bpm);
    Print(out, japanese ? L"\n%ls BPM でのヒット\n" : L"\nhits at %ls BPM\n", bpm);
    const wchar_t *const hitHeaders[2][6] = {
        {L"hit", L"ms", L"timecode", L"position", L"tick", L"error ms"},
        {L"ヒット", L"ミリ秒", L"タイムコード", L"位置", L"Tick", L"誤差（ミリ秒）"},
    };
    const wchar_t *shown[6];
    for (int column = 0; column < 6; ++column) {
        shown[column] = hitHeaders[language][HitColumn(column) < 6 ? HitColumn(column) : 5];
    }
    WriteColumnTable(out, {&table, g_clock.running ? 6 : 5, shown, g_hitCount, HitCell, nullptr});
}

// Each fit's hits, row by row: CSV has a row for each hit of each fit, and
// JSON a list in each fit.
void WriteFitCsv(const PictureSettings &settings, const FitRequest &fit, const TextSink &out) {
    const bool clock = g_clock.running;
    WriteText(out, clock ? L"rank,bpm,us_per_quarter,max_error_ms,max_error_frames,hit,ms,"
                           L"timecode,tick,bar,beat,beat_tick,error_ms\r\n"
                         : L"rank,bpm,us_per_quarter,max_error_ms,hit,ms,tick,bar,beat,"
                           L"beat_tick,error_ms\r\n");
    const FitTable table = {&settings, &fit};
    for (int i = 0; i < g_results.count; ++i) {
        const TempoFit &tempoFit = g_results.fits[i];
        FieldText fitCells[4];
        for (int column = 0; column < 4; ++column) {
            FitCell(&table, i, column, fitCells[column]);
        }
        for (int j = 0; j < g_hitCount; ++j) {
            const HitOnGrid placed = PlaceHitOnGrid(fit, tempoFit.microsecondsPerQuarter, j);
            char milliseconds[kMillisecondsTextSize];
            FormatMilliseconds(g_times[j], milliseconds);
            char error[kErrorTextSize];
            FormatErrorMilliseconds(placed.error, error);
            Print(out, L"%d,%ls,%ls,%ls,", i + 1, fitCells[0], fitCells[1], fitCells[2]);
            if (clock) {
                Print(out, L"%ls,", fitCells[3]);
            }
            Print(out, L"%d,%s,", j + 1, milliseconds);
            if (clock) {
                char timecode[kTimecodeTextSize];
                FormatClockAt(g_clock, g_times[j], timecode);
                Print(out, L"%s,", timecode);
            }
            Print(out, L"%llu,%lld,%lld,%lld,%s\r\n", static_cast<unsigned long long>(placed.tick),
                  placed.position.bar, placed.position.beat, placed.position.beatTick, error);
        }
    }
}

void WriteFitJson(const PictureSettings &settings, const FitRequest &fit, const TextSink &out) {
    const FitTable table = {&settings, &fit};
    WriteText(out, L"{\"fits\": [");
    for (int i = 0; i < g_results.count; ++i) {
        const TempoFit &tempoFit = g_results.fits[i];
        FieldText cells[4];
        for (int column = 0; column < 4; ++column) {
            FitCell(&table, i, column, cells[column]);
        }
        Print(out, L"%ls\n  {\"bpm\": %ls, \"us_per_quarter\": %ls, \"max_error_ms\": %ls",
              i == 0 ? L"" : L",", cells[0], cells[1], cells[2]);
        if (g_clock.running) {
            Print(out, L", \"max_error_frames\": %ls", cells[3]);
        }
        WriteText(out, L", \"hits\": [");
        for (int j = 0; j < g_hitCount; ++j) {
            const HitOnGrid placed = PlaceHitOnGrid(fit, tempoFit.microsecondsPerQuarter, j);
            char milliseconds[kMillisecondsTextSize];
            FormatMilliseconds(g_times[j], milliseconds);
            Print(out, L"%ls{\"ms\": %s", j == 0 ? L"" : L", ", milliseconds);
            if (g_clock.running) {
                char timecode[kTimecodeTextSize];
                FormatClockAt(g_clock, g_times[j], timecode);
                Print(out, L", \"timecode\": \"%s\"", timecode);
            }
            char error[kErrorTextSize];
            FormatErrorMilliseconds(placed.error, error);
            Print(out,
                  L", \"bar\": %lld, \"beat\": %lld, \"beat_tick\": %lld, \"tick\": %llu, "
                  L"\"error_ms\": %s}",
                  placed.position.bar, placed.position.beat, placed.position.beatTick,
                  static_cast<unsigned long long>(placed.tick), error);
        }
        WriteText(out, L"]}");
    }
    WriteText(out, L"\n]}\n");
}

int PrintTempoFits(const Request &request, const PictureSettings &settings, const TextSink &out,
                   const TextSink &err) {
    ListText message;
    for (int i = 0; i < g_hitCount; ++i) {
        ReadCueTime(g_typed[i].text, g_typed[i].length, settings, g_times[i], message);
    }
    FitRequest fit = settings.fit;
    fit.hits = g_times;
    fit.hitCount = g_hitCount;
    CueError error;
    if (!FitTempos(fit, g_results, error)) {
        ComplainAboutCue(err, error);
        return kUnusableInput;
    }
    switch (request.format) {
        case OutputFormat::kTable:
            WriteFitTable(request, settings, fit, out);
            break;
        case OutputFormat::kCsv:
            WriteFitCsv(settings, fit, out);
            break;
        case OutputFormat::kJson:
            WriteFitJson(settings, fit, out);
            break;
    }
    return 0;
}

// ---- A tempo map that lands every hit ----

// The positions' ticks under the meter, the hits' times and their names.
bool ReadMapHits(const PictureSettings &settings, const TextSink &err) {
    ListText message;
    for (int i = 0; i < g_hitCount; ++i) {
        MapHitText parts;
        SplitMapHit(g_typed[i].text, g_typed[i].length, parts);
        SongPlace place;
        ReadSongPlace(parts.position, parts.positionLength, place);
        PositionProblem problem = PositionProblem::kNone;
        if (!TickOfPlace(g_map, place, g_mapHits[i].tick, problem)) {
            FieldText position;
            CopyTextPart(parts.position, parts.positionLength, position, kFieldTextCapacity);
            ListText why;
            DecodeUtf8(PositionProblemText(problem), why, kListTextCapacity);
            wchar_t meter[64];
            std::swprintf(meter, 64, L"' is no position in %d/%d: ", settings.fit.numerator,
                          1 << settings.fit.denominatorPower);
            Complain(err, L"--fit: '", position, meter, why);
            return false;
        }
        ReadCueTime(parts.time, parts.timeLength, settings, g_mapHits[i].time, message);
        g_reportHits[i] = {
            g_mapHits[i].tick, g_mapHits[i].time, {0, 1}, parts.name, parts.nameLength};
    }
    return true;
}

// The map in g_song and g_map, each hit's error beside it; false, said,
// when it cannot be made.
bool MakeExactMap(const PictureSettings &settings, const TextSink &err) {
    const FitRequest &meter = settings.fit;
    CueProblem problem = CueProblem::kNone;
    if (!StartMeterSong(meter.resolution, meter.numerator, meter.denominatorPower, g_song,
                        problem) ||
        !BuildTempoMap(g_song, g_map)) {
        ComplainAboutCue(err, {CueProblem::kOutOfMemory, -1, -1});
        return false;
    }
    if (!ReadMapHits(settings, err)) {
        return false;
    }
    CueError error;
    if (!BuildExactMap(g_mapHits, g_hitCount, g_song, g_errors, error)) {
        ComplainAboutCue(err, error);
        return false;
    }
    if (!BuildTempoMap(g_song, g_map)) {
        ComplainAboutCue(err, {CueProblem::kOutOfMemory, -1, -1});
        return false;
    }
    for (int i = 0; i < g_hitCount; ++i) {
        g_reportHits[i].error = g_errors[i];
    }
    return true;
}

// The settings and the hits of the request.
void StartFit(const Request &request, PictureSettings &settings) {
    ListText message;
    // The arguments were checked: nothing here is refused.
    ReadPictureSettings(request, settings, message);
    g_clock = CueClock(settings);
    ListHits(request.picture.hits);
}

}  // namespace

int PrintFit(const Request &request, const TextSink &out, const TextSink &err) {
    PictureSettings settings;
    StartFit(request, settings);
    if (request.mode != RequestMode::kFitMap) {
        return PrintTempoFits(request, settings, out, err);
    }
    if (!MakeExactMap(settings, err)) {
        return kUnusableInput;
    }
    PrintFitMap(request, out);
    return 0;
}

bool MakeFitMap(const Request &request, const TextSink &err, FitMap &map) {
    PictureSettings settings;
    StartFit(request, settings);
    if (!MakeExactMap(settings, err)) {
        return false;
    }
    map = {&g_song, g_reportHits, g_hitCount, &g_clock};
    return true;
}

void PrintFitMap(const Request &request, const TextSink &out) {
    MidiReport &report = g_report;
    report.fileName = nullptr;
    report.clock = &g_clock;
    report.song = &g_song;
    report.map = &g_map;
    report.atCount = 0;
    report.askedForPoints = false;
    report.askedForTimecodes = false;
    report.hitCount = g_hitCount;
    report.hits = g_reportHits;
    WriteMidiReport(report, request.format, request.notes.language, out);
}
