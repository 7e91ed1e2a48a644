// Reading the file, then printing what was asked of it.
#include "request/midi_mode.h"

#include <cwchar>

#include "midi/smf_reader.h"
#include "request/midi_report.h"
#include "request/note_tables.h"
#include "request/song_file.h"
#include "request/song_time_text.h"
#include "text/list_items.h"

namespace {

constexpr int kUnusableFile = 1;

SmfSong g_song;
TempoMap g_map;
MidiReport g_report;
Request g_tableRequest;

// The note-length table at the tempo in force at the tick, for the file's
// resolution, as --tempo-us would print it.
int PrintTableAt(const Request &request, std::uint64_t tick, const RequestPlatform &platform,
                 const TextSink &out, const TextSink &err) {
    if (g_song.division.smpte) {
        Complain(err, request.midi.fileName,
                 L": its division is in SMPTE frames, so it has no ticks a quarter note for a "
                 L"table");
        return kUnusableFile;
    }
    const std::uint32_t microseconds = TempoAtTick(g_map, tick);
    g_tableRequest = request;
    g_tableRequest.mode = RequestMode::kOnePair;
    g_tableRequest.notes.tempoInMicroseconds = true;
    std::swprintf(g_tableRequest.numbers[0], kFieldTextCapacity, L"%lu",
                  static_cast<unsigned long>(microseconds));
    std::swprintf(g_tableRequest.numbers[1], kFieldTextCapacity, L"%d",
                  g_song.division.ticksPerQuarter);
    g_tableRequest.numberLengths[0] = static_cast<int>(std::wcslen(g_tableRequest.numbers[0]));
    g_tableRequest.numberLengths[1] = static_cast<int>(std::wcslen(g_tableRequest.numbers[1]));
    return PrintNoteTables(g_tableRequest, platform.standardInput, out, err);
}

// The tick at a time typed in milliseconds. A tick's time is a whole number
// over this denominator, so the floor of the time over it decides.
bool TickAtTypedTime(const DecimalText &milliseconds, std::uint64_t &tick) {
    const SmfDivision &division = g_song.division;
    const MidiInteger denominator =
        division.smpte ? SmpteTickMicroseconds(division).denominator : division.ticksPerQuarter;
    MidiInteger scaled = 0;
    const MidiTime last = TimeOfTick(g_map, kMaxSongTick);
    if (!ScaledMicroseconds(milliseconds, denominator, scaled) ||
        scaled * last.denominator > last.numerator * denominator) {
        return false;
    }
    tick = TickAtTime(g_map, {scaled, denominator});
    return true;
}

// The ticks of --at, then those found for --at-ms; false at a time past
// the last tick a file may have, named in badItem.
bool FindAtPoints(const MidiRequest &midi, MidiReport &report, FieldText &badItem) {
    report.atCount = 0;
    // The lists were checked with the arguments, and hold at most
    // kMaxAtPoints items between them.
    if (midi.ticks[0] != L'\0') {
        ForEachListItem(midi.ticks, badItem, [&](const wchar_t *text, int length) {
            AtPoint &at = report.at[report.atCount++];
            at = {0, false, {}};
            return ReadTickText(text, length, at.tick);
        });
    }
    if (midi.times[0] != L'\0') {
        return ForEachListItem(midi.times, badItem, [&](const wchar_t *text, int length) {
            AtPoint &at = report.at[report.atCount++];
            at = {0, true, {}};
            return ReadDecimalText(text, length, at.askedMilliseconds) &&
                   TickAtTypedTime(at.askedMilliseconds, at.tick);
        });
    }
    return true;
}

}  // namespace

int PrintMidiFile(const Request &request, const RequestPlatform &platform, const TextSink &out,
                  const TextSink &err) {
    const MidiRequest &midi = request.midi;
    ByteSource file;
    if (!ReadSongFile(midi, platform, err, g_song, file)) {
        return kUnusableFile;
    }
    platform.files.Close(file);
    // The whole file was read: what does not fit is the map's exact times.
    if (!BuildTempoMap(g_song, g_map)) {
        wchar_t count[96];
        std::swprintf(count, 96,
                      L": the exact times of its %lld tempo changes do not fit in memory",
                      g_song.tempos.count);
        Complain(err, midi.fileName, count);
        return kUnusableFile;
    }
    if (midi.tableAtTick) {
        std::uint64_t tick = 0;
        ReadTickText(midi.tableTick, static_cast<int>(std::wcslen(midi.tableTick)), tick);
        return PrintTableAt(request, tick, platform, out, err);
    }
    MidiReport &report = g_report;
    report.fileName = midi.fileName;
    report.song = &g_song;
    report.map = &g_map;
    report.askedForPoints = midi.ticks[0] != L'\0' || midi.times[0] != L'\0';
    FieldText item;
    if (!FindAtPoints(midi, report, item)) {
        Complain(err, L"--at-ms: '", item,
                 L"' lies past tick 2^62, the last that a MIDI file may have");
        return kUnusableFile;
    }
    WriteMidiReport(report, request.format, request.notes.language, out);
    return 0;
}
