// The reader's problems and leniencies, in its own English sentences.
#include "request/song_file.h"

#include <cwchar>

void ComplainAboutFile(const TextSink &err, const wchar_t *fileName, long long offset,
                       const char *what, const wchar_t *prefix) {
    wchar_t where[48];
    std::swprintf(where, 48, L": byte %lld: ", offset);
    ListText text;
    std::swprintf(text, kListTextCapacity, L"%ls%s", prefix, what);
    Complain(err, fileName, where, text);
}

bool ReadSongFile(const MidiRequest &midi, const RequestPlatform &platform, SmfSong &song,
                  ByteSource &file) {
    const TextSink &err = platform.err;
    if (!platform.files.Open(platform.files.context, midi.argumentIndex, midi.argumentSkip, file)) {
        Complain(err, midi.fileName, L": cannot be opened");
        return false;
    }
    SmfError error;
    if (!ReadSmf(file, song, error)) {
        platform.files.Close(file);
        ComplainAboutFile(err, midi.fileName, error.offset, SmfProblemText(error.problem));
        return false;
    }
    for (int i = 0; i < song.warningCount; ++i) {
        const SmfWarning &warning = song.warnings[i];
        wchar_t track[32] = L"";
        if (warning.track > 0) {
            std::swprintf(track, 32, L"track %d: ", warning.track);
        }
        ComplainAboutFile(err, midi.fileName, warning.offset, SmfLeniencyText(warning.leniency),
                          track);
    }
    if (song.moreWarnings > 0) {
        wchar_t more[64];
        std::swprintf(more, 64, L": and %lld more rules broken and let pass", song.moreWarnings);
        Complain(err, midi.fileName, more);
    }
    return true;
}
