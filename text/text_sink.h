// Where a request's texts go: standard output or standard error, as the
// platform writes them, a page's buffer, or a buffer in the tests.
#ifndef TACTIMER_TEXT_TEXT_SINK_H
#define TACTIMER_TEXT_TEXT_SINK_H

struct TextSink {
    void *context;
    void (*Write)(void *context, const wchar_t *text);
    // A console or terminal, which is handed characters to show rather than
    // bytes to keep.
    bool console = false;
    // Hands on what was written so far, for a sink that holds it back; null
    // for one that does not.
    void (*Flush)(void *context) = nullptr;
};

inline void WriteText(const TextSink &sink, const wchar_t *text) {
    sink.Write(sink.context, text);
}

inline void FlushText(const TextSink &sink) {
    if (sink.Flush != nullptr) {
        sink.Flush(sink.context);
    }
}

// Formatted as swprintf formats it, in up to 511 characters.
void Print(const TextSink &out, const wchar_t *format, ...);

// One line on standard error: "tactimer-cli: " and the parts, whose
// control characters (in an echoed argument or file name) are written as
// escapes, so that it stays one line.
void Complain(const TextSink &err, const wchar_t *first, const wchar_t *second = L"",
              const wchar_t *third = L"", const wchar_t *fourth = L"", const wchar_t *fifth = L"");

#endif
