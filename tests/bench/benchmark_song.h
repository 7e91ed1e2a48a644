// The benchmarks' song: 16 tracks of seeded events, in running status
// mostly, with a tempo change every 1,000 events of the first track. With
// 640,000 events a track it is about 31 MB and 10 million events.
#ifndef TACTIMER_TESTS_BENCH_BENCHMARK_SONG_H
#define TACTIMER_TESTS_BENCH_BENCHMARK_SONG_H

#include <random>
#include <vector>

constexpr int kBenchmarkSongEvents = 640000;

inline void AppendNumber(std::vector<unsigned char> &bytes, unsigned long value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

inline void AppendVariableLength(std::vector<unsigned char> &bytes, unsigned long value) {
    unsigned char reversed[4];
    int count = 0;
    do {
        reversed[count++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        bytes.push_back(reversed[--count] | 0x80);
    }
    bytes.push_back(reversed[0]);
}

inline std::vector<unsigned char> MakeBenchmarkSong(int eventsPerTrack) {
    constexpr int kTracks = 16;
    std::mt19937 random(10000000);
    std::vector<unsigned char> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    AppendNumber(bytes, kTracks, 2);
    AppendNumber(bytes, 960, 2);
    for (int track = 0; track < kTracks; ++track) {
        std::vector<unsigned char> events;
        for (int i = 0; i < eventsPerTrack; ++i) {
            AppendVariableLength(events, random() % 200 < 190 ? random() % 120 : random() % 4000);
            if (track == 0 && i % 1000 == 0) {
                const unsigned long tempo = 300000 + random() % 400000;
                events.insert(events.end(), {0xFF, 0x51, 0x03});
                AppendNumber(events, tempo, 3);
                // A meta event ends the running status.
                events.insert(events.end(), {0x00, static_cast<unsigned char>(0x90 | track)});
            } else if (i % 64 == 0) {
                events.push_back(static_cast<unsigned char>(0x90 | (track % 16)));
            }
            events.push_back(static_cast<unsigned char>(random() % 128));
            events.push_back(static_cast<unsigned char>(random() % 128));
        }
        events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
        bytes.insert(bytes.end(), {'M', 'T', 'r', 'k'});
        AppendNumber(bytes, events.size(), 4);
        bytes.insert(bytes.end(), events.begin(), events.end());
    }
    return bytes;
}

#endif
