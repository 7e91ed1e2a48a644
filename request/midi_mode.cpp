// Reading the file, then printing what was asked of it.
#include "request/midi_mode.h"

#include <cwchar>

#include "calc/number_text.h"
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
                 const TextSink &out) {
    if (g_song.division.smpte) {
        Complain(platform.err, request.midi.fileName,
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
    return PrintNoteTables(g_tableRequest, platform.standardInput, out, platform.err);
}

}  // namespace

int PrintMidiFile(const Request &request, const RequestPlatform &platform, const TextSink &out) {
    const MidiRequest &midi = request.midi;
    const TextSink &err = platform.err;
    ByteSource file;
    if (!ReadSongFile(midi, platform, g_song, file)) {
        return kUnusableFile;
    }
    platform.files.Close(file);
    if (!BuildTempoMap(g_song, g_map)) {
        ComplainAboutFile(err, midi.fileName, 0, SmfProblemText(SmfProblem::kOutOfMemory));
        return kUnusableFile;
    }
    FieldText item;
    if (midi.tableAtTick) {
        std::uint64_t tick = 0;
        ReadTickText(midi.tableTick, tick);
        return PrintTableAt(request, tick, platform, out);
    }
    MidiReport &report = g_report;
    report.fileName = midi.fileName;
    report.song = &g_song;
    bool fits = true;
    report.tempoPoints.count = 0;
    for (long long i = 0; i < g_song.tempos.count; ++i) {
        fits = fits && Append(report.tempoPoints, PointOfTick(g_map, g_song.tempos.items[i].tick));
    }
    report.signaturePoints.count = 0;
    for (long long i = 0; i < g_song.timeSignatures.count; ++i) {
        fits = fits && Append(report.signaturePoints,
                              PointOfTick(g_map, g_song.timeSignatures.items[i].tick));
    }
    report.end = PointOfTick(g_map, g_song.endTick);
    report.at.count = 0;
    report.askedForPoints = midi.ticks[0] != L'\0' || midi.times[0] != L'\0';
    // The lists were checked with the arguments.
    if (midi.ticks[0] != L'\0') {
        ForEachListItem(midi.ticks, item, [&](const wchar_t *text) {
            std::uint64_t tick = 0;
            ReadTickText(text, tick);
            fits = fits && Append(report.at, {PointOfTick(g_map, tick), false, 0});
            return true;
        });
    }
    if (midi.times[0] != L'\0') {
        ForEachListItem(midi.times, item, [&](const wchar_t *text) {
            MidiTime time;
            ReadMillisecondsText(text, time);
            fits = fits && Append(report.at, {PointOfTick(g_map, TickAtTime(g_map, time)), true,
                                              WideTextToDouble(text)});
            return true;
        });
    }
    if (!fits) {
        ComplainAboutFile(err, midi.fileName, 0, SmfProblemText(SmfProblem::kOutOfMemory));
        return kUnusableFile;
    }
    WriteMidiReport(report, request.format, request.notes.language, out);
    return 0;
}
