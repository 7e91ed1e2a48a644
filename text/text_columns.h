// Tables in a terminal's columns, where East Asian wide and full-width
// characters take two.
#ifndef TACTIMER_TEXT_TEXT_COLUMNS_H
#define TACTIMER_TEXT_TEXT_COLUMNS_H

#include "calc/field_text.h"
#include "text/text_sink.h"

constexpr int kMaxTableColumns = 8;

struct ColumnTable {
    const void *context;
    int columns;  // up to kMaxTableColumns
    const wchar_t *const *headers;
    long long rows;
    void (*cell)(const void *context, long long row, int column, FieldText &text);
    // Written after a row's cells, or null.
    const wchar_t *(*after)(const void *context, long long row);
};

// Every column right-aligned under its header, two spaces apart, each as
// wide as its widest text.
void WriteColumnTable(const TextSink &out, const ColumnTable &table);

#endif
