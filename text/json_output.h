// JSON values as Tactimer writes them.
#ifndef TACTIMER_TEXT_JSON_OUTPUT_H
#define TACTIMER_TEXT_JSON_OUTPUT_H

#include "text/text_sink.h"

// The shortest text that reads back as the value; null when not finite.
void WriteJsonNumber(const TextSink &out, double value);

// A result text ("62.50") as the number it shows, its digits as they
// stand; null for "inf", "-inf", "nan" and "--".
void WriteJsonResult(const TextSink &out, const wchar_t *text);

// In quotes, with quotes, backslashes and control characters escaped.
void WriteJsonString(const TextSink &out, const wchar_t *text);

#endif
