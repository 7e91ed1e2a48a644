// JSON values.
#include "text/json_output.h"

#include <cmath>
#include <cwchar>

#include "text/shortest_number.h"

void WriteJsonNumber(const TextSink &out, double value) {
    if (!std::isfinite(value)) {
        WriteText(out, L"null");
        return;
    }
    FieldText text;
    FormatShortestNumber(value, text);
    WriteText(out, text);
}

void WriteJsonResult(const TextSink &out, const wchar_t *text) {
    const wchar_t *digits = text[0] == L'-' ? text + 1 : text;
    WriteText(out, digits[0] >= L'0' && digits[0] <= L'9' ? text : L"null");
}

void WriteJsonString(const TextSink &out, const wchar_t *text) {
    WriteText(out, L"\"");
    wchar_t plain[64];
    int length = 0;
    for (; *text != L'\0'; ++text) {
        wchar_t escaped[8] = L"";
        if (*text == L'"' || *text == L'\\') {
            std::swprintf(escaped, 8, L"\\%lc", static_cast<wint_t>(*text));
        } else if (*text < 0x20) {
            std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(*text));
        }
        if (escaped[0] != L'\0' || length == 63) {
            plain[length] = L'\0';
            WriteText(out, plain);
            length = 0;
        }
        if (escaped[0] != L'\0') {
            WriteText(out, escaped);
        } else {
            plain[length++] = *text;
        }
    }
    plain[length] = L'\0';
    WriteText(out, plain);
    WriteText(out, L"\"");
}
