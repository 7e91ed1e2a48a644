// Writing takes one source (a song, or a tempo map as text), one output,
// and a resolution that a file can hold.
#include "request/write_arguments.h"

#include <cwchar>

bool WritesAFile(const Request &request) {
    const WriteRequest &write = request.write;
    return write.outputs > 0 || write.fromText || write.retick || write.newResolution ||
           write.force;
}

const wchar_t *CheckWriteRequest(Request &request, bool otherModes, bool midi, bool midiOnly) {
    WriteRequest &write = request.write;
    request.mode = RequestMode::kWriteMidi;
    if (write.outputs == 0) {
        return write.retick ? L"--retick N needs --write OUT"
                            : L"--tempo-map, --resolution and --force go with "
                              L"--write-tempo-map OUT or --write OUT";
    }
    if (write.outputs > 1) {
        return L"--write-tempo-map and --write go one at a time";
    }
    if (otherModes || request.numberCount > 0 || midiOnly) {
        return L"--write-tempo-map and --write take a song or a tempo map alone: no TEMPO, "
               L"RESOLUTION, -, --tempos, --tempo-for, --at, --at-ms, --table-at or table "
               L"options";
    }
    if (write.song) {
        if (!midi || !write.retick || write.fromText || write.newResolution) {
            return L"--write OUT goes with --midi FILE --retick N (and no --tempo-map or "
                   L"--resolution)";
        }
        // It reads the song more than once.
        if (std::wcscmp(request.midi.fileName, L"-") == 0) {
            return L"--retick reads the file twice: name a file, not standard input";
        }
    } else if (midi == write.fromText || write.retick) {
        return L"--write-tempo-map OUT takes its map from --midi FILE or --tempo-map FILE, "
               L"one of them (and --resolution N, not --retick)";
    }
    write.resolutionValue = 0;
    if (write.retick || write.newResolution) {
        wchar_t *end = nullptr;
        const long value = std::wcstol(write.resolution, &end, 10);
        if (write.resolution[0] < L'0' || write.resolution[0] > L'9' || *end != L'\0' ||
            value < 1 || value > 0x7FFF) {
            return write.retick ? L"--retick takes a resolution, a whole number from 1 to 32767"
                                : L"--resolution takes a whole number from 1 to 32767";
        }
        write.resolutionValue = static_cast<int>(value);
    }
    return nullptr;
}
