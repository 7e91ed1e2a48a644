// One track, its events merged from the lists in tick order: at one tick,
// the time signature first, then the tempos, then the markers.
#include "midi/tempo_map_file.h"

#include <cstring>

namespace {

constexpr std::uint64_t kMaxTick = std::uint64_t(1) << 62;

TickScale g_scale;

template <typename T>
bool CopyItems(const GrowingArray<T> &from, GrowingArray<T> &to) {
    to.count = 0;
    for (long long i = 0; i < from.count; ++i) {
        if (!Append(to, from.items[i])) {
            return false;
        }
    }
    return true;
}

template <typename T>
void MoveTicks(GrowingArray<T> &items) {
    for (long long i = 0; i < items.count; ++i) {
        items.items[i].tick = MoveTick(g_scale, items.items[i].tick);
    }
}

// Which list the next event comes from, in tick order, or -1 at the end.
struct Merge {
    long long next[3];  // of signatures, tempos, markers
};

std::uint64_t TickOf(const TempoMapFile &map, int list, long long index) {
    return list == 0   ? map.timeSignatures.items[index].tick
           : list == 1 ? map.tempos.items[index].tick
                       : map.markers.items[index].tick;
}

long long CountOf(const TempoMapFile &map, int list) {
    return list == 0 ? map.timeSignatures.count : list == 1 ? map.tempos.count : map.markers.count;
}

int NextList(const TempoMapFile &map, const Merge &merge) {
    int best = -1;
    for (int list = 0; list < 3; ++list) {
        if (merge.next[list] < CountOf(map, list) &&
            (best < 0 ||
             TickOf(map, list, merge.next[list]) < TickOf(map, best, merge.next[best]))) {
            best = list;
        }
    }
    return best;
}

// Walks the events in order; Visit(list, index, tick) for each.
template <typename Visit>
void ForEachEvent(const TempoMapFile &map, Visit visit) {
    Merge merge = {{0, 0, 0}};
    for (int list; (list = NextList(map, merge)) >= 0; ++merge.next[list]) {
        if (list == 1 && map.tempos.items[merge.next[1]].implied) {
            continue;
        }
        visit(list, merge.next[list], TickOf(map, list, merge.next[list]));
    }
}

void WriteMeta(SmfOutput &output, std::uint32_t delta, int type, const unsigned char *data,
               std::uint32_t length) {
    WriteVariableLength(output, delta);
    const unsigned char start[2] = {0xFF, static_cast<unsigned char>(type)};
    WriteBytes(output, start, 2);
    WriteVariableLength(output, length);
    WriteBytes(output, data, static_cast<long>(length));
}

void WriteText(SmfOutput &output, std::uint32_t delta, int type, const char *text) {
    WriteMeta(output, delta, type, reinterpret_cast<const unsigned char *>(text),
              static_cast<std::uint32_t>(std::strlen(text)));
}

}  // namespace

bool TempoMapOfSong(const SmfSong &song, TempoMapFile &map) {
    map.resolution = song.division.ticksPerQuarter;
    map.markers.count = 0;
    map.endTick = song.endTick;
    std::memcpy(map.trackName, song.name, sizeof map.trackName);
    map.smpteOffset = song.smpteOffset;
    return CopyItems(song.tempos, map.tempos) && CopyItems(song.timeSignatures, map.timeSignatures);
}

bool RetickTempoMap(TempoMapFile &map, int to, RetickReport &report) {
    if (!StartTickScale(g_scale, map.tempos, map.resolution, to)) {
        return false;
    }
    for (long long i = 0; i < map.tempos.count; ++i) {
        SmfTempo &tempo = map.tempos.items[i];
        // An implied tempo is no event of the file: it stays at tick 0.
        if (!tempo.implied) {
            tempo.tick = MoveTick(g_scale, tempo.tick);
        }
    }
    MoveTicks(map.timeSignatures);
    MoveTicks(map.markers);
    map.endTick = MoveTick(g_scale, map.endTick);
    map.resolution = to;
    report = g_scale.report;
    return true;
}

bool FitsInFile(const TempoMapFile &map) {
    std::uint64_t last = 0;
    bool fits = map.endTick <= kMaxTick;
    ForEachEvent(map, [&](int, long long, std::uint64_t tick) {
        fits = fits && tick <= kMaxTick && tick - last <= kMaxVariableLength;
        last = tick;
    });
    const std::uint64_t end = map.endTick > last ? map.endTick : last;
    return fits && end - last <= kMaxVariableLength;
}

bool WriteTempoMapFile(const TempoMapFile &map, SmfOutput &output) {
    WriteHeaderChunk(output, 1, 1, map.resolution);
    const long long length = BeginTrackChunk(output);
    WriteText(output, 0, 0x03, map.trackName);
    if (map.smpteOffset.present) {
        WriteMeta(output, 0, 0x54, map.smpteOffset.bytes, 5);
    }
    std::uint64_t last = 0;
    ForEachEvent(map, [&](int list, long long index, std::uint64_t tick) {
        const std::uint32_t delta = static_cast<std::uint32_t>(tick - last);
        last = tick;
        if (list == 0) {
            const SmfTimeSignature &signature = map.timeSignatures.items[index];
            // 24 MIDI clocks a metronome click and 8 32nd notes a quarter,
            // which the map does not keep: the common values.
            const unsigned char data[4] = {static_cast<unsigned char>(signature.numerator),
                                           static_cast<unsigned char>(signature.denominatorPower),
                                           24, 8};
            WriteMeta(output, delta, 0x58, data, 4);
        } else if (list == 1) {
            const std::uint32_t microseconds = map.tempos.items[index].microsecondsPerQuarter;
            const unsigned char data[3] = {static_cast<unsigned char>(microseconds >> 16),
                                           static_cast<unsigned char>(microseconds >> 8),
                                           static_cast<unsigned char>(microseconds)};
            WriteMeta(output, delta, 0x51, data, 3);
        } else {
            WriteText(output, delta, 0x06, map.markers.items[index].name);
        }
    });
    const std::uint64_t end = map.endTick > last ? map.endTick : last;
    WriteMeta(output, static_cast<std::uint32_t>(end - last), 0x2F, nullptr, 0);
    EndTrackChunk(output, length);
    return FinishOutput(output);
}
