// The note rows as text: a table for people, CSV for spreadsheets, JSON for
// programs, for one tempo and resolution or for many, one after the other.
#ifndef TACTIMER_REQUEST_NOTE_TABLE_OUTPUT_H
#define TACTIMER_REQUEST_NOTE_TABLE_OUTPUT_H

#include "request/note_rows.h"
#include "request/request.h"
#include "text/text_sink.h"

struct NoteOutput {
    TextSink out;
    OutputFormat format;
    const NoteRequest *request;
    // Many pairs: a heading before each table, tempo and resolution columns
    // in CSV, an array in JSON.
    bool manyPairs;
    int pairsWritten;
};

// The first pair's rows come after the CSV header or the start of JSON's
// array; nothing at all is written before a pair that cannot be shown.
void WriteNoteRows(NoteOutput &output, const NoteRows &rows);
// After the last pair: the end of JSON's array, when it was begun.
void EndNoteOutput(const NoteOutput &output);

#endif
