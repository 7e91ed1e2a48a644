// Bytes from outside the program, a buffer at a time: a file or standard
// input, as the platform reads them, or memory in the tests.
#ifndef TACTIMER_MIDI_BYTE_SOURCE_H
#define TACTIMER_MIDI_BYTE_SOURCE_H

struct ByteSource {
    void *context;
    // Fills at most capacity bytes; returns how many, 0 at the end, or -1
    // when the bytes cannot be read.
    long (*Read)(void *context, unsigned char *bytes, long capacity);
};

#endif
