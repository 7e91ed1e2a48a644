// The tempo as a Standard MIDI File stores it: whole microseconds per
// quarter note, in three bytes.
#ifndef TACTIMER_MIDI_MIDI_TEMPO_H
#define TACTIMER_MIDI_MIDI_TEMPO_H

constexpr long kMaxMidiTempo = 0xFFFFFF;
constexpr double kMicrosecondsPerMinute = 60000000.0;

// 60,000,000 / bpm, rounded to the nearest whole microsecond; 0 when a file
// cannot hold it (outside 1 to 16,777,215).
long MidiTempoOfBpm(double bpm);

double BpmOfMidiTempo(long microsecondsPerQuarter);

#endif
