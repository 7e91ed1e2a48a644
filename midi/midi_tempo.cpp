// Tempo conversions.
#include "midi/midi_tempo.h"

#include <cmath>

long MidiTempoOfBpm(double bpm) {
    const double microseconds = std::nearbyint(kMicrosecondsPerMinute / bpm);
    return microseconds >= 1 && microseconds <= kMaxMidiTempo ? static_cast<long>(microseconds) : 0;
}

double BpmOfMidiTempo(long microsecondsPerQuarter) {
    return kMicrosecondsPerMinute / microsecondsPerQuarter;
}
