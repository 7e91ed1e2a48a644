// Texts from outside (a MIDI file's name, a word of standard input) shown
// on one line of a table, a CSV row or a message: a newline in a track name
// must not break the layout, nor a zero byte end a message early.
#ifndef TACTIMER_TEXT_ONE_LINE_TEXT_H
#define TACTIMER_TEXT_ONE_LINE_TEXT_H

#include "text/text_sink.h"

// The first length characters of text, zeros included, with each control
// character written as an escape: \t, \n and \r as such, the others below
// U+0020 and U+007F as \xNN, U+0080 to U+009F as \uNNNN. At most capacity - 1
// characters and a terminator; an escape that does not fit is left out.
void ShowOnOneLine(const wchar_t *text, int length, wchar_t *shown, int capacity);

// The whole text so, however long.
void WriteOnOneLine(const TextSink &out, const wchar_t *text);

#endif
