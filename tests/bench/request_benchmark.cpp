// The native twin of the page's MIDI figure: tactimer-cli's request
// (--format json --midi FILE) run in this process on the file's bytes in
// memory, as the page runs it, best of a few runs. Prints the milliseconds.
// Usage: request_benchmark FILE [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "request/run_request.h"
#include "tests/memory_bytes.h"

namespace {

const wchar_t *const kArguments[] = {L"--format", L"json", L"--midi", L"song.mid"};

int GetArgument(void *, int index, wchar_t *text, int capacity) {
    const std::wstring argument = kArguments[index];
    const int copied = static_cast<int>(argument.copy(text, static_cast<size_t>(capacity - 1)));
    text[copied] = L'\0';
    return static_cast<int>(argument.size());
}

long NoInput(void *, unsigned char *, long) {
    return 0;
}

MemoryBytes g_file;

bool OpenFile(void *, int, int, ByteSource &file) {
    g_file.position = 0;
    file = {&g_file, ReadMemoryBytes};
    return true;
}

void CloseFile(ByteSource &) {}

// Kept, as the page keeps what is printed.
void Keep(void *context, const wchar_t *text) {
    *static_cast<std::wstring *>(context) += text;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: request_benchmark FILE [RUNS]\n", stderr);
        return 2;
    }
    std::FILE *file = std::fopen(argv[1], "rb");
    std::vector<unsigned char> bytes;
    unsigned char buffer[1 << 16];
    for (size_t read; file != nullptr && (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    if (file == nullptr || std::fclose(file) != 0) {
        std::fprintf(stderr, "request_benchmark: cannot read %s\n", argv[1]);
        return 1;
    }
    g_file = {bytes.data(), static_cast<long>(bytes.size()), 0, 1 << 16};
    const int runs = argc == 3 ? std::atoi(argv[2]) : 5;
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        std::wstring out;
        std::wstring err;
        const auto start = std::chrono::steady_clock::now();
        const int status = RunRequest({{nullptr, 4, GetArgument},
                                       {nullptr, NoInput},
                                       {&out, Keep},
                                       {&err, Keep},
                                       {nullptr, OpenFile, CloseFile}});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (status != 0) {
            std::fprintf(stderr, "request_benchmark: the request failed: %ls", err.c_str());
            return 1;
        }
        best = took.count() < best ? took.count() : best;
    }
    std::printf("%.3f\n", best);
    return 0;
}
