// Where the command line's texts go: standard output or standard error, as
// the platform writes them, or a buffer in the tests.
#ifndef TACTIMER_CLI_TEXT_SINK_H
#define TACTIMER_CLI_TEXT_SINK_H

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

#endif
