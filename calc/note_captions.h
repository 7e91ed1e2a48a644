// The captions of the note rows, in Japanese and in English: the
// window's own for its sixteen notes, and names for the tuplets made from
// them. A caption typed in either language reads back as its note.
#ifndef TACTIMER_CALC_NOTE_CAPTIONS_H
#define TACTIMER_CALC_NOTE_CAPTIONS_H

#include "calc/field_text.h"
#include "calc/tuplet.h"

enum class CaptionLanguage { kJapanese, kEnglish };

// Entry index of the note-length table, in its order.
const wchar_t *NoteCaption(int index, CaptionLanguage language);

// One note of the tuplet made from the plain note at plainIndex (0 to 7):
// "3連1/8" and "triplet 1/8"; "5:3連1/8" and "5:3 tuplet 1/8" where D is
// not the default for N.
void TupletCaption(const Tuplet &tuplet, int plainIndex, CaptionLanguage language,
                   FieldText &caption);

// Reads "N" or "N:D" at text, N from 2 and both up to 1,000; returns the
// characters taken, 0 when there is no such ratio.
int ReadTupletRatio(const wchar_t *text, Tuplet &tuplet);

// A note that a caption names: an entry of the table, or a tuplet of one of
// its plain notes.
struct NamedNote {
    int index;  // of the table; a tuplet's plain note
    bool isTuplet;
    Tuplet tuplet;
};

bool ReadNoteCaption(const wchar_t *text, NamedNote &note);

// The caption of a named note in the language.
void CaptionOf(const NamedNote &note, CaptionLanguage language, FieldText &caption);

#endif
