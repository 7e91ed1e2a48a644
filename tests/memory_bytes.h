// Bytes held in memory, handed out as a file or a pipe would: at most
// readSize at a time, so that a test chooses where a reader's buffers end.
#ifndef TACTIMER_TESTS_MEMORY_BYTES_H
#define TACTIMER_TESTS_MEMORY_BYTES_H

#include <cstring>

#include "midi/byte_source.h"

struct MemoryBytes {
    const unsigned char *bytes;
    long size;
    long position;
    long readSize;
};

inline long ReadMemoryBytes(void *context, unsigned char *bytes, long capacity) {
    MemoryBytes &memory = *static_cast<MemoryBytes *>(context);
    long count = memory.size - memory.position;
    count = count < capacity ? count : capacity;
    count = count < memory.readSize ? count : memory.readSize;
    std::memcpy(bytes, memory.bytes + memory.position, static_cast<size_t>(count));
    memory.position += count;
    return count;
}

#endif
