// Formatted text into a sink.
#include "text/text_sink.h"

#include <cstdarg>
#include <cwchar>

void Print(const TextSink &out, const wchar_t *format, ...) {
    wchar_t text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vswprintf(text, 512, format, arguments);
    va_end(arguments);
    WriteText(out, text);
}
