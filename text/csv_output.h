// CSV fields as RFC 4180 writes them.
#ifndef TACTIMER_TEXT_CSV_OUTPUT_H
#define TACTIMER_TEXT_CSV_OUTPUT_H

#include "text/text_sink.h"

// The text as it stands, or in quotes, with its quotes doubled, when it
// holds a comma, a quote or a line break.
void WriteCsvField(const TextSink &out, const wchar_t *text);

#endif
