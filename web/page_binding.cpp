// The page's binding of the request runner: arguments in as the page hands
// them (UTF-8, each ended by a zero byte), standard output and standard
// error kept as UTF-8 for the page to read, and the page's file and
// standard input read through the page's own callbacks, a buffer at a
// time. Everything the page shows is what the runner prints here.
#include <emscripten/emscripten.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "request/run_request.h"
#include "text/utf8.h"

namespace {

constexpr int kMaxArguments = 256;
// More than any report a page can show; past it the output is cut and
// said to be.
constexpr long kMaxPrintedBytes = 256L * 1024 * 1024;

enum Source { kStandardInput, kFile };
enum Stream { kOut, kErr };

char *g_argumentBytes;
long g_argumentCapacity;
const char *g_arguments[kMaxArguments];

struct Printed {
    char *bytes;
    long size;
    long capacity;
    bool cut;
};

Printed g_printed[2];

// Room for size bytes; false, and cut, past what the page keeps.
bool Reserve(Printed &printed, long long size) {
    if (printed.cut) {
        return false;
    }
    if (size > printed.capacity) {
        long capacity = printed.capacity < 4096 ? 4096 : printed.capacity;
        while (capacity < size && capacity <= kMaxPrintedBytes) {
            capacity *= 2;
        }
        void *grown = capacity <= kMaxPrintedBytes
                          ? std::realloc(printed.bytes, static_cast<size_t>(capacity))
                          : nullptr;
        if (grown == nullptr) {
            printed.cut = true;
            return false;
        }
        printed.bytes = static_cast<char *>(grown);
        printed.capacity = capacity;
    }
    return true;
}

void AppendBytes(void *context, const char *bytes, int count) {
    Printed &printed = *static_cast<Printed *>(context);
    if (Reserve(printed, printed.size + count)) {
        std::memcpy(printed.bytes + printed.size, bytes, static_cast<size_t>(count));
        printed.size += count;
    }
}

void WritePrinted(void *context, const wchar_t *text) {
    EncodeUtf8(text, AppendBytes, context);
}

int GetArgument(void *, int index, wchar_t *text, int capacity) {
    return DecodeUtf8(g_arguments[index], text, capacity);
}

// The page keeps the bytes of its sources; each run reads them from the
// start.
EM_JS(bool, OpenPageSource, (int source), { return Module["openSource"](source); });
EM_JS(long, ReadPageSource, (int source, unsigned char *bytes, long capacity),
      { return Module["readSource"](source, bytes, capacity); });

// Each source's number, for the page's callbacks.
int g_sources[] = {kStandardInput, kFile};

long ReadSource(void *context, unsigned char *bytes, long capacity) {
    return ReadPageSource(*static_cast<int *>(context), bytes, capacity);
}

// The page has one file at a time, whatever the argument calls it.
bool OpenFile(void *, int, int, ByteSource &file) {
    file = {&g_sources[kFile], ReadSource};
    return OpenPageSource(kFile);
}

void CloseFile(ByteSource &) {}

// A MIDI file the runner writes: the page offers it as a download, or, for
// "-", it is standard output's bytes.
struct Written {
    Printed bytes;
    bool toStandardOutput;
    bool committed;
};

Written g_written;

bool WriteWrittenAt(void *, long long offset, const unsigned char *bytes, long count) {
    Printed &written = g_written.bytes;
    if (!Reserve(written, offset + count)) {
        return false;
    }
    if (offset > written.size) {
        std::memset(written.bytes + written.size, 0, static_cast<size_t>(offset - written.size));
    }
    std::memcpy(written.bytes + offset, bytes, static_cast<size_t>(count));
    written.size = offset + count > written.size ? static_cast<long>(offset + count) : written.size;
    return true;
}

bool SetWrittenLength(void *, long long length) {
    if (length < g_written.bytes.size) {
        g_written.bytes.size = static_cast<long>(length);
    }
    return true;
}

// A page has no other files: nothing it writes can be the file it reads,
// or one that exists.
OutputProblem BeginWritten(void *, const OutputTarget &target, ByteSink &sink) {
    g_written.bytes.size = 0;
    g_written.bytes.cut = false;
    g_written.toStandardOutput = target.argumentIndex < 0;
    g_written.committed = false;
    sink = {nullptr, WriteWrittenAt, SetWrittenLength};
    return OutputProblem::kNone;
}

OutputProblem CommitWritten(void *) {
    const Printed &written = g_written.bytes;
    if (written.cut) {
        return OutputProblem::kTooLarge;
    }
    if (g_written.toStandardOutput) {
        Printed &out = g_printed[kOut];
        if (!Reserve(out, out.size + written.size)) {
            return OutputProblem::kTooLarge;
        }
        std::memcpy(out.bytes + out.size, written.bytes, static_cast<size_t>(written.size));
        out.size += written.size;
    } else {
        g_written.committed = true;
    }
    return OutputProblem::kNone;
}

OutputProblem AbandonWritten(void *) {
    return g_written.bytes.cut ? OutputProblem::kTooLarge : OutputProblem::kNone;
}

// A file the page does not hold is one that is not there.
FileProblem WhyNotOpened(void *, FieldText &) {
    return FileProblem::kNotFound;
}

}  // namespace

extern "C" {

// Room for the arguments' bytes, which the page writes before it runs them.
EMSCRIPTEN_KEEPALIVE char *tactimer_argument_bytes(long size) {
    if (size > g_argumentCapacity) {
        void *grown = std::realloc(g_argumentBytes, static_cast<size_t>(size));
        if (grown == nullptr) {
            return nullptr;
        }
        g_argumentBytes = static_cast<char *>(grown);
        g_argumentCapacity = size;
    }
    return g_argumentBytes;
}

// Runs the count arguments in the argument bytes; returns tactimer-cli's
// exit status, or -1 when there are more than it takes.
EMSCRIPTEN_KEEPALIVE int tactimer_run(int count) {
    if (count < 0 || count > kMaxArguments) {
        return -1;
    }
    // The C locale of this runtime stops wide formatting at the first
    // character outside ASCII; numbers keep '.' either way.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const char *next = g_argumentBytes;
    for (int i = 0; i < count; ++i) {
        g_arguments[i] = next;
        next += std::strlen(next) + 1;
    }
    for (Printed &printed : g_printed) {
        printed.size = 0;
        printed.cut = false;
    }
    g_written.committed = false;
    OpenPageSource(kStandardInput);
    const RequestPlatform platform = {
        {nullptr, count, GetArgument},
        {&g_sources[kStandardInput], ReadSource},
        {&g_printed[kOut], WritePrinted, false},
        {&g_printed[kErr], WritePrinted, false},
        {nullptr, OpenFile, CloseFile, WhyNotOpened},
        {nullptr, BeginWritten, CommitWritten, AbandonWritten},
    };
    return RunRequest(platform);
}

EMSCRIPTEN_KEEPALIVE const char *tactimer_printed(int stream) {
    return g_printed[stream].bytes;
}

EMSCRIPTEN_KEEPALIVE long tactimer_printed_size(int stream) {
    return g_printed[stream].size;
}

// The MIDI file the last run wrote to a name, for the page to offer; none
// (size 0) when it wrote none.
EMSCRIPTEN_KEEPALIVE const char *tactimer_written() {
    return g_written.bytes.bytes;
}

EMSCRIPTEN_KEEPALIVE long tactimer_written_size() {
    return g_written.committed ? g_written.bytes.size : 0;
}

// Whether what was printed was more than the page keeps.
EMSCRIPTEN_KEEPALIVE bool tactimer_printed_cut(int stream) {
    return g_printed[stream].cut;
}

}  // extern "C"
