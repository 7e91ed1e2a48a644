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

void ComplainNotOpened(const RequestPlatform &platform, const TextSink &err,
                       const wchar_t *fileName) {
    const FileOpener &files = platform.files;
    FieldText reason = L"";
    const FileProblem problem = files.WhyNotOpened != nullptr
                                    ? files.WhyNotOpened(files.context, reason)
                                    : FileProblem::kOther;
    // In the order of FileProblem.
    const wchar_t *const reasons[] = {L"there is no such file", L"permission to read it is denied",
                                      L"it is a folder, not a file", reason};
    const wchar_t *const why = reasons[static_cast<int>(problem)];
    Complain(err, fileName, L": cannot be opened", why[0] != L'\0' ? L": " : L"", why);
}

bool ReadSongFile(const MidiRequest &midi, const RequestPlatform &platform, const TextSink &err,
                  SmfSong &song, ByteSource &file) {
    if (!platform.files.Open(platform.files.context, midi.argumentIndex, midi.argumentSkip, file)) {
        ComplainNotOpened(platform, err, midi.fileName);
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
