// Bytes written to memory as a file would take them, at any offset, for the
// MIDI writer's fuzzer and benchmark.
#ifndef TACTIMER_TESTS_MEMORY_SINK_H
#define TACTIMER_TESTS_MEMORY_SINK_H

#include <cstring>
#include <vector>

#include "midi/byte_sink.h"

inline bool WriteToMemory(void *context, long long offset, const unsigned char *bytes, long count) {
    std::vector<unsigned char> &memory = *static_cast<std::vector<unsigned char> *>(context);
    if (memory.size() < static_cast<size_t>(offset + count)) {
        memory.resize(static_cast<size_t>(offset + count));
    }
    std::memcpy(memory.data() + offset, bytes, static_cast<size_t>(count));
    return true;
}

inline bool SetMemoryLength(void *context, long long length) {
    static_cast<std::vector<unsigned char> *>(context)->resize(static_cast<size_t>(length));
    return true;
}

inline ByteSink MemorySink(std::vector<unsigned char> &memory) {
    return {&memory, WriteToMemory, SetMemoryLength};
}

#endif
