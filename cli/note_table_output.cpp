// Writing the note rows. Captions and result texts never hold a comma, a
// quote, a backslash or a line break, so neither CSV nor JSON needs to quote
// or escape anything within them.
#include "cli/note_table_output.h"

#include <cmath>
#include <cwchar>

#include "calc/number_text.h"

namespace {

// Columns a character takes in a terminal: East Asian wide and full-width
// characters take two.
int ColumnsOf(wchar_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6);
    return wide ? 2 : 1;
}

int ColumnsOf(const wchar_t *text) {
    int columns = 0;
    for (; *text != L'\0'; ++text) {
        columns += ColumnsOf(*text);
    }
    return columns;
}

void WritePadded(const TextSink &out, const wchar_t *text, int width) {
    for (int columns = ColumnsOf(text); columns < width; ++columns) {
        WriteText(out, L" ");
    }
    WriteText(out, text);
}

void WriteTable(const NoteRows &rows, CaptionLanguage language, const TextSink &out) {
    const wchar_t *const header[3] = {
        language == CaptionLanguage::kJapanese ? L"音価" : L"note",
        language == CaptionLanguage::kJapanese ? L"Tick" : L"ticks",
        language == CaptionLanguage::kJapanese ? L"ミリ秒" : L"ms",
    };
    int widths[3] = {ColumnsOf(header[0]), ColumnsOf(header[1]), ColumnsOf(header[2])};
    for (int i = 0; i < rows.count; ++i) {
        const NoteRow &row = rows.rows[i];
        const int columns[3] = {ColumnsOf(row.caption), ColumnsOf(row.ticks),
                                ColumnsOf(row.milliseconds)};
        for (int column = 0; column < 3; ++column) {
            if (columns[column] > widths[column]) {
                widths[column] = columns[column];
            }
        }
    }
    for (int i = -1; i < rows.count; ++i) {
        const wchar_t *const cells[3] = {
            i < 0 ? header[0] : rows.rows[i].caption,
            i < 0 ? header[1] : rows.rows[i].ticks,
            i < 0 ? header[2] : rows.rows[i].milliseconds,
        };
        for (int column = 0; column < 3; ++column) {
            if (column > 0) {
                WriteText(out, L"  ");
            }
            WritePadded(out, cells[column], widths[column]);
        }
        WriteText(out, L"\n");
    }
}

// RFC 4180: CRLF after every record, the header included.
void WriteCsv(const NoteRows &rows, const TextSink &out) {
    WriteText(out, L"note,ticks,ms\r\n");
    for (int i = 0; i < rows.count; ++i) {
        const NoteRow &row = rows.rows[i];
        WriteText(out, row.caption);
        WriteText(out, L",");
        WriteText(out, row.ticks);
        WriteText(out, L",");
        WriteText(out, row.milliseconds);
        WriteText(out, L"\r\n");
    }
}

// The fewest significant digits that read back as the same double, written
// without an exponent where the number has at most 17 integer digits (480,
// not 4.8e+02).
void WriteJsonNumber(const TextSink &out, double value) {
    if (!std::isfinite(value)) {
        WriteText(out, L"null");
        return;
    }
    FieldText text;
    for (int digits = 1; digits <= 17; ++digits) {
        std::swprintf(text, kFieldTextCapacity, L"%.*g", digits, value);
        if (WideTextToDouble(text) == value) {
            break;
        }
    }
    if (const wchar_t *exponent = std::wcschr(text, L'e')) {
        const long power = std::wcstol(exponent + 1, nullptr, 10);
        if (power >= 0 && power < 17) {
            std::swprintf(text, kFieldTextCapacity, L"%.*g", static_cast<int>(power + 1), value);
        }
    }
    WriteText(out, text);
}

// A result text is a JSON number as it stands ("-0.00" included); the texts
// of infinities, NaN and "--" have no JSON number.
void WriteJsonResult(const TextSink &out, const wchar_t *text) {
    const wchar_t *digits = text[0] == L'-' ? text + 1 : text;
    WriteText(out, digits[0] >= L'0' && digits[0] <= L'9' ? text : L"null");
}

void WriteJson(const NoteRows &rows, const TextSink &out) {
    WriteText(out, L"{\"tempo\": ");
    WriteJsonNumber(out, rows.tempo);
    WriteText(out, L", \"resolution\": ");
    WriteJsonNumber(out, rows.resolution);
    WriteText(out, L", \"notes\": [\n");
    for (int i = 0; i < rows.count; ++i) {
        const NoteRow &row = rows.rows[i];
        WriteText(out, L"  {\"note\": \"");
        WriteText(out, row.caption);
        WriteText(out, L"\", \"ticks\": ");
        WriteJsonResult(out, row.ticks);
        WriteText(out, L", \"ms\": ");
        WriteJsonResult(out, row.milliseconds);
        WriteText(out, i + 1 < rows.count ? L"},\n" : L"}\n");
    }
    WriteText(out, L"]}\n");
}

}  // namespace

void WriteNoteRows(const NoteRows &rows, OutputFormat format, CaptionLanguage language,
                   const TextSink &out) {
    switch (format) {
        case OutputFormat::kTable:
            WriteTable(rows, language, out);
            break;
        case OutputFormat::kCsv:
            WriteCsv(rows, out);
            break;
        case OutputFormat::kJson:
            WriteJson(rows, out);
            break;
    }
}
