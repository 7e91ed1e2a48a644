// Writing takes one source (a song, or a tempo map as text), one output,
// and a resolution that a file can hold.
#include "request/write_arguments.h"

#include <cwchar>

#include "request/picture_arguments.h"

bool WritesAFile(const Request &request) {
    const WriteRequest &write = request.write;
    return write.outputs > 0 || write.fromText || write.retick || write.force;
}

// A whole number of ticks a quarter note that a file can hold, or 0.
int ResolutionOf(const wchar_t *text) {
    wchar_t *end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    return text[0] >= L'0' && text[0] <= L'9' && *end == L'\0' && value >= 1 && value <= 0x7FFF
               ? static_cast<int>(value)
               : 0;
}

const wchar_t *CheckWriteRequest(Request &request, bool otherModes, bool midi, bool fit,
                                 bool midiOnly) {
    WriteRequest &write = request.write;
    request.mode = RequestMode::kWriteMidi;
    if (write.outputs == 0) {
        return write.retick ? L"--retick N needs --write OUT"
                            : L"--tempo-map and --force go with --write-tempo-map OUT or "
                              L"--write OUT";
    }
    if (write.outputs > 1) {
        return L"--write-tempo-map and --write go one at a time";
    }
    if (otherModes || request.numberCount > 0 || midiOnly) {
        return L"--write-tempo-map and --write take a song or a tempo map alone: no TEMPO, "
               L"RESOLUTION, -, --tempos, --tempo-for, --at, --at-ms, --at-tc, --table-at or "
               L"table options";
    }
    const bool newResolution = request.picture.resolution.given;
    if (write.song) {
        if (!midi || !write.retick || write.fromText || newResolution || fit) {
            return L"--write OUT goes with --midi FILE --retick N (and no --tempo-map, "
                   L"--resolution or --fit)";
        }
        // It reads the song more than once.
        if (std::wcscmp(request.midi.fileName, L"-") == 0) {
            return L"--retick reads the file twice: name a file, not standard input";
        }
    } else if (midi + write.fromText + fit != 1 || write.retick) {
        return L"--write-tempo-map OUT takes its map from --midi FILE, --tempo-map FILE or "
               L"--fit POSITION@TIME,..., one of them (and --resolution N, not --retick)";
    } else if (fit && !HitsAreMapHits(request.picture.hits)) {
        return L"--write-tempo-map OUT takes the map of --fit POSITION@TIME hits, not of "
               L"--fit TIMES";
    }
    write.fromFit = fit;
    // A fitted map is made at --resolution's N itself.
    write.resolutionValue = 0;
    if (write.retick || (newResolution && !fit)) {
        write.resolutionValue =
            ResolutionOf(write.retick ? write.retickResolution : request.picture.resolution.text);
        if (write.resolutionValue == 0) {
            return write.retick ? L"--retick takes a resolution, a whole number from 1 to 32767"
                                : L"--resolution takes a whole number from 1 to 32767";
        }
    }
    return nullptr;
}
