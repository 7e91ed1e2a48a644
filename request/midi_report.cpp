// Writing what --midi found: a table for people, CSV with a kind column for
// spreadsheets, JSON for programs.
#include "request/midi_report.h"

#include <cstdarg>
#include <cwchar>

#include "midi/midi_tempo.h"
#include "midi/smf_reader.h"
#include "text/json_output.h"
#include "text/shortest_number.h"
#include "text/text_columns.h"
#include "text/utf8.h"

namespace {

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

// The name's bytes as UTF-8, U+FFFD where they are not.
void NameOf(const SmfSong &song, ListText &name) {
    DecodeUtf8(song.name, name, kListTextCapacity);
}

// What a section's cells are read from.
struct SectionOf {
    const MidiReport *report;
    bool japanese;
};

const MidiReport &ReportOf(const void *context) {
    return *static_cast<const SectionOf *>(context)->report;
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
    if (PointCell(report.tempoPoints.items[row], column, 5, text)) {
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
    if (!PointCell(report.signaturePoints.items[row], column, 4, text)) {
        Format(text, L"%d/%lld", signature.numerator, Denominator(signature));
    }
}

// The time asked for comes after the tick found for it.
void AtCell(const void *context, long long row, int column, FieldText &text) {
    const MidiReport &report = ReportOf(context);
    const AtPoint &at = report.at.items[row];
    if (PointCell(at.point, column, 4, text)) {
        return;
    }
    if (at.forTime) {
        FormatShortestNumber(at.askedMilliseconds, text);
    } else {
        text[0] = L'\0';
    }
}

void WriteHeading(const MidiReport &report, bool japanese, const TextSink &out) {
    const SmfSong &song = *report.song;
    const SmfDivision &division = song.division;
    WriteText(out, report.fileName);
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
        ListText name;
        NameOf(song, name);
        WriteText(out, japanese ? L"曲名: " : L"name: ");
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
    const SectionOf section = {&report, japanese};
    WriteColumnTable(
        out, {&section, 5, kTempoHeaders[language], song.tempos.count, TempoCell, ImpliedMark});
    WriteText(out, japanese ? L"\n拍子\n" : L"\ntime signatures\n");
    if (song.timeSignatures.count == 0) {
        WriteText(out, japanese ? L"なし（4/4 として数えます）\n" : L"none (counted as 4/4)\n");
    } else {
        WriteColumnTable(out, {&section, 4, kSignatureHeaders[language], song.timeSignatures.count,
                               SignatureCell, nullptr});
    }
    FieldText position;
    PositionText(report.end.position, position);
    Print(
        out,
        japanese ? L"\n終わり: Tick %llu（%ls）、%s ミリ秒\n" : L"\nend: tick %llu at %ls, %s ms\n",
        Tick(report.end), position, report.end.milliseconds);
    if (report.askedForPoints) {
        WriteText(out, japanese ? L"\n指定の位置\n" : L"\nat\n");
        WriteColumnTable(out,
                         {&section, 4, kAtHeaders[language], report.at.count, AtCell, nullptr});
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

// RFC 4180; each row says what it is.
void WriteCsv(const MidiReport &report, const TextSink &out) {
    const SmfSong &song = *report.song;
    WriteText(out,
              L"kind,tick,bar,beat,beat_tick,ms,us_per_quarter,bpm,numerator,denominator,"
              L"implied,at_ms\r\n");
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        WriteCsvPoint(out, L"tempo", report.tempoPoints.items[i]);
        Print(out, L",%lu,%.2f,,,%ls,\r\n",
              static_cast<unsigned long>(tempo.microsecondsPerQuarter),
              Bpm(tempo.microsecondsPerQuarter), tempo.implied ? L"true" : L"false");
    }
    for (long long i = 0; i < song.timeSignatures.count; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        WriteCsvPoint(out, L"time_signature", report.signaturePoints.items[i]);
        Print(out, L",,,%d,%lld,,\r\n", signature.numerator, Denominator(signature));
    }
    WriteCsvPoint(out, L"end", report.end);
    WriteText(out, L",,,,,,\r\n");
    for (long long i = 0; i < report.at.count; ++i) {
        const AtPoint &at = report.at.items[i];
        WriteCsvPoint(out, L"at", at.point);
        WriteText(out, L",,,,,,");
        if (at.forTime) {
            WriteJsonNumber(out, at.askedMilliseconds);
        }
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
        WriteText(out, L"null");
    } else {
        ListText name;
        NameOf(song, name);
        WriteJsonString(out, name);
    }
    WriteText(out, L", \"tempos\": [");
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        WriteText(out, ItemStart(i));
        WriteJsonPoint(out, report.tempoPoints.items[i]);
        Print(out, L", \"us_per_quarter\": %lu, \"bpm\": %.2f, \"implied\": %ls}",
              static_cast<unsigned long>(tempo.microsecondsPerQuarter),
              Bpm(tempo.microsecondsPerQuarter), tempo.implied ? L"true" : L"false");
    }
    WriteText(out, L"\n], \"time_signatures\": [");
    for (long long i = 0; i < song.timeSignatures.count; ++i) {
        const SmfTimeSignature &signature = song.timeSignatures.items[i];
        WriteText(out, ItemStart(i));
        WriteJsonPoint(out, report.signaturePoints.items[i]);
        Print(out, L", \"numerator\": %d, \"denominator\": %lld}", signature.numerator,
              Denominator(signature));
    }
    WriteText(out, song.timeSignatures.count > 0 ? L"\n], \"end\": {" : L"], \"end\": {");
    WriteJsonPoint(out, report.end);
    WriteText(out, L"}");
    if (report.askedForPoints) {
        WriteText(out, L", \"at\": [");
        for (long long i = 0; i < report.at.count; ++i) {
            const AtPoint &at = report.at.items[i];
            WriteText(out, ItemStart(i));
            WriteJsonPoint(out, at.point);
            if (at.forTime) {
                WriteText(out, L", \"at_ms\": ");
                WriteJsonNumber(out, at.askedMilliseconds);
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

SongPoint PointOfTick(const TempoMap &map, std::uint64_t tick) {
    SongPoint point;
    point.tick = tick;
    point.position = PositionOfTick(map, tick);
    FormatMilliseconds(TimeOfTick(map, tick), point.milliseconds);
    return point;
}

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
