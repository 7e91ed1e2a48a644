// Reading the file, then printing what was asked of it.
#include "request/midi_mode.h"

#include <cwchar>

#include "midi/smf_reader.h"
#include "request/midi_report.h"
#include "request/note_tables.h"
#include "request/song_clock.h"
#include "request/song_file.h"
#include "request/song_time_text.h"
#include "text/list_items.h"
#include "text/utf8.h"

namespace {

constexpr int kUnusableFile = 1;

SmfSong g_song;
TempoMap g_map;
MidiReport g_report;
Request g_tableRequest;
SongClock g_clock;

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

// The tick that --at or --table-at names, a tick or a position; false,
// said, when the position is none of the file's.
bool FindPlace(const wchar_t *option, const wchar_t *text, int length, const wchar_t *fileName,
               const TextSink &err, std::uint64_t &tick) {
    SongPlace place;
    PositionProblem problem = PositionProblem::kNone;
    ReadSongPlace(text, length, place);
    if (TickOfPlace(g_map, place, tick, problem)) {
        return true;
    }
    FieldText shown;
    CopyTextPart(text, length, shown, kFieldTextCapacity);
    ListText why = L": ";
    DecodeUtf8(PositionProblemText(problem), why + 2, kListTextCapacity - 2);
    ListText where;
    std::swprintf(where, kListTextCapacity, L"' is no position in %ls%ls", fileName, why);
    Complain(err, option, L": '", shown, where);
    return false;
}

// The last tick that starts at or before the time, unless it lies past the
// last tick a file may have.
bool TickAtExactTime(const MidiTime &time, std::uint64_t &tick) {
    const MidiTime last = TimeOfTick(g_map, kMaxSongTick);
    if (time.numerator * last.denominator > last.numerator * time.denominator) {
        return false;
    }
    tick = TickAtTime(g_map, time);
    return true;
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

// The ticks of --at, then those found for --at-ms and --at-tc; false, said
// on err, at a position that the file has not, a time past the last tick a
// file may have, or a timecode that the clock cannot read or that comes
// before it starts.
bool FindAtPoints(const MidiRequest &midi, MidiReport &report, const TextSink &err) {
    report.atCount = 0;
    FieldText item;
    // The lists were checked with the arguments, and hold at most
    // kMaxAtPoints items between them.
    if (midi.ticks[0] != L'\0' &&
        !ForEachListItem(midi.ticks, item, [&](const wchar_t *text, int length) {
            AtPoint &at = report.at[report.atCount++];
            at = {0, false, {}, false, kMidnight};
            return FindPlace(L"--at", text, length, midi.fileName, err, at.tick);
        })) {
        return false;
    }
    if (midi.times[0] != L'\0' &&
        !ForEachListItem(midi.times, item, [&](const wchar_t *text, int length) {
            AtPoint &at = report.at[report.atCount++];
            at = {0, true, {}, false, kMidnight};
            return ReadDecimalText(text, length, at.askedMilliseconds) &&
                   TickAtTypedTime(at.askedMilliseconds, at.tick);
        })) {
        Complain(err, L"--at-ms: '", item,
                 L"' lies past tick 2^62, the last that a MIDI file may have");
        return false;
    }
    if (midi.timecodes[0] == L'\0') {
        return true;
    }
    if (!g_clock.running) {
        Complain(err, L"--at-tc needs --fps RATE to count its frames: ", midi.fileName,
                 L" has no SMPTE offset to take a frame rate from");
        return false;
    }
    ListText message;
    return ForEachListItem(midi.timecodes, item, [&](const wchar_t *text, int length) {
        AtPoint &at = report.at[report.atCount++];
        at = {0, false, {}, true, kMidnight};
        if (!ReadTypedTimecode(L"--at-tc:", text, length, g_clock.rate, at.askedTimecode,
                               message)) {
            Complain(err, message);
            return false;
        }
        const MidiTime time = TimeSinceStart(g_clock.rate, g_clock.start, at.askedTimecode);
        char start[kTimecodeTextSize];
        FormatClockStart(g_clock, start);
        wchar_t startText[kTimecodeTextSize];
        DecodeUtf8(start, startText, kTimecodeTextSize);
        if (time.numerator < 0) {
            Complain(err, L"--at-tc: '", item, L"' comes before the clock's start, ", startText);
            return false;
        }
        if (!TickAtExactTime(time, at.tick)) {
            Complain(err, L"--at-tc: '", item,
                     L"' lies past tick 2^62, the last that a MIDI file may have");
            return false;
        }
        return true;
    });
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
        if (!FindPlace(L"--table-at", midi.tableTick, static_cast<int>(std::wcslen(midi.tableTick)),
                       midi.fileName, err, tick)) {
            return kUnusableFile;
        }
        return PrintTableAt(request, tick, platform, out, err);
    }
    PictureSettings settings;
    ListText message;
    ReadPictureSettings(request, settings, message);
    if (!SettleSongClock(request, settings, g_song, g_clock, err)) {
        return kUnusableFile;
    }
    MidiReport &report = g_report;
    report.fileName = midi.fileName;
    report.clock = &g_clock;
    report.song = &g_song;
    report.map = &g_map;
    report.askedForPoints =
        midi.ticks[0] != L'\0' || midi.times[0] != L'\0' || midi.timecodes[0] != L'\0';
    report.askedForTimecodes = midi.timecodes[0] != L'\0';
    report.hitCount = 0;
    report.hits = nullptr;
    if (!FindAtPoints(midi, report, err)) {
        return kUnusableFile;
    }
    WriteMidiReport(report, request.format, request.notes.language, out);
    return 0;
}
