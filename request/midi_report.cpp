// Writing what --midi found: a table for people, CSV with a kind column for
// spreadsheets, JSON for programs.
#include "request/midi_report.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>

#include "midi/midi_tempo.h"
#include "midi/smf_reader.h"
#include "text/csv_output.h"
#include "text/json_output.h"
#include "text/one_line_text.h"
#include "text/shift_jis.h"
#include "text/text_columns.h"
#include "text/utf8.h"

namespace {

// A tick of the song with its place in bars and its time.
struct SongPoint {
    std::uint64_t tick;
    BarPosition position;
    char milliseconds[kMillisecondsTextSize];
};

SongPoint PointOf(const TempoMap &map, std::uint64_t tick, const MidiTime &time) {
    SongPoint point;
    point.tick = tick;
    point.position = PositionOfTick(map, tick);
    FormatMilliseconds(time, point.milliseconds);
    return point;
}

SongPoint PointOfTick(const TempoMap &map, std::uint64_t tick) {
    return PointOf(map, tick, TimeOfTick(map, tick));
}

SongPoint TempoPoint(const MidiReport &report, long long index) {
    return PointOf(*report.map, report.song->tempos.items[index].tick,
                   TimeOfTempoChange(*report.map, index));
}

SongPoint SignaturePoint(const MidiReport &report, long long index) {
    return PointOfTick(*report.map, report.song->timeSignatures.items[index].tick);
}

SongPoint AtPointOf(const MidiReport &report, long long index) {
    return PointOfTick(*report.map, report.at[index].tick);
}

void Print(const TextSink &out, const wchar_t *format, ...) {
    wchar_t text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vswprintf(text, 512, format, arguments);
    va_end(arguments);
    WriteText(out, text);
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
// first, its time last. False for the columns between them.
bool PointCell(const SongPoint &point, int column, int columns, FieldText &text) {
    if (column == 0) {
        Format(text, L"%llu", Tick(point));
    } else if (column == 1) {
        PositionText(point.position, text);
    } else if (column == columns - 1) {
        Format(text, L"%s", point.milliseconds);
    } else {
        return false;
    }
    return true;
}

void TempoCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const SmfTempo &tempo = report.song->tempos.items[row];
    if (PointCell(RowPoint(context, row), column, 5, text)) {
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
    if (!PointCell(RowPoint(context, row), column, 4, text)) {
        Format(text, L"%d/%lld", signature.numerator, Denominator(signature));
    }
}

// Text written into a field, cut to it.
struct FieldWriter {
    FieldText *text;
    int used;
};

void WriteIntoField(void *context, const wchar_t *text) {
    FieldWriter &writer = *static_cast<FieldWriter *>(context);
    for (; *text != L'\0' && writer.used < kFieldTextCapacity - 1; ++text) {
        (*writer.text)[writer.used++] = *text;
    }
    (*writer.text)[writer.used] = L'\0';
}

// The time asked for comes after the tick found for it; a table shows no
// more than a field's 99 characters of it.
void AtCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const AtPoint &at = report.at[row];
    if (PointCell(RowPoint(context, row), column, 4, text)) {
        return;
    }
    FieldWriter writer = {&text, 0};
    text[0] = L'\0';
    if (at.forTime) {
        WriteDecimal({&writer, WriteIntoField}, at.askedMilliseconds);
    }
}

void WriteHeading(const MidiReport &report, bool japanese, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
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
    if (song.warningCount > 0) {
        Print(out,
              japanese ? L"寛容に読み込み: 規則違反 %lld 件（標準エラーに表示）\n"
                       : L"read leniently: %lld broken rules let pass, named on standard error\n",
              song.warningCount + song.moreWarnings);
    }
}

const wchar_t *const kTempoHeaders[2][5] = {
    {L"tick", L"position", L"µs/quarter", L"BPM", L"ms"},
    {L"Tick", L"位置", L"マイクロ秒/四分音符", L"BPM", L"ミリ秒"},
};
const wchar_t *const kSignatureHeaders[2][4] = {
    {L"tick", L"position", L"signature", L"ms"},
    {L"Tick", L"位置", L"拍子", L"ミリ秒"},
};
const wchar_t *const kAtHeaders[2][4] = {
    {L"tick", L"position", L"asked ms", L"ms"},
    {L"Tick", L"位置", L"指定ミリ秒", L"ミリ秒"},
};

void WriteTable(const MidiReport &report, bool japanese, const TextSink &out) {
    const SmfSong &song = *report.song;
    const int language = japanese ? 1 : 0;
    WriteHeading(report, japanese, out);
    WriteText(out, japanese ? L"\nテンポマップ\n" : L"\ntempo map\n");
    const SectionOf tempos = {&report, japanese, TempoPoint, -1, {}};
    WriteColumnTable(
        out, {&tempos, 5, kTempoHeaders[language], song.tempos.count, TempoCell, ImpliedMark});
    WriteText(out, japanese ? L"\n拍子\n" : L"\ntime signatures\n");
    if (song.timeSignatures.count == 0) {
        WriteText(out, japanese ? L"なし（4/4 として数えます）\n" : L"none (counted as 4/4)\n");
    } else {
        const SectionOf signatures = {&report, japanese, SignaturePoint, -1, {}};
        WriteColumnTable(out, {&signatures, 4, kSignatureHeaders[language],
                               song.timeSignatures.count, SignatureCell, nullptr});
    }
    const SongPoint end = PointOfTick(*report.map, song.endTick);
    FieldText position;
    PositionText(end.position, position);
    Print(
        out,
        japanese ? L"\n終わり: Tick %llu（%ls）、%s ミリ秒\n" : L"\nend: tick %llu at %ls, %s ms\n",
        Tick(end), position, end.milliseconds);
    if (report.askedForPoints) {
        WriteText(out, japanese ? L"\n指定の位置\n" : L"\nat\n");
        const SectionOf at = {&report, japanese, AtPointOf, -1, {}};
        WriteColumnTable(out, {&at, 4, kAtHeaders[language], report.atCount, AtCell, nullptr});
    }
}

// The columns every row has: kind, tick, bar, beat, beat_tick, ms.
void WriteCsvPoint(const TextSink &out, const wchar_t *kind, const SongPoint &point) {
    Print(out, L"%ls,%llu,", kind, Tick(point));
    if (point.position.known) {
        Print(out, L"%lld,%lld,%lld,", point.position.bar, point.position.beat,
              point.position.beatTick);
    } else {
        WriteText(out, L",,,");
    }
    Print(out, L"%s", point.milliseconds);
}

// A row of what the file says of itself: its kind and its value alone.
void WriteCsvFact(const TextSink &out, const wchar_t *kind, const wchar_t *value) {
    WriteText(out, kind);
    WriteText(out, L",,,,,,,,,,,,,,");
    WriteCsvField(out, value);
    WriteText(out, L"\r\n");
}

void WriteCsvFact(const TextSink &out, const wchar_t *kind, long long value) {
    FieldText text;
    std::swprintf(text, kFieldTextCapacity, L"%lld", value);
    WriteCsvFact(out, kind, text);
}

// The columns after ms that a point's row leaves empty.
const wchar_t kCsvPointEnd[] = L",,,\r\n";

// RFC 4180; each row says what it is: first the file's own facts, each in
// the value column, then a row for each change, the end, each tick asked
// for and each rule let pass.
void WriteCsv(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
    WriteText(out,
              L"kind,tick,bar,beat,beat_tick,ms,us_per_quarter,bpm,numerator,denominator,"
              L"implied,at_ms,byte,track,value\r\n");
    WriteCsvFact(out, L"file", report.fileName);
    WriteCsvFact(out, L"format", song.format);
    WriteCsvFact(out, L"tracks", song.trackCount);
    if (division.smpte) {
        WriteCsvFact(out, L"smpte_fps", FramesPerSecond(division));
        WriteCsvFact(out, L"smpte_drop_frame", division.framesPerSecond == 29 ? L"true" : L"false");
        WriteCsvFact(out, L"smpte_ticks_per_frame", division.ticksPerFrame);
    } else {
        WriteCsvFact(out, L"resolution", division.ticksPerQuarter);
    }
    if (song.name[0] != '\0') {
        NameText name;
        const NameEncoding encoding = ShownName(song, name);
        WriteCsvFact(out, L"name", name);
        WriteCsvFact(out, L"name_encoding", kNameEncodings[static_cast<int>(encoding)]);
    }
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        WriteCsvPoint(out, L"tempo", TempoPoint(report, i));
        Print(out, L",%lu,%.2f,,,%ls,", static_cast<unsigned long>(tempo.microsecondsPerQuarter),
              Bpm(tempo.microsecondsPerQuarter), tempo.implied ? L"true" : L"false");
        WriteText(out, kCsvPointEnd);
    }
    for (long long i = 0; i < song.timeSignatures.count; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        WriteCsvPoint(out, L"time_signature", SignaturePoint(report, i));
        Print(out, L",,,%d,%lld,,", signature.numerator, Denominator(signature));
        WriteText(out, kCsvPointEnd);
    }
    WriteCsvPoint(out, L"end", PointOfTick(*report.map, song.endTick));
    WriteText(out, L",,,,,,");
    WriteText(out, kCsvPointEnd);
    for (int i = 0; i < report.atCount; ++i) {
        const AtPoint &at = report.at[i];
        WriteCsvPoint(out, L"at", AtPointOf(report, i));
        WriteText(out, L",,,,,,");
        if (at.forTime) {
            WriteDecimal(out, at.askedMilliseconds);
        }
        WriteText(out, kCsvPointEnd);
    }
    for (int i = 0; i < song.warningCount; ++i) {
        const SmfWarning &warning = song.warnings[i];
        Print(out, L"lenient,,,,,,,,,,,,%lld,%d,", warning.offset, warning.track);
        ListText what;
        DecodeUtf8(SmfLeniencyText(warning.leniency), what, kListTextCapacity);
        WriteCsvField(out, what);
        WriteText(out, L"\r\n");
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
}

// The separator before item i of a list: a line of its own for each.
const wchar_t *ItemStart(long long i) {
    return i == 0 ? L"\n  {" : L",\n  {";
}

void WriteJson(const MidiReport &report, const TextSink &out) {
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
    WriteJsonPoint(out, PointOfTick(*report.map, song.endTick));
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
            }
            WriteText(out, L"}");
        }
        WriteText(out, L"\n]");
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
