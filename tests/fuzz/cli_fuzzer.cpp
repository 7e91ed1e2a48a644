// Feeds arbitrary arguments and standard input to tactimer-cli as a whole.
//
// Input: the arguments as UTF-8, each ended by a zero byte, then an empty
// argument (a second zero byte) and the bytes of standard input. Without
// the empty argument, everything is arguments and standard input is empty.
//
// Files written go to memory, as the page's downloads will.
//
// Checked: no crash, hang or sanitizer report; the exit status is 0, 1 or
// 2; success prints something or writes a file; a usage error or unusable
// input says why on standard error in a "tactimer-cli: " line first, and a usage error (but
// an unknown note) prints the synopsis after that one line and where to read
// more; no text holds a zero; standard input that starts with a UTF-8
// byte-order mark gives what it gives without one (the seeds hold marks and
// zero bytes there); a MIDI file written reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "midi/smf_reader.h"
#include "request/run_request.h"
#include "tests/memory_bytes.h"
#include "tests/memory_sink.h"
#include "text/utf8.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct FuzzInput {
    std::vector<std::string> arguments;
    // Standard input, and any file: a few bytes at a time, so that lines and
    // events straddle reads.
    MemoryBytes input;
    std::vector<unsigned char> written;
    bool committed;
};

int GetArgument(void *context, int index, wchar_t *text, int capacity) {
    return DecodeUtf8(static_cast<FuzzInput *>(context)->arguments[index].c_str(), text, capacity);
}

// Files come from the fuzzer's standard input bytes too.
bool OpenInput(void *context, int, int, ByteSource &file) {
    MemoryBytes &input = static_cast<FuzzInput *>(context)->input;
    input.position = 0;
    file = {&input, ReadMemoryBytes};
    return true;
}

void CloseInput(ByteSource &) {}

OutputProblem BeginOutput(void *context, const OutputTarget &, ByteSink &sink) {
    FuzzInput &fuzz = *static_cast<FuzzInput *>(context);
    fuzz.written.clear();
    sink = MemorySink(fuzz.written);
    return OutputProblem::kNone;
}

OutputProblem CommitOutput(void *context) {
    static_cast<FuzzInput *>(context)->committed = true;
    return OutputProblem::kNone;
}

OutputProblem AbandonOutput(void *) {
    return OutputProblem::kNone;
}

SmfSong g_song;

void Append(void *context, const wchar_t *text) {
    *static_cast<std::wstring *>(context) += text;
}

void RequireWellFormed(const std::wstring &text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            // A high surrogate from an argument, cut after it or not.
            continue;
        }
        Require(c != 0);
    }
}

struct Outcome {
    int status;
    std::wstring out;
    std::wstring err;
};

Outcome Run(FuzzInput &fuzz) {
    Outcome outcome = {0, L"", L""};
    outcome.status = RunRequest({{&fuzz, static_cast<int>(fuzz.arguments.size()), GetArgument},
                                 {&fuzz.input, ReadMemoryBytes},
                                 {&outcome.out, Append},
                                 {&outcome.err, Append},
                                 {&fuzz, OpenInput, CloseInput},
                                 {&fuzz, BeginOutput, CommitOutput, AbandonOutput}});
    return outcome;
}

const wchar_t kTryHelp[] = L"Try 'tactimer-cli --help' for more.\n";

bool EndsWith(const std::wstring &text, const std::wstring &end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput fuzz = {{}, {data + size, 0, 0, 7}, {}, false};
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0) {
            continue;
        }
        if (i == start) {
            fuzz.input.bytes = data + i + 1;
            fuzz.input.size = static_cast<long>(size - i - 1);
            break;
        }
        fuzz.arguments.emplace_back(reinterpret_cast<const char *>(data + start), i - start);
        start = i + 1;
    }
    if (fuzz.input.bytes == data + size && start < size) {
        fuzz.arguments.emplace_back(reinterpret_cast<const char *>(data + start), size - start);
    }
    const Outcome outcome = Run(fuzz);
    const int status = outcome.status;
    const std::wstring &out = outcome.out;
    const std::wstring &err = outcome.err;
    Require(status >= 0 && status <= 2);
    if (status == 0) {
        // A file written to standard output leaves its report on standard
        // error.
        Require(!out.empty() || fuzz.committed);
    } else {
        Require(err.compare(0, 14, L"tactimer-cli: ") == 0);
        Require(err.find(L'\n') != std::wstring::npos);
    }
    // A usage error is its one line, the synopsis and where to read more.
    const bool usage =
        err.find(L"\nusage: tactimer-cli") == err.find(L'\n') && EndsWith(err, kTryHelp);
    Require((status == 2) == usage || err.find(L"is no note") != std::wstring::npos);
    RequireWellFormed(out);
    RequireWellFormed(err);
    if (fuzz.committed) {
        MemoryBytes written = {fuzz.written.data(), static_cast<long>(fuzz.written.size()), 0,
                               1 << 16};
        SmfError error;
        Require(status == 0 && ReadSmf({&written, ReadMemoryBytes}, g_song, error));
    }
    // Standard input read as lines skips one mark at its start; a file
    // (whose bytes the fuzzer's input also gives) is no text.
    const std::vector<std::string> &arguments = fuzz.arguments;
    bool file = false;
    for (const std::string &argument : arguments) {
        file = file || argument.compare(0, 6, "--midi") == 0;
    }
    const unsigned char mark[] = {0xEF, 0xBB, 0xBF};
    if (!file && fuzz.input.size > 0 && fuzz.input.size < 4096 &&
        std::memcmp(fuzz.input.bytes, mark, fuzz.input.size < 3 ? fuzz.input.size : 3) != 0) {
        std::vector<unsigned char> marked(mark, mark + 3);
        marked.insert(marked.end(), fuzz.input.bytes, fuzz.input.bytes + fuzz.input.size);
        FuzzInput again = {
            arguments, {marked.data(), static_cast<long>(marked.size()), 0, 7}, {}, false};
        const Outcome withMark = Run(again);
        Require(withMark.status == status && withMark.out == out && withMark.err == err);
    }
    return 0;
}
