// Terminal columns.
#include "text/text_columns.h"

namespace {

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

// The text, right-aligned in width columns.
void WritePadded(const TextSink &out, const wchar_t *text, int width) {
    for (int columns = ColumnsOf(text); columns < width; ++columns) {
        WriteText(out, L" ");
    }
    WriteText(out, text);
}

}  // namespace

void WriteColumnTable(const TextSink &out, const ColumnTable &table) {
    int widths[kMaxTableColumns];
    FieldText text;
    for (int column = 0; column < table.columns; ++column) {
        widths[column] = ColumnsOf(table.headers[column]);
        for (long long row = 0; row < table.rows; ++row) {
            table.cell(table.context, row, column, text);
            const int columns = ColumnsOf(text);
            widths[column] = columns > widths[column] ? columns : widths[column];
        }
    }
    for (long long row = -1; row < table.rows; ++row) {
        for (int column = 0; column < table.columns; ++column) {
            WriteText(out, column > 0 ? L"  " : L"");
            if (row < 0) {
                CopyFieldText(table.headers[column], text);
            } else {
                table.cell(table.context, row, column, text);
            }
            WritePadded(out, text, widths[column]);
        }
        if (row >= 0 && table.after != nullptr) {
            WriteText(out, table.after(table.context, row));
        }
        WriteText(out, L"\n");
    }
}
