// The note values that tactimer-cli prints: each caption with exactly the
// ticks and milliseconds texts that the form shows for the same two inputs,
// and, when asked for, the triplets of the plain notes.
#ifndef TACTIMER_CLI_NOTE_ROWS_H
#define TACTIMER_CLI_NOTE_ROWS_H

#include "calc/field_text.h"
#include "calc/note_length_table.h"

enum class CaptionLanguage { kJapanese, kEnglish };

// Why the form would show "--" in every field.
enum class InputProblem { kNone, kEmptyTempo, kEmptyResolution, kZeroResolution };

constexpr int kPlainNoteCount = kNoteLengthCount / 2;
constexpr int kMaxNoteRows = kNoteLengthCount + kPlainNoteCount;

struct NoteRow {
    const wchar_t *caption;
    FieldText ticks;
    FieldText milliseconds;
};

struct NoteRows {
    double tempo;  // as read from its text
    double resolution;
    int count;
    NoteRow rows[kMaxNoteRows];
};

// Reads the two texts as the form reads its inputs and fills rows with the
// form's texts, in the form's order, then the triplets when asked for.
// Leaves rows alone when the input cannot be used.
InputProblem ComputeNoteRows(const wchar_t *tempoText, const wchar_t *resolutionText,
                             CaptionLanguage language, bool triplets, NoteRows &rows);

#endif
