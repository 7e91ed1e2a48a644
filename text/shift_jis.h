// Shift_JIS, as Windows' code page 932 reads it, from a table of our own
// made at build time: Japanese MIDI files name their tracks in it, and every
// platform must read those names the same way.
#ifndef TACTIMER_TEXT_SHIFT_JIS_H
#define TACTIMER_TEXT_SHIFT_JIS_H

// Whether all count bytes are Shift_JIS characters; if so, at most
// capacity - 1 of their UTF-16 code units and a terminator are in text.
bool DecodeShiftJis(const char *bytes, int count, wchar_t *text, int capacity);

#endif
