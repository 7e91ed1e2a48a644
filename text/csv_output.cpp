// Quoting a CSV field.
#include "text/csv_output.h"

#include <cwchar>

void WriteCsvField(const TextSink &out, const wchar_t *text) {
    const bool quoted = std::wcspbrk(text, L",\"\r\n") != nullptr;
    wchar_t buffer[128];
    int length = 0;
    if (quoted) {
        buffer[length++] = L'"';
    }
    for (; *text != L'\0'; ++text) {
        // Room for a doubled quote and the closing one.
        if (length > 124) {
            buffer[length] = L'\0';
            WriteText(out, buffer);
            length = 0;
        }
        if (*text == L'"') {
            buffer[length++] = L'"';
        }
        buffer[length++] = *text;
    }
    if (quoted) {
        buffer[length++] = L'"';
    }
    buffer[length] = L'\0';
    WriteText(out, buffer);
}
