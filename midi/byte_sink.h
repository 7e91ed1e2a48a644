// Bytes going out, written at any offset: a new file that the platform made
// (the size fields of a MIDI file are written once what they count is), a
// page's buffer, or memory in the tests.
#ifndef TACTIMER_MIDI_BYTE_SINK_H
#define TACTIMER_MIDI_BYTE_SINK_H

struct ByteSink {
    void *context;
    // False when the bytes cannot be written: a full disk, say.
    bool (*WriteAt)(void *context, long long offset, const unsigned char *bytes, long count);
    // Drops whatever stands from length on.
    bool (*SetLength)(void *context, long long length);
};

#endif
