// Reads arbitrary bytes as a MIDI file, twice: in reads of one byte, which
// leave every event to the reader's careful way, and in reads of up to 64
// KiB, where it passes over channel messages fast. Both must find the same.
// Then writes each file it reads at twice its resolution and back.
//
// Checked: no crash, hang or sanitizer report; both readings agree on the
// error and where it is, or on the whole song; a song read has its tempos
// in tick order, the first at tick 0, none of them 0; time never goes back
// along the tempo map, and the tick at the time of each change is that
// change's tick; bars and beats count from 1. Rewritten at twice the
// resolution, the file reads with every tempo change and the end at twice
// its tick, and rewritten back it is the same bytes as the file rewritten at
// its own resolution (which mends only sizes and a last event cut short),
// which the careful way and the fast one write alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "midi/smf_reader.h"
#include "midi/smf_retick.h"
#include "midi/tempo_map.h"
#include "tests/memory_bytes.h"
#include "tests/memory_sink.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool Read(const std::uint8_t *data, std::size_t size, long readSize, SmfSong &song,
          SmfError &error) {
    MemoryBytes file = {data, static_cast<long>(size), 0, readSize};
    return ReadSmf({&file, ReadMemoryBytes}, song, error);
}

bool Same(const SmfTempo &a, const SmfTempo &b) {
    return a.tick == b.tick && a.microsecondsPerQuarter == b.microsecondsPerQuarter &&
           a.implied == b.implied;
}

bool Same(const SmfTimeSignature &a, const SmfTimeSignature &b) {
    return a.tick == b.tick && a.numerator == b.numerator &&
           a.denominatorPower == b.denominatorPower;
}

template <typename T>
bool SameItems(const GrowingArray<T> &a, const GrowingArray<T> &b) {
    if (a.count != b.count) {
        return false;
    }
    for (long long i = 0; i < a.count; ++i) {
        if (!Same(a.items[i], b.items[i])) {
            return false;
        }
    }
    return true;
}

bool Before(const MidiTime &a, const MidiTime &b) {
    return a.numerator * b.denominator < b.numerator * a.denominator;
}

SmfSong g_careful;
SmfSong g_fast;
SmfSong g_written;
TempoMap g_map;
SmfOutput g_output;

// The bytes rewritten at resolution to, read in reads of readSize; empty
// when the file cannot be moved there. song: the file as ReadSmf read it.
std::vector<unsigned char> Retick(const std::vector<unsigned char> &bytes, const SmfSong &song,
                                  int to, long readSize = 1 << 16) {
    MemoryBytes file = {bytes.data(), static_cast<long>(bytes.size()), 0, readSize};
    std::vector<unsigned char> written;
    StartOutput(g_output, MemorySink(written));
    RetickReport report;
    RetickError error;
    if (!RetickSmf({&file, ReadMemoryBytes}, song, to, &g_output, report, error)) {
        Require(error.problem == RetickProblem::kDeltaTooLong ||
                error.problem == RetickProblem::kTickTooLarge ||
                error.problem == RetickProblem::kChunkTooLong);
        written.clear();
    }
    return written;
}

const SmfSong &ReadWritten(const std::vector<unsigned char> &bytes) {
    MemoryBytes file = {bytes.data(), static_cast<long>(bytes.size()), 0, 1 << 16};
    SmfError error;
    Require(ReadSmf({&file, ReadMemoryBytes}, g_written, error));
    return g_written;
}

void RequireRoundTrip(const std::uint8_t *data, std::size_t size) {
    const SmfSong &song = g_fast;
    const int resolution = song.division.ticksPerQuarter;
    if (song.division.smpte || 2 * resolution > kMaxResolution) {
        return;
    }
    // The careful way and the fast one copy the same.
    const std::vector<unsigned char> original(data, data + size);
    const std::vector<unsigned char> same = Retick(original, g_careful, resolution, 1);
    Require(Retick(original, song, resolution) == same);
    if (same.empty()) {
        return;
    }
    const std::vector<unsigned char> doubled = Retick(same, ReadWritten(same), 2 * resolution);
    if (doubled.empty()) {
        return;
    }
    const SmfSong &written = ReadWritten(doubled);
    Require(written.division.ticksPerQuarter == 2 * resolution &&
            written.endTick == 2 * song.endTick && written.tempos.count == song.tempos.count);
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        Require(written.tempos.items[i].tick == 2 * tempo.tick &&
                written.tempos.items[i].microsecondsPerQuarter == tempo.microsecondsPerQuarter);
    }
    Require(Retick(doubled, written, resolution) == same);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    SmfError carefulError;
    SmfError fastError;
    const bool carefulRead = Read(data, size, 1, g_careful, carefulError);
    const bool fastRead = Read(data, size, 1 << 16, g_fast, fastError);
    Require(carefulRead == fastRead);
    if (!carefulRead) {
        Require(carefulError.problem == fastError.problem &&
                carefulError.offset == fastError.offset && carefulError.offset >= 0 &&
                carefulError.offset <= static_cast<long long>(size));
        return 0;
    }
    Require(SameItems(g_careful.tempos, g_fast.tempos));
    Require(SameItems(g_careful.timeSignatures, g_fast.timeSignatures));
    Require(g_careful.endTick == g_fast.endTick && g_careful.warningCount == g_fast.warningCount);
    Require(std::strcmp(g_careful.name, g_fast.name) == 0);
    Require(g_careful.smpteOffset.present == g_fast.smpteOffset.present &&
            std::memcmp(g_careful.smpteOffset.bytes, g_fast.smpteOffset.bytes, 5) == 0);
    RequireRoundTrip(data, size);

    const SmfSong &song = g_fast;
    Require(song.tempos.count > 0 && song.tempos.items[0].tick == 0);
    if (!BuildTempoMap(song, g_map)) {
        return 0;
    }
    MidiTime previous = {0, 1};
    for (long long i = 0; i < song.tempos.count; ++i) {
        const SmfTempo &tempo = song.tempos.items[i];
        Require(tempo.microsecondsPerQuarter > 0);
        Require(i == 0 || song.tempos.items[i - 1].tick <= tempo.tick);
        const MidiTime time = TimeOfTick(g_map, tempo.tick);
        Require(!Before(time, previous));
        Require(TickAtTime(g_map, time) == tempo.tick);
        previous = time;
        const BarPosition position = PositionOfTick(g_map, tempo.tick);
        Require(!position.known ||
                (position.bar >= 1 && position.beat >= 1 && position.beatTick >= 0));
    }
    const MidiTime end = TimeOfTick(g_map, song.endTick);
    Require(!Before(end, previous) && TickAtTime(g_map, end) == song.endTick);
    char text[kMillisecondsTextSize];
    FormatMilliseconds(end, text);
    Require(std::strchr(text, '.') != nullptr);
    return 0;
}
