// Where a request's texts go: standard output or standard error, as the
// platform writes them, a page's buffer, or a buffer in the tests.
#ifndef TACTIMER_TEXT_TEXT_SINK_H
#define TACTIMER_TEXT_TEXT_SINK_H

#include <initializer_list>

struct TextSink {
    void *context;
    void (*Write)(void *context, const wchar_t *text);
    // A console or terminal, which is handed characters to show rather than
    // bytes to keep.
    bool console = false;
};

inline void WriteText(const TextSink &sink, const wchar_t *text) {
    sink.Write(sink.context, text);
}

// One line on standard error: "tactimer-cli: " and the parts.
inline void Complain(const TextSink &err, const wchar_t *first, const wchar_t *second = L"",
                     const wchar_t *third = L"", const wchar_t *fourth = L"",
                     const wchar_t *fifth = L"") {
    for (const wchar_t *part : {L"tactimer-cli: ", first, second, third, fourth, fifth, L"\n"}) {
        WriteText(err, part);
    }
}

#endif
