// Settling the clock.
#include "request/song_clock.h"

#include <cstdio>
#include <cwchar>

#include "text/utf8.h"

namespace {

// Why a text is no timecode, as a wide text for a message.
void ProblemText(TimecodeProblem problem, ListText &text) {
    DecodeUtf8(TimecodeProblemText(problem), text, kListTextCapacity);
}

}  // namespace

SongClock CueClock(const PictureSettings &settings) {
    return {settings.hasRate, settings.rate, settings.hasStart ? settings.start : kMidnight,
            settings.hasStart ? ClockStart::kStartOption : ClockStart::kMidnight};
}

bool SettleSongClock(const Request &request, const PictureSettings &settings, const SmfSong &song,
                     SongClock &clock, const TextSink &err) {
    const wchar_t *const fileName = request.midi.fileName;
    clock = CueClock(settings);
    SmpteOffset offset = {FrameRate::k24, kMidnight};
    TimecodeProblem problem = TimecodeProblem::kNone;
    const bool offsetRead =
        song.smpteOffset.present && ReadSmpteOffset(song.smpteOffset.bytes, offset, problem);
    ListText why;
    const OptionText &start = request.picture.start;
    if (song.smpteOffset.present && !offsetRead) {
        ProblemText(problem, why);
        Complain(
            err, fileName, L": its SMPTE offset is no timecode (", why,
            start.given ? L"): --start starts the clock" : L"): the clock starts at 00:00:00:00");
    }
    if (!clock.running && song.smpteOffset.present) {
        clock.running = true;
        clock.rate = offset.rate;
    }
    if (start.given && !clock.running) {
        Complain(err, L"--start needs --fps RATE to count its frames: ", fileName,
                 L" has no SMPTE offset to take a frame rate from");
        return false;
    }
    ListText message;
    if (start.given) {
        if (!ReadTypedTimecode(L"--start", start.text, static_cast<int>(std::wcslen(start.text)),
                               clock.rate, clock.start, message)) {
            Complain(err, message);
            return false;
        }
        clock.from = ClockStart::kStartOption;
        return true;
    }
    if (!offsetRead) {
        return true;
    }
    // At another rate, the offset's timecode is read as it is written.
    wchar_t written[kFieldTextCapacity];
    const Timecode &at = offset.start;
    std::swprintf(written, kFieldTextCapacity, L"%02d:%02d:%02d:%02d.%02d", at.hours, at.minutes,
                  at.seconds, at.frames, at.hundredths);
    Timecode read;
    if (!ReadTimecodeText(written, clock.rate, read, problem)) {
        ProblemText(problem, why);
        written[11] = L'\0';
        Complain(err, fileName, L": its SMPTE offset ", written,
                 L" is no timecode at the frame rate of --fps: ", why);
        return false;
    }
    clock.start = read;
    clock.from = ClockStart::kSmpteOffset;
    return true;
}

void FormatClockStart(const SongClock &clock, char (&text)[kTimecodeTextSize]) {
    FormatClock(clock.rate, {clock.start, clock.start.hundredths != 0, 0}, text);
}

void FormatClockAt(const SongClock &clock, const MidiTime &time, char (&text)[kTimecodeTextSize]) {
    FormatTimecodeAt(clock.rate, clock.start, time, text);
}
