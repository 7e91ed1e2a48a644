// Writing the note rows. Captions and result texts never hold a comma, a
// quote, a backslash or a line break, so CSV needs no quoting.
#include "request/note_table_output.h"

#include <cwchar>

#include "picture/click_book.h"
#include "text/fraction_text.h"
#include "text/json_output.h"
#include "text/shortest_number.h"
#include "text/text_columns.h"

namespace {

enum Column {
    kCaption,
    kTicks,
    kMilliseconds,
    kExactTicks,
    kSamples,
    kHertz,
    kFrames,
    kColumnCount
};

const wchar_t *const kJapaneseHeaders[kColumnCount] = {
    L"音価", L"Tick", L"ミリ秒", L"Tick（分数）", L"サンプル", L"Hz", L"フレーム",
};
const wchar_t *const kEnglishHeaders[kColumnCount] = {
    L"note", L"ticks", L"ms", L"exact ticks", L"samples", L"Hz", L"frames",
};
const wchar_t *const kCsvHeaders[kColumnCount] = {
    L"note", L"ticks", L"ms", L"exact_ticks", L"samples", L"hz", L"frames",
};

bool IsJapanese(const NoteOutput &output) {
    return output.request->language == CaptionLanguage::kJapanese;
}

bool Shows(const NoteRequest &request, int column) {
    switch (column) {
        case kExactTicks:
            return request.exact;
        case kSamples:
            return request.samples;
        case kHertz:
            return request.hertz;
        case kFrames:
            return request.frames;
    }
    return true;
}

const wchar_t *Cell(const NoteRow &row, int column) {
    const wchar_t *const cells[kColumnCount] = {row.caption,    row.ticks,   row.milliseconds,
                                                row.exactTicks, row.samples, row.hertz,
                                                row.frames};
    return cells[column];
}

// The columns the table shows, and what stands in an empty cell.
struct ShownCells {
    const NoteRows *rows;
    int columns[kColumnCount];
    const wchar_t *none;
};

void ShownCell(const void *context, long long row, int column, FieldText &text) {
    const ShownCells &shown = *static_cast<const ShownCells *>(context);
    const wchar_t *cell = Cell(shown.rows->rows[row], shown.columns[column]);
    CopyFieldText(cell[0] != L'\0' ? cell : shown.none, text);
}

void WriteNumber(const TextSink &out, double value) {
    FieldText text;
    FormatShortestNumber(value, text);
    WriteText(out, text);
}

void WriteExactInteger(const TextSink &out, ExactInteger value) {
    FieldText text;
    FormatExactInteger(value, text);
    WriteText(out, text);
}

void WriteFixed(const TextSink &out, const wchar_t *format, double value) {
    FieldText text;
    std::swprintf(text, kFieldTextCapacity, format, value);
    WriteText(out, text);
}

// Which resolutions make every row whole, and whether the typed one does.
void WriteWholeTicksLine(const NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    const bool japanese = IsJapanese(output);
    if (rows.wholeAtMultiplesOf == 0) {
        WriteText(out, japanese ? L"すべての行が整数の Tick になる分解能は 2^127 未満にありません\n"
                                : L"no resolution below 2^127 makes every row a whole number of "
                                  L"ticks\n");
        return;
    }
    WriteText(out, japanese ? L"すべての行が整数の Tick になる分解能: "
                            : L"every row is a whole number of ticks at resolutions that are "
                              L"multiples of ");
    WriteExactInteger(out, rows.wholeAtMultiplesOf);
    WriteText(out, japanese ? L" の倍数（" : L": ");
    WriteText(out, rows.resolutionText);
    if (rows.resolutionBeyondExact) {
        WriteText(out, japanese
                           ? L" は正確に数えられる 2^53 を超えています）\n"
                           : L" is beyond 2^53, past which ticks are not worked out exactly\n");
    } else if (!rows.wholeResolution) {
        WriteText(out, japanese ? L" は整数ではありません）\n" : L" is not a whole number\n");
    } else if (static_cast<long long>(rows.resolution) % rows.wholeAtMultiplesOf == 0) {
        WriteText(out, japanese ? L" は倍数です）\n" : L" is one\n");
    } else {
        WriteText(out, japanese ? L" は倍数ではありません）\n" : L" is not\n");
    }
}

// The tempo as a MIDI file would store it.
void WriteMidiTempoLine(const NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    const bool japanese = IsJapanese(output);
    WriteText(out, japanese ? L"MIDI のテンポ: " : L"MIDI tempo: ");
    if (rows.midiTempo == 0) {
        WriteText(out, japanese ? L"MIDI ファイルには保存できないテンポです（四分音符あたり "
                                  L"1～16777215 マイクロ秒）\n"
                                : L"a MIDI file cannot store this tempo (it holds 1 to 16777215 "
                                  L"µs per quarter note)\n");
        return;
    }
    WriteText(out, japanese ? L"四分音符あたり " : L"");
    WriteExactInteger(out, rows.midiTempo);
    WriteText(out, japanese ? L" マイクロ秒 = " : L" µs per quarter note = ");
    WriteFixed(out, L"%.6f", rows.storedTempo);
    WriteText(out, japanese ? L" BPM（四分音符 100 個で " : L" BPM, drifting ");
    FieldText drift;
    FormatFixedFraction(rows.driftPer100Quarters, 6, drift);
    WriteText(out, drift);
    WriteText(out, japanese ? L" ミリ秒のずれ）\n" : L" ms per 100 quarter notes\n");
}

// The tempo as a click book writes it, and the tempo that click plays.
void WriteClickLine(const NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    const bool japanese = IsJapanese(output);
    const char *const rate = FactsOf(output.request->frameRate).name;
    FieldText text;
    if (!rows.hasClick) {
        std::swprintf(text, kFieldTextCapacity,
                      japanese ? L"クリック（毎秒 %s フレーム）: このテンポにはありません\n"
                               : L"click at %s frames a second: none at this tempo\n",
                      rate);
        WriteText(out, text);
        return;
    }
    char click[kClickTextSize];
    FormatClick(rows.click, click);
    std::swprintf(text, kFieldTextCapacity,
                  japanese ? L"クリック（毎秒 %s フレーム）: %s = %.3f BPM\n"
                           : L"click at %s frames a second: %s = %.3f BPM\n",
                  rate, click, rows.click.bpm);
    WriteText(out, text);
}

void WriteTable(NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    const NoteRequest &request = *output.request;
    const bool japanese = IsJapanese(output);
    if (output.manyPairs) {
        WriteText(out, output.pairsWritten > 0 ? L"\n" : L"");
        WriteText(out, japanese ? L"Tempo " : L"tempo ");
        WriteNumber(out, rows.tempo);
        WriteText(out, japanese ? L", 分解能 " : L", resolution ");
        WriteNumber(out, rows.resolution);
        WriteText(out, L"\n");
    }
    const wchar_t *const *headers = japanese ? kJapaneseHeaders : kEnglishHeaders;
    ShownCells shown = {&rows, {}, japanese ? L"なし" : L"none"};
    const wchar_t *shownHeaders[kColumnCount];
    int shownCount = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        if (Shows(request, column)) {
            shown.columns[shownCount] = column;
            shownHeaders[shownCount++] = headers[column];
        }
    }
    WriteColumnTable(out, {&shown, shownCount, shownHeaders, rows.count, ShownCell, nullptr});
    if (request.exact || request.tempoInMicroseconds || request.frames) {
        WriteText(out, L"\n");
    }
    if (request.exact) {
        WriteWholeTicksLine(output, rows);
    }
    if (request.exact || request.tempoInMicroseconds) {
        WriteMidiTempoLine(output, rows);
    }
    if (request.frames) {
        WriteClickLine(output, rows);
    }
}

void WriteCsvHeader(const NoteOutput &output) {
    const TextSink &out = output.out;
    WriteText(out, output.manyPairs ? L"tempo,resolution," : L"");
    bool first = true;
    for (int column = 0; column < kColumnCount; ++column) {
        if (Shows(*output.request, column)) {
            WriteText(out, first ? L"" : L",");
            first = false;
            WriteText(out, kCsvHeaders[column]);
        }
    }
    WriteText(out, L"\r\n");
}

// RFC 4180: CRLF after every record, the header included.
void WriteCsv(const NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    for (int i = 0; i < rows.count; ++i) {
        if (output.manyPairs) {
            WriteNumber(out, rows.tempo);
            WriteText(out, L",");
            WriteNumber(out, rows.resolution);
            WriteText(out, L",");
        }
        bool first = true;
        for (int column = 0; column < kColumnCount; ++column) {
            if (Shows(*output.request, column)) {
                WriteText(out, first ? L"" : L",");
                first = false;
                WriteText(out, Cell(rows.rows[i], column));
            }
        }
        WriteText(out, L"\r\n");
    }
}

void WriteJson(const NoteOutput &output, const NoteRows &rows) {
    const TextSink &out = output.out;
    const NoteRequest &request = *output.request;
    WriteText(out, output.manyPairs && output.pairsWritten > 0 ? L",\n" : L"");
    WriteText(out, L"{\"tempo\": ");
    WriteJsonNumber(out, rows.tempo);
    WriteText(out, L", \"resolution\": ");
    WriteJsonNumber(out, rows.resolution);
    // A tempo that a MIDI file cannot store has none of the three.
    if (rows.midiTempo != 0) {
        WriteText(out, L", \"us_per_quarter\": ");
        WriteExactInteger(out, rows.midiTempo);
        WriteText(out, L", \"stored_tempo\": ");
        WriteJsonNumber(out, rows.storedTempo);
        WriteText(out, L", \"drift_ms_per_100_quarters\": ");
        WriteJsonNumber(out, NearestDouble(rows.driftPer100Quarters));
    } else {
        WriteText(out,
                  L", \"us_per_quarter\": null, \"stored_tempo\": null, "
                  L"\"drift_ms_per_100_quarters\": null");
    }
    if (request.exact) {
        WriteText(out, L", \"whole_at_multiples_of\": ");
        if (rows.wholeAtMultiplesOf != 0) {
            WriteExactInteger(out, rows.wholeAtMultiplesOf);
        } else {
            WriteText(out, L"null");
        }
    }
    if (request.frames && rows.hasClick) {
        char click[kClickTextSize];
        FormatClick(rows.click, click);
        FieldText text;
        std::swprintf(text, kFieldTextCapacity, L", \"click\": \"%s\", \"click_bpm\": ", click);
        WriteText(out, text);
        WriteJsonNumber(out, rows.click.bpm);
    } else if (request.frames) {
        WriteText(out, L", \"click\": null, \"click_bpm\": null");
    }
    WriteText(out, L", \"notes\": [\n");
    for (int i = 0; i < rows.count; ++i) {
        const NoteRow &row = rows.rows[i];
        WriteText(out, L"  {\"note\": ");
        WriteJsonString(out, row.caption);
        WriteText(out, L", \"ticks\": ");
        WriteJsonResult(out, row.ticks);
        WriteText(out, L", \"ms\": ");
        WriteJsonResult(out, row.milliseconds);
        if (request.exact) {
            WriteText(out, L", \"exact_ticks\": ");
            if (row.exactTicks[0] != L'\0') {
                WriteJsonString(out, row.exactTicks);
            } else {
                WriteText(out, L"null");
            }
        }
        if (request.samples) {
            WriteText(out, L", \"samples\": ");
            WriteJsonResult(out, row.samples);
        }
        if (request.hertz) {
            WriteText(out, L", \"hz\": ");
            WriteJsonResult(out, row.hertz);
        }
        if (request.frames) {
            WriteText(out, L", \"frames\": ");
            WriteJsonResult(out, row.frames);
        }
        WriteText(out, i + 1 < rows.count ? L"},\n" : L"}\n");
    }
    WriteText(out, output.manyPairs ? L"]}" : L"]}\n");
}

}  // namespace

void WriteNoteRows(NoteOutput &output, const NoteRows &rows) {
    if (output.pairsWritten == 0 && output.format == OutputFormat::kCsv) {
        WriteCsvHeader(output);
    } else if (output.pairsWritten == 0 && output.format == OutputFormat::kJson &&
               output.manyPairs) {
        WriteText(output.out, L"[\n");
    }
    switch (output.format) {
        case OutputFormat::kTable:
            WriteTable(output, rows);
            break;
        case OutputFormat::kCsv:
            WriteCsv(output, rows);
            break;
        case OutputFormat::kJson:
            WriteJson(output, rows);
            break;
    }
    ++output.pairsWritten;
}

void EndNoteOutput(const NoteOutput &output) {
    if (output.format == OutputFormat::kJson && output.manyPairs && output.pairsWritten > 0) {
        WriteText(output.out, L"\n]\n");
    }
}
