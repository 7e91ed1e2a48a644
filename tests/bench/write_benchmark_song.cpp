// Writes the benchmarks' song to a file, for benchmarks outside this
// program (the page's, against JavaScript parsers): the 31 MB one, or one
// of fewer events a track.
// Usage: write_benchmark_song FILE [EVENTS_PER_TRACK]
#include <cstdio>
#include <cstdlib>

#include "tests/bench/benchmark_song.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: write_benchmark_song FILE [EVENTS_PER_TRACK]\n", stderr);
        return 2;
    }
    const int events = argc == 3 ? std::atoi(argv[2]) : kBenchmarkSongEvents;
    const std::vector<unsigned char> song = MakeBenchmarkSong(events);
    std::FILE *file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(song.data(), 1, song.size(), file) != song.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "write_benchmark_song: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
