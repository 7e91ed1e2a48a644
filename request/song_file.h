// Reading the song that --midi names, and saying what is wrong with it or
// what was let pass, a line each on standard error.
#ifndef TACTIMER_REQUEST_SONG_FILE_H
#define TACTIMER_REQUEST_SONG_FILE_H

#include "midi/smf_reader.h"
#include "request/request.h"
#include "request/run_request.h"

// True when the song was read; file is then still open, for the caller to
// close.
bool ReadSongFile(const MidiRequest &midi, const RequestPlatform &platform, const TextSink &err,
                  SmfSong &song, ByteSource &file);

// "tactimer-cli: FILE: cannot be opened: " and why, in the platform's words
// where ours have none.
void ComplainNotOpened(const RequestPlatform &platform, const TextSink &err,
                       const wchar_t *fileName);

// "tactimer-cli: FILE: byte N: what".
void ComplainAboutFile(const TextSink &err, const wchar_t *fileName, long long offset,
                       const char *what, const wchar_t *prefix = L"");

#endif
