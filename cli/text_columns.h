// Aligning text in a terminal's columns, where East Asian wide and
// full-width characters take two.
#ifndef TACTIMER_CLI_TEXT_COLUMNS_H
#define TACTIMER_CLI_TEXT_COLUMNS_H

#include "cli/text_sink.h"

int ColumnsOf(const wchar_t *text);

// The text, right-aligned in width columns.
void WritePadded(const TextSink &out, const wchar_t *text, int width);

#endif
