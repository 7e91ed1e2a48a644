// Escaping control characters, and the one-line messages of standard
// error.
#include "text/one_line_text.h"

#include <cwchar>
#include <initializer_list>

void ShowOnOneLine(const wchar_t *text, int length, wchar_t *shown, int capacity) {
    int used = 0;
    for (int i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        wchar_t escape[8] = {c, L'\0'};
        if (c == L'\t' || c == L'\n' || c == L'\r') {
            std::swprintf(escape, 8, L"\\%lc", c == L'\t' ? L't' : c == L'\n' ? L'n' : L'r');
        } else if (c < 0x20 || c == 0x7F) {
            std::swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(c));
        } else if (c >= 0x80 && c <= 0x9F) {
            std::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c));
        }
        const int size = escape[1] == L'\0' ? 1 : static_cast<int>(std::wcslen(escape));
        if (used + size > capacity - 1) {
            break;
        }
        for (int j = 0; j < size; ++j) {
            shown[used++] = escape[j];
        }
    }
    shown[used] = L'\0';
}

void WriteOnOneLine(const TextSink &out, const wchar_t *text) {
    // A part at a time, each escape whole in its part.
    constexpr int kPart = 64;
    wchar_t shown[4 * kPart + 1];
    for (int length = static_cast<int>(std::wcslen(text)); length > 0;) {
        const int part = length < kPart ? length : kPart;
        ShowOnOneLine(text, part, shown, 4 * kPart + 1);
        WriteText(out, shown);
        text += part;
        length -= part;
    }
}

void Complain(const TextSink &err, const wchar_t *first, const wchar_t *second,
              const wchar_t *third, const wchar_t *fourth, const wchar_t *fifth) {
    WriteText(err, L"tactimer-cli: ");
    for (const wchar_t *part : {first, second, third, fourth, fifth}) {
        WriteOnOneLine(err, part);
    }
    WriteText(err, L"\n");
}
