// Writing what --midi found: a table for people, CSV with a kind column for
// spreadsheets, JSON for programs.
#include "request/midi_report.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>

#include "midi/midi_tempo.h"
#include "midi/smf_reader.h"
#include "picture/error_text.h"
#include "text/csv_output.h"
#include "text/json_output.h"
#include "text/one_line_text.h"
#include "text/shift_jis.h"
#include "text/text_columns.h"
#include "text/utf8.h"

namespace {

// A tick of the song with its place in bars and its time, and the
// timecode of that time when a clock runs.
struct SongPoint {
    std::uint64_t tick;
    BarPosition position;
    char milliseconds[kMillisecondsTextSize];
    char timecode[kTimecodeTextSize];
};

bool Clocked(const MidiReport &report) {
    return report.clock->running;
}

SongPoint PointOf(const MidiReport &report, std::uint64_t tick, const MidiTime &time) {
    SongPoint point;
    point.tick = tick;
    point.position = PositionOfTick(*report.map, tick);
    FormatMilliseconds(time, point.milliseconds);
    point.timecode[0] = '\0';
    if (Clocked(report)) {
        FormatClockAt(*report.clock, time, point.timecode);
    }
    return point;
}

SongPoint PointOfTick(const MidiReport &report, std::uint64_t tick) {
    return PointOf(report, tick, TimeOfTick(*report.map, tick));
}

SongPoint TempoPoint(const MidiReport &report, long long index) {
    return PointOf(report, report.song->tempos.items[index].tick,
                   TimeOfTempoChange(*report.map, index));
}

SongPoint SignaturePoint(const MidiReport &report, long long index) {
    return PointOfTick(report, report.song->timeSignatures.items[index].tick);
}

SongPoint AtPointOf(const MidiReport &report, long long index) {
    return PointOfTick(report, report.at[index].tick);
}

// A hit at the time it was asked for, not the time its tick plays.
SongPoint HitPoint(const MidiReport &report, long long index) {
    return PointOf(report, report.hits[index].tick, report.hits[index].asked);
}

void Format(FieldText &text, const wchar_t *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vswprintf(text, kFieldTextCapacity, format, arguments);
    va_end(arguments);
}

unsigned long long Tick(const SongPoint &point) {
    return static_cast<unsigned long long>(point.tick);
}

double Bpm(std::uint32_t microsecondsPerQuarter) {
    return BpmOfMidiTempo(static_cast<long>(microsecondsPerQuarter));
}

void PositionText(const BarPosition &position, FieldText &text) {
    if (position.known) {
        Format(text, L"%lld:%lld:%lld", position.bar, position.beat, position.beatTick);
    } else {
        CopyFieldText(L"-", text);
    }
}

long long Denominator(const SmfTimeSignature &signature) {
    return 1LL << signature.denominatorPower;
}

// The reader lets only these four through; 29 stands for 30 drop-frame,
// whose frames pass at 29.97 a second.
const wchar_t *FramesPerSecond(const SmfDivision &division) {
    switch (division.framesPerSecond) {
        case 24:
            return L"24";
        case 25:
            return L"25";
        case 29:
            return L"29.97";
    }
    return L"30";
}

// How a file's name is written: Japanese files most often name their tracks
// in Shift_JIS.
enum class NameEncoding { kUtf8, kShiftJis, kBytes };

const wchar_t *const kNameEncodings[] = {L"utf-8", L"shift_jis", L"bytes"};

// Each byte as \xNN at most.
constexpr int kNameTextCapacity = 4 * kMaxNameBytes + 1;
typedef wchar_t NameText[kNameTextCapacity];

// The name as UTF-8 when it is that, else as Shift_JIS when it is that,
// else its bytes: ASCII as it stands, the others as \xNN. A name cut at
// the reader's length may end inside a character.
NameEncoding DecodeName(const SmfSong &song, NameText &name) {
    const int count = static_cast<int>(std::strlen(song.name));
    const int cutAtMost = count == kMaxNameBytes ? 3 : 0;
    for (int cut = 0; cut <= cutAtMost; ++cut) {
        if (IsUtf8(song.name, count - cut)) {
            DecodeUtf8Bytes(song.name, count - cut, name, kNameTextCapacity);
            return NameEncoding::kUtf8;
        }
    }
    for (int cut = 0; cut <= cutAtMost && cut < 2; ++cut) {
        if (DecodeShiftJis(song.name, count - cut, name, kNameTextCapacity)) {
            return NameEncoding::kShiftJis;
        }
    }
    int length = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned byte = static_cast<unsigned char>(song.name[i]);
        if (byte < 0x80) {
            name[length++] = static_cast<wchar_t>(byte);
        } else {
            length += std::swprintf(name + length, 5, L"\\x%02X", byte);
        }
    }
    name[length] = L'\0';
    return NameEncoding::kBytes;
}

// The name on one line, control characters escaped.
NameEncoding ShownName(const SmfSong &song, NameText &shown) {
    NameText name;
    const NameEncoding encoding = DecodeName(song, name);
    ShowOnOneLine(name, static_cast<int>(std::wcslen(name)), shown, kNameTextCapacity);
    return encoding;
}

// What a section's cells are read from, and the point of the row whose
// cells are being written, worked out once for them all.
struct SectionOf {
    const MidiReport *report;
    bool japanese;
    SongPoint (*pointOf)(const MidiReport &report, long long row);
    mutable long long row;
    mutable SongPoint point;
};

const MidiReport &ReportOf(const void *context) {
    return *static_cast<const SectionOf *>(context)->report;
}

const SongPoint &RowPoint(const void *context, long long row) {
    const SectionOf &section = *static_cast<const SectionOf *>(context);
    if (section.row != row) {
        section.point = section.pointOf(*section.report, row);
        section.row = row;
    }
    return section.point;
}

// The columns that each section's rows have: the tick and its position
// first, its time and then its timecode (when a clock runs) last. False for
// the columns between them.
bool PointCell(const MidiReport &report, const SongPoint &point, int column, int columns,
               FieldText &text) {
    const int timeColumn = Clocked(report) ? columns - 2 : columns - 1;
    if (column == 0) {
        Format(text, L"%llu", Tick(point));
    } else if (column == 1) {
        PositionText(point.position, text);
    } else if (column == timeColumn) {
        Format(text, L"%s", point.milliseconds);
    } else if (column == timeColumn + 1) {
        Format(text, L"%s", point.timecode);
    } else {
        return false;
    }
    return true;
}

// The columns of a section that has middle columns of its own.
int PointColumns(const MidiReport &report, int middle) {
    return 3 + middle + (Clocked(report) ? 1 : 0);
}

void TempoCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const SmfTempo &tempo = report.song->tempos.items[row];
    if (PointCell(report, RowPoint(context, row), column, PointColumns(report, 2), text)) {
        return;
    }
    if (column == 2) {
        Format(text, L"%lu", static_cast<unsigned long>(tempo.microsecondsPerQuarter));
    } else {
        Format(text, L"%.2f", Bpm(tempo.microsecondsPerQuarter));
    }
}

const wchar_t *ImpliedMark(const void *context, long long row) {
    return !ReportOf(context).song->tempos.items[row].implied  ? L""
           : static_cast<const SectionOf *>(context)->japanese ? L"  （暗黙）"
                                                               : L"  (implied)";
}

void SignatureCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const SmfTimeSignature &signature = report.song->timeSignatures.items[row];
    if (!PointCell(report, RowPoint(context, row), column, PointColumns(report, 1), text)) {
        Format(text, L"%d/%lld", signature.numerator, Denominator(signature));
    }
}

// Text written into a buffer, cut to it.
struct FieldWriter {
    wchar_t *text;
    int used;
    int capacity;
};

void WriteIntoField(void *context, const wchar_t *text) {
    FieldWriter &writer = *static_cast<FieldWriter *>(context);
    for (; *text != L'\0' && writer.used < writer.capacity - 1; ++text) {
        writer.text[writer.used++] = *text;
    }
    writer.text[writer.used] = L'\0';
}

// A timecode typed for --at-tc, as the clock shows it.
void AskedTimecodeText(const MidiReport &report, const AtPoint &at, FieldText &text) {
    char timecode[kTimecodeTextSize];
    FormatClock(report.clock->rate, {at.askedTimecode, at.askedTimecode.hundredths != 0, 0},
                timecode);
    Format(text, L"%s", timecode);
}

// The time asked for comes after the tick found for it; a table shows no
// more than a field's 99 characters of it.
void AtCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const AtPoint &at = report.at[row];
    const int asked = report.askedForTimecodes ? 2 : 1;
    if (PointCell(report, RowPoint(context, row), column, PointColumns(report, asked), text)) {
        return;
    }
    FieldWriter writer = {text, 0, kFieldTextCapacity};
    text[0] = L'\0';
    if (column == 2 && at.forTime) {
        WriteDecimal({&writer, WriteIntoField}, at.askedMilliseconds);
    } else if (column == 3 && at.forTimecode) {
        AskedTimecodeText(report, at, text);
    }
}

bool AnyHitNamed(const MidiReport &report) {
    for (int i = 0; i < report.hitCount; ++i) {
        if (report.hits[i].nameLength > 0) {
            return true;
        }
    }
    return false;
}

// A hit's error after its time, and its name last.
void HitCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const ReportHit &hit = report.hits[row];
    const int timeColumns = Clocked(report) ? 2 : 1;
    if (PointCell(report, RowPoint(context, row), column, 2 + timeColumns, text)) {
        return;
    }
    if (column == 2 + timeColumns) {
        char error[kErrorTextSize];
        FormatErrorMicroseconds(hit.error, error);
        Format(text, L"%s", error);
    } else {
        CopyTextPart(hit.name, hit.nameLength, text, kFieldTextCapacity);
    }
}

// The clock's rate, where it starts and why there.
void WriteClockLine(const MidiReport &report, bool japanese, const TextSink &out) {
    const SongClock &clock = *report.clock;
    char start[kTimecodeTextSize];
    FormatClockStart(clock, start);
    const wchar_t *const from[2][3] = {
        {L"", L", the file's SMPTE offset", L" (--start)"},
        {L"", L"（ファイルの SMPTE オフセット）", L"（--start）"},
    };
    Print(out, japanese ? L"タイムコード: %s、%s から%ls\n" : L"timecode: %s from %s%ls\n",
          FactsOf(clock.rate).name, start, from[japanese ? 1 : 0][static_cast<int>(clock.from)]);
}

void WriteHeading(const MidiReport &report, bool japanese, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
    if (report.fileName == nullptr) {
        Print(out,
              japanese ? L"ヒットに合わせたテンポマップ: 分解能 %d、ヒット %d 個\n"
                       : L"tempo map that lands the hits: %d ticks a quarter note, %d %ls\n",
              division.ticksPerQuarter, report.hitCount, report.hitCount == 1 ? L"hit" : L"hits");
        if (Clocked(report)) {
            WriteClockLine(report, japanese, out);
        }
        return;
    }
    WriteOnOneLine(out, report.fileName);
    if (japanese) {
        Print(out, L": フォーマット %d、トラック %d、", song.format, song.trackCount);
    } else {
        Print(out, L": format %d, %d %ls, ", song.format, song.trackCount,
              song.trackCount == 1 ? L"track" : L"tracks");
    }
    if (division.smpte) {
        Print(out,
              japanese ? L"SMPTE 毎秒 %ls フレーム、1 フレーム %d Tick\n"
                       : L"SMPTE %ls frames a second, %d ticks a frame\n",
              FramesPerSecond(division), division.ticksPerFrame);
    } else {
        Print(out, japanese ? L"分解能 %d\n" : L"%d ticks a quarter note\n",
              division.ticksPerQuarter);
    }
    if (song.name[0] != '\0') {
        NameText name;
        const NameEncoding encoding = ShownName(song, name);
        const wchar_t *const labels[2][3] = {
            {L"name: ", L"name (Shift_JIS): ", L"name (bytes): "},
            {L"曲名: ", L"曲名（Shift_JIS）: ", L"曲名（バイト列）: "},
        };
        WriteText(out, labels[japanese ? 1 : 0][static_cast<int>(encoding)]);
        WriteText(out, name);
        WriteText(out, L"\n");
    }
    if (Clocked(report)) {
        WriteClockLine(report, japanese, out);
    }
    if (song.warningCount > 0) {
        Print(out,
              japanese ? L"寛容に読み込み: 規則違反 %lld 件（標準エラーに表示）\n"
                       : L"read leniently: %lld broken rules let pass, named on standard error\n",
              song.warningCount + song.moreWarnings);
    }
}

// A section's headers: the tick and position, its own, then the time and,
// with a clock, the timecode.
struct Headers {
    const wchar_t *names[kMaxTableColumns];
    int count;
};

const wchar_t *const kPointHeaders[2][4] = {
    {L"tick", L"position", L"ms", L"timecode"},
    {L"Tick", L"位置", L"ミリ秒", L"タイムコード"},
};

Headers HeadersOf(const MidiReport &report, int language, const wchar_t *const *middle,
                  int middleCount) {
    Headers headers = {{kPointHeaders[language][0], kPointHeaders[language][1]}, 2};
    for (int i = 0; i < middleCount; ++i) {
        headers.names[headers.count++] = middle[i];
    }
    headers.names[headers.count++] = kPointHeaders[language][2];
    if (Clocked(report)) {
        headers.names[headers.count++] = kPointHeaders[language][3];
    }
    return headers;
}

const wchar_t *const kTempoHeaders[2][2] = {
    {L"µs/quarter", L"BPM"},
    {L"マイクロ秒/四分音符", L"BPM"},
};
const wchar_t *const kSignatureHeaders[2][1] = {{L"signature"}, {L"拍子"}};
const wchar_t *const kAtHeaders[2][2] = {
    {L"asked ms", L"asked timecode"},
    {L"指定ミリ秒", L"指定タイムコード"},
};
const wchar_t *const kHitHeaders[2][2] = {
    {L"error µs", L"name"},
    {L"誤差（マイクロ秒）", L"名前"},
};

void WriteHits(const MidiReport &report, bool japanese, const TextSink &out) {
    const int language = japanese ? 1 : 0;
    WriteText(out, japanese ? L"\nヒット\n" : L"\nhits\n");
    Headers headers = HeadersOf(report, language, nullptr, 0);
    headers.names[headers.count++] = kHitHeaders[language][0];
    if (AnyHitNamed(report)) {
        headers.names[headers.count++] = kHitHeaders[language][1];
    }
    const SectionOf hits = {&report, japanese, HitPoint, -1, {}};
    WriteColumnTable(out, {&hits, headers.count, headers.names, report.hitCount, HitCell, nullptr});
}

void WriteTable(const MidiReport &report, bool japanese, const TextSink &out) {
    const SmfSong &song = *report.song;
    const int language = japanese ? 1 : 0;
    WriteHeading(report, japanese, out);
    WriteText(out, japanese ? L"\nテンポマップ\n" : L"\ntempo map\n");
    const SectionOf tempos = {&report, japanese, TempoPoint, -1, {}};
    const Headers tempoHeaders = HeadersOf(report, language, kTempoHeaders[language], 2);
    WriteColumnTable(out, {&tempos, tempoHeaders.count, tempoHeaders.names, song.tempos.count,
                           TempoCell, ImpliedMark});
    WriteText(out, japanese ? L"\n拍子\n" : L"\ntime signatures\n");
    if (song.timeSignatures.count == 0) {
        WriteText(out, japanese ? L"なし（4/4 として数えます）\n" : L"none (counted as 4/4)\n");
    } else {
        const SectionOf signatures = {&report, japanese, SignaturePoint, -1, {}};
        const Headers signatureHeaders =
            HeadersOf(report, language, kSignatureHeaders[language], 1);
        WriteColumnTable(out, {&signatures, signatureHeaders.count, signatureHeaders.names,
                               song.timeSignatures.count, SignatureCell, nullptr});
    }
    const SongPoint end = PointOfTick(report, song.endTick);
    FieldText position;
    PositionText(end.position, position);
    Print(out,
          japanese ? L"\n終わり: Tick %llu（%ls）、%s ミリ秒" : L"\nend: tick %llu at %ls, %s ms",
          Tick(end), position, end.milliseconds);
    if (Clocked(report)) {
        Print(out, japanese ? L"、タイムコード %s" : L", timecode %s", end.timecode);
    }
    WriteText(out, L"\n");
    if (report.askedForPoints) {
        WriteText(out, japanese ? L"\n指定の位置\n" : L"\nat\n");
        const SectionOf at = {&report, japanese, AtPointOf, -1, {}};
        const Headers atHeaders =
            HeadersOf(report, language, kAtHeaders[language], report.askedForTimecodes ? 2 : 1);
        WriteColumnTable(out,
                         {&at, atHeaders.count, atHeaders.names, report.atCount, AtCell, nullptr});
    }
    if (report.fileName == nullptr) {
        WriteHits(report, japanese, out);
    }
}

// The columns of the CSV, in their order. Each row says what it is in the
// first; the file's own facts stand in the last.
enum CsvColumn {
    kKindColumn,
    kTickColumn,
    kBarColumn,
    kBeatColumn,
    kBeatTickColumn,
    kMsColumn,
    kTimecodeColumn,
    kUsPerQuarterColumn,
    kBpmColumn,
    kNumeratorColumn,
    kDenominatorColumn,
    kImpliedColumn,
    kAtMsColumn,
    kAtTcColumn,
    kErrorUsColumn,
    kNameColumn,
    kByteColumn,
    kTrackColumn,
    kValueColumn,
    kCsvColumnCount
};

const wchar_t *const kCsvHeaders[kCsvColumnCount] = {
    L"kind",           L"tick", L"bar",       L"beat",        L"beat_tick", L"ms",    L"timecode",
    L"us_per_quarter", L"bpm",  L"numerator", L"denominator", L"implied",   L"at_ms", L"at_tc",
    L"error_us",       L"name", L"byte",      L"track",       L"value",
};

// The timecode columns come with a clock; a file's report asks for ticks
// and tells of rules let pass, a map made here tells of its hits.
bool CsvShows(const MidiReport &report, int column) {
    const bool file = report.fileName != nullptr;
    switch (column) {
        case kTimecodeColumn:
            return Clocked(report);
        case kAtTcColumn:
            return Clocked(report) && file;
        case kAtMsColumn:
        case kByteColumn:
        case kTrackColumn:
            return file;
        case kErrorUsColumn:
        case kNameColumn:
            return !file;
    }
    return true;
}

// The cells of one record, by column; null for an empty one. Only the value
// and a hit's name may need quotes.
struct CsvRecord {
    const wchar_t *cells[kCsvColumnCount];
};

// The columns shown, and RFC 4180's CRLF after them.
void WriteCsvRecord(const MidiReport &report, const TextSink &out, const CsvRecord &record) {
    bool first = true;
    for (int column = 0; column < kCsvColumnCount; ++column) {
        if (!CsvShows(report, column)) {
            continue;
        }
        WriteText(out, first ? L"" : L",");
        first = false;
        const wchar_t *const cell = record.cells[column];
        if (cell != nullptr && (column == kValueColumn || column == kNameColumn)) {
            WriteCsvField(out, cell);
        } else if (cell != nullptr) {
            WriteText(out, cell);
        }
    }
    WriteText(out, L"\r\n");
}

// A record of its kind alone, the texts of its cells held here.
struct CsvCells {
    CsvRecord record;
    FieldText texts[kCsvColumnCount];

    explicit CsvCells(const wchar_t *kind) : record{} { record.cells[kKindColumn] = kind; }

    void Set(int column, const wchar_t *format, ...) {
        va_list arguments;
        va_start(arguments, format);
        std::vswprintf(texts[column], kFieldTextCapacity, format, arguments);
        va_end(arguments);
        record.cells[column] = texts[column];
    }
};

// The cells every point's record has: tick, bar, beat, beat_tick, ms and
// timecode; an SMPTE division's ticks have no bars.
void SetPointCells(const SongPoint &point, CsvCells &cells) {
    const BarPosition &position = point.position;
    cells.Set(kTickColumn, L"%llu", Tick(point));
    if (position.known) {
        cells.Set(kBarColumn, L"%lld", position.bar);
        cells.Set(kBeatColumn, L"%lld", position.beat);
        cells.Set(kBeatTickColumn, L"%lld", position.beatTick);
    }
    cells.Set(kMsColumn, L"%s", point.milliseconds);
    cells.Set(kTimecodeColumn, L"%s", point.timecode);
}

// A record of what the file says of itself: its kind and its value alone.
void WriteCsvFact(const MidiReport &report, const TextSink &out, const wchar_t *kind,
                  const wchar_t *value) {
    CsvRecord record = {};
    record.cells[kKindColumn] = kind;
    record.cells[kValueColumn] = value;
    WriteCsvRecord(report, out, record);
}

void WriteCsvFact(const MidiReport &report, const TextSink &out, const wchar_t *kind,
                  long long value) {
    FieldText text;
    std::swprintf(text, kFieldTextCapacity, L"%lld", value);
    WriteCsvFact(report, out, kind, text);
}

const wchar_t *const kClockStarts[3] = {L"midnight", L"smpte_offset", L"start"};

void WriteCsvClock(const MidiReport &report, const TextSink &out) {
    const SongClock &clock = *report.clock;
    FieldText text;
    Format(text, L"%s", FactsOf(clock.rate).name);
    WriteCsvFact(report, out, L"clock_fps", text);
    char start[kTimecodeTextSize];
    FormatClockStart(clock, start);
    Format(text, L"%s", start);
    WriteCsvFact(report, out, L"clock_start", text);
    WriteCsvFact(report, out, L"clock_from", kClockStarts[static_cast<int>(clock.from)]);
}

// A name given to a hit: the part of the list that holds it.
void HitName(const ReportHit &hit, ListText &name) {
    CopyTextPart(hit.name, hit.nameLength, name, kListTextCapacity);
}

// The changes, the end, the ticks asked for and the hits, a record each.
void WriteCsvPoints(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        CsvCells cells(L"tempo");
        SetPointCells(TempoPoint(report, i), cells);
        cells.Set(kUsPerQuarterColumn, L"%lu",
                  static_cast<unsigned long>(tempo.microsecondsPerQuarter));
        cells.Set(kBpmColumn, L"%.2f", Bpm(tempo.microsecondsPerQuarter));
        cells.record.cells[kImpliedColumn] = tempo.implied ? L"true" : L"false";
        WriteCsvRecord(report, out, cells.record);
    }
    for (long long i = 0; i < song.timeSignatures.count; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        CsvCells cells(L"time_signature");
        SetPointCells(SignaturePoint(report, i), cells);
        cells.Set(kNumeratorColumn, L"%d", signature.numerator);
        cells.Set(kDenominatorColumn, L"%lld", Denominator(signature));
        WriteCsvRecord(report, out, cells.record);
    }
    CsvCells end(L"end");
    SetPointCells(PointOfTick(report, song.endTick), end);
    WriteCsvRecord(report, out, end.record);
    for (int i = 0; i < report.atCount; ++i) {
        const AtPoint &at = report.at[i];
        CsvCells cells(L"at");
        SetPointCells(AtPointOf(report, i), cells);
        // As many digits as were typed: a list's worth.
        ListText asked = L"";
        FieldWriter writer = {asked, 0, kListTextCapacity};
        if (at.forTime) {
            WriteDecimal({&writer, WriteIntoField}, at.askedMilliseconds);
            cells.record.cells[kAtMsColumn] = asked;
        } else if (at.forTimecode) {
            AskedTimecodeText(report, at, cells.texts[kAtTcColumn]);
            cells.record.cells[kAtTcColumn] = cells.texts[kAtTcColumn];
        }
        WriteCsvRecord(report, out, cells.record);
    }
    for (int i = 0; i < report.hitCount; ++i) {
        const ReportHit &hit = report.hits[i];
        CsvCells cells(L"hit");
        SetPointCells(HitPoint(report, i), cells);
        char error[kErrorTextSize];
        FormatErrorMicroseconds(hit.error, error);
        cells.Set(kErrorUsColumn, L"%s", error);
        ListText name;
        HitName(hit, name);
        cells.record.cells[kNameColumn] = name;
        WriteCsvRecord(report, out, cells.record);
    }
}

void WriteCsv(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
    CsvRecord header;
    for (int column = 0; column < kCsvColumnCount; ++column) {
        header.cells[column] = kCsvHeaders[column];
    }
    WriteCsvRecord(report, out, header);
    if (report.fileName != nullptr) {
        WriteCsvFact(report, out, L"file", report.fileName);
        WriteCsvFact(report, out, L"format", song.format);
        WriteCsvFact(report, out, L"tracks", song.trackCount);
    }
    if (division.smpte) {
        WriteCsvFact(report, out, L"smpte_fps", FramesPerSecond(division));
        WriteCsvFact(report, out, L"smpte_drop_frame",
                     division.framesPerSecond == 29 ? L"true" : L"false");
        WriteCsvFact(report, out, L"smpte_ticks_per_frame", division.ticksPerFrame);
    } else {
        WriteCsvFact(report, out, L"resolution", division.ticksPerQuarter);
    }
    if (song.name[0] != '\0') {
        NameText name;
        const NameEncoding encoding = ShownName(song, name);
        WriteCsvFact(report, out, L"name", name);
        WriteCsvFact(report, out, L"name_encoding", kNameEncodings[static_cast<int>(encoding)]);
    }
    if (Clocked(report)) {
        WriteCsvClock(report, out);
    }
    WriteCsvPoints(report, out);
    for (int i = 0; i < song.warningCount; ++i) {
        const SmfWarning &warning = song.warnings[i];
        CsvCells cells(L"lenient");
        cells.Set(kByteColumn, L"%lld", warning.offset);
        cells.Set(kTrackColumn, L"%d", warning.track);
        ListText what;
        DecodeUtf8(SmfLeniencyText(warning.leniency), what, kListTextCapacity);
        cells.record.cells[kValueColumn] = what;
        WriteCsvRecord(report, out, cells.record);
    }
}

void WriteJsonPoint(const TextSink &out, const SongPoint &point) {
    Print(out, L"\"tick\": %llu, ", Tick(point));
    if (point.position.known) {
        Print(out, L"\"bar\": %lld, \"beat\": %lld, \"beat_tick\": %lld", point.position.bar,
              point.position.beat, point.position.beatTick);
    } else {
        WriteText(out, L"\"bar\": null, \"beat\": null, \"beat_tick\": null");
    }
    Print(out, L", \"ms\": %s", point.milliseconds);
    if (point.timecode[0] != '\0') {
        Print(out, L", \"timecode\": \"%s\"", point.timecode);
    }
}

// The separator before item i of a list: a line of its own for each.
const wchar_t *ItemStart(long long i) {
    return i == 0 ? L"\n  {" : L",\n  {";
}

void WriteJsonClock(const MidiReport &report, const TextSink &out) {
    const SongClock &clock = *report.clock;
    char start[kTimecodeTextSize];
    FormatClockStart(clock, start);
    Print(out, L", \"clock\": {\"fps\": \"%s\", \"start\": \"%s\", \"from\": \"%ls\"}",
          FactsOf(clock.rate).name, start, kClockStarts[static_cast<int>(clock.from)]);
}

void WriteJsonHits(const MidiReport &report, const TextSink &out) {
    WriteText(out, L", \"hits\": [");
    for (int i = 0; i < report.hitCount; ++i) {
        const ReportHit &hit = report.hits[i];
        WriteText(out, ItemStart(i));
        WriteJsonPoint(out, HitPoint(report, i));
        char error[kErrorTextSize];
        FormatErrorMicroseconds(hit.error, error);
        Print(out, L", \"error_us\": %s", error);
        if (hit.nameLength > 0) {
            ListText name;
            HitName(hit, name);
            WriteText(out, L", \"name\": ");
            WriteJsonString(out, name);
        }
        WriteText(out, L"}");
    }
    WriteText(out, L"\n]");
}

// The file's own facts, before its tempo map.
void WriteJsonFile(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
    WriteText(out, L"{\"file\": ");
    WriteJsonString(out, report.fileName);
    Print(out, L", \"format\": %d, \"tracks\": %d", song.format, song.trackCount);
    if (division.smpte) {
        Print(out, L", \"smpte\": {\"fps\": %ls, \"drop_frame\": %ls, \"ticks_per_frame\": %d}",
              FramesPerSecond(division), division.framesPerSecond == 29 ? L"true" : L"false",
              division.ticksPerFrame);
    } else {
        Print(out, L", \"resolution\": %d", division.ticksPerQuarter);
    }
    WriteText(out, L", \"name\": ");
    if (song.name[0] == '\0') {
        WriteText(out, L"null, \"name_encoding\": null");
    } else {
        NameText name;
        const NameEncoding encoding = DecodeName(song, name);
        WriteJsonString(out, name);
        WriteText(out, L", \"name_encoding\": \"");
        WriteText(out, kNameEncodings[static_cast<int>(encoding)]);
        WriteText(out, L"\"");
    }
}

void WriteJson(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    if (report.fileName != nullptr) {
        WriteJsonFile(report, out);
    } else {
        Print(out, L"{\"resolution\": %d", song.division.ticksPerQuarter);
    }
    if (Clocked(report)) {
        WriteJsonClock(report, out);
    }
    WriteText(out, L", \"tempos\": [");
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        WriteText(out, ItemStart(i));
        WriteJsonPoint(out, TempoPoint(report, i));
        Print(out, L", \"us_per_quarter\": %lu, \"bpm\": %.2f, \"implied\": %ls}",
              static_cast<unsigned long>(tempo.microsecondsPerQuarter),
              Bpm(tempo.microsecondsPerQuarter), tempo.implied ? L"true" : L"false");
    }
    WriteText(out, L"\n], \"time_signatures\": [");
    for (long long i = 0; i < song.timeSignatures.count; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        WriteText(out, ItemStart(i));
        WriteJsonPoint(out, SignaturePoint(report, i));
        Print(out, L", \"numerator\": %d, \"denominator\": %lld}", signature.numerator,
              Denominator(signature));
    }
    WriteText(out, song.timeSignatures.count > 0 ? L"\n], \"end\": {" : L"], \"end\": {");
    WriteJsonPoint(out, PointOfTick(report, song.endTick));
    WriteText(out, L"}");
    if (report.askedForPoints) {
        WriteText(out, L", \"at\": [");
        for (int i = 0; i < report.atCount; ++i) {
            const AtPoint &at = report.at[i];
            WriteText(out, ItemStart(i));
            WriteJsonPoint(out, AtPointOf(report, i));
            if (at.forTime) {
                WriteText(out, L", \"at_ms\": ");
                WriteDecimal(out, at.askedMilliseconds);
            } else if (at.forTimecode) {
                FieldText asked;
                AskedTimecodeText(report, at, asked);
                Print(out, L", \"at_tc\": \"%ls\"", asked);
            }
            WriteText(out, L"}");
        }
        WriteText(out, L"\n]");
    }
    if (report.fileName == nullptr) {
        WriteJsonHits(report, out);
        WriteText(out, L"}\n");
        return;
    }
    WriteText(out, L", \"lenient\": [");
    for (int i = 0; i < song.warningCount; ++i) {
        const SmfWarning &warning = song.warnings[i];
        WriteText(out, ItemStart(i));
        Print(out, L"\"offset\": %lld, \"track\": %d, \"what\": ", warning.offset, warning.track);
        ListText what;
        DecodeUtf8(SmfLeniencyText(warning.leniency), what, kListTextCapacity);
        WriteJsonString(out, what);
        WriteText(out, L"}");
    }
    WriteText(out, song.warningCount > 0 ? L"\n]}\n" : L"]}\n");
}

}  // namespace

void WriteMidiReport(const MidiReport &report, OutputFormat format, CaptionLanguage language,
                     const TextSink &out) {
    switch (format) {
        case OutputFormat::kTable:
            WriteTable(report, language == CaptionLanguage::kJapanese, out);
            break;
        case OutputFormat::kCsv:
            WriteCsv(report, out);
            break;
        case OutputFormat::kJson:
            WriteJson(report, out);
            break;
    }
}
