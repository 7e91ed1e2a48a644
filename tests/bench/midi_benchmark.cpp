// Reading the tempo map of a large song held in memory (16 tracks, about 10
// million events, in running status mostly, with tempo changes), against
// the baseline of simply summing the same bytes as they come through the
// same kind of source, and rewriting the whole song at another resolution
// into memory (twice the resolution, exact; half of it, where most events
// move). Each reports MB/s; the reader's also reports how many times slower
// than the byte sum it is ("times_the_byte_sum") and the memory it keeps for
// each tempo change ("bytes_kept_per_tempo_change"), the rewriting how many
// times slower than reading the tempo map ("times_the_tempo_map_read").
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "midi/smf_reader.h"
#include "midi/smf_retick.h"
#include "midi/tempo_map.h"
#include "tests/bench/benchmark_song.h"
#include "tests/memory_bytes.h"
#include "tests/memory_sink.h"

namespace {

constexpr long kReadSize = 1 << 16;

const std::vector<unsigned char> &Song() {
    static const std::vector<unsigned char> song = MakeBenchmarkSong(kBenchmarkSongEvents);
    return song;
}

// The same reads, each byte added up.
unsigned long SumBytes() {
    const std::vector<unsigned char> &song = Song();
    MemoryBytes memory = {song.data(), static_cast<long>(song.size()), 0, kReadSize};
    static unsigned char buffer[kReadSize];
    unsigned long sum = 0;
    for (long read; (read = ReadMemoryBytes(&memory, buffer, kReadSize)) > 0;) {
        for (long i = 0; i < read; ++i) {
            sum += buffer[i];
        }
    }
    return sum;
}

bool ReadTempoMap(SmfSong &song, TempoMap &map) {
    const std::vector<unsigned char> &bytes = Song();
    // In reads of 64 KiB, as a file would come.
    MemoryBytes memory = {bytes.data(), static_cast<long>(bytes.size()), 0, kReadSize};
    SmfError error;
    return ReadSmf({&memory, ReadMemoryBytes}, song, error) && BuildTempoMap(song, map);
}

double SecondsOf(bool (*run)()) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(run());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = took.count() < best ? took.count() : best;
    }
    return best;
}

SmfSong g_song;
TempoMap g_map;

void BM_ReadTempoMap(benchmark::State &state) {
    for (auto _ : state) {
        if (!ReadTempoMap(g_song, g_map)) {
            state.SkipWithError("the song did not read");
            return;
        }
        benchmark::DoNotOptimize(g_map.quarterMicrosecondsBefore.count);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(Song().size()));
    state.counters["tempo_changes"] = static_cast<double>(g_song.tempos.count);
    state.counters["MB"] = Song().size() / 1e6;
    // What is kept of each tempo change: the song's tick and tempo and the
    // map's exact time, as allocated.
    state.counters["bytes_kept_per_tempo_change"] =
        static_cast<double>(g_song.tempos.capacity * sizeof(SmfTempo) +
                            g_map.quarterMicrosecondsBefore.capacity * sizeof(MidiInteger)) /
        static_cast<double>(g_song.tempos.count);
    // Both measured here, on the same machine at the same moment.
    const double reading = SecondsOf([] { return ReadTempoMap(g_song, g_map); });
    const double summing = SecondsOf([] { return SumBytes() != 0; });
    state.counters["times_the_byte_sum"] = reading / summing;
}
BENCHMARK(BM_ReadTempoMap)->Unit(benchmark::kMillisecond);

void BM_SumBytes(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SumBytes());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(Song().size()));
}
BENCHMARK(BM_SumBytes)->Unit(benchmark::kMillisecond);

int g_to;
std::vector<unsigned char> g_written;
SmfOutput g_output;

// Both passes of tactimer-cli --retick: the song read, then rewritten.
bool Retick() {
    const std::vector<unsigned char> &bytes = Song();
    MemoryBytes memory = {bytes.data(), static_cast<long>(bytes.size()), 0, kReadSize};
    SmfError error;
    if (!ReadSmf({&memory, ReadMemoryBytes}, g_song, error)) {
        return false;
    }
    memory.position = 0;
    g_written.clear();
    StartOutput(g_output, MemorySink(g_written));
    RetickReport report;
    RetickError retickError;
    return RetickSmf({&memory, ReadMemoryBytes}, g_song, g_to, &g_output, report, retickError);
}

void BM_RetickSong(benchmark::State &state) {
    g_to = static_cast<int>(state.range(0));
    g_written.reserve(2 * Song().size());
    for (auto _ : state) {
        if (!Retick()) {
            state.SkipWithError("the song did not rewrite");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(Song().size()));
    state.counters["MB_written"] = g_written.size() / 1e6;
    const double rewriting = SecondsOf(Retick);
    const double reading = SecondsOf([] { return ReadTempoMap(g_song, g_map); });
    state.counters["times_the_tempo_map_read"] = rewriting / reading;
}
BENCHMARK(BM_RetickSong)->Arg(1920)->Arg(480)->Unit(benchmark::kMillisecond);

}  // namespace
