// The note values that a request prints for one tempo and resolution:
// each caption with exactly the ticks and milliseconds texts that the form
// shows for the same two inputs, then the tuplets asked for, and for every
// row the further units asked for.
#ifndef TACTIMER_REQUEST_NOTE_ROWS_H
#define TACTIMER_REQUEST_NOTE_ROWS_H

#include "calc/exact_ticks.h"
#include "calc/field_text.h"
#include "calc/note_length_table.h"
#include "picture/click_book.h"
#include "request/request.h"

// Why the pair cannot be shown: the form would show "--" in every field, or
// a strict reading refuses a text.
enum class InputProblem {
    kNone,
    kEmptyTempo,
    kEmptyResolution,
    kZeroResolution,
    kResolutionHoldsNoNumber,
    kTooLongToShow,
    kTempoNotANumber,
    kResolutionNotANumber,
    kTempoNotMicroseconds,
};

constexpr int kMaxNoteRows = kNoteLengthCount + kPlainNoteCount * kMaxTuplets;

struct NoteRow {
    FieldText caption;
    FieldText ticks;
    FieldText milliseconds;
    FieldText exactTicks;  // empty where the resolution is not whole
    FieldText samples;
    FieldText hertz;
    FieldText frames;
};

struct NoteRows {
    double tempo;  // in quarter notes a minute
    double resolution;
    // The resolution's number as it was typed ("1e20"), to echo it.
    FieldText resolutionText;
    // As a MIDI file stores the tempo; midiTempo is 0 when it cannot.
    long midiTempo;
    double storedTempo;
    // How many milliseconds 100 quarter notes at the stored tempo last
    // longer than at the tempo read, exactly: the tempo read is a double, a
    // binary fraction. Zero for a tempo typed in microseconds, which is
    // stored as it stands.
    Fraction driftPer100Quarters;
    // A whole resolution no larger than 2^53, whose ticks are worked out
    // exactly; or one larger, whole or not.
    bool wholeResolution;
    bool resolutionBeyondExact;
    // The least resolution at which every row is whole; 0 when it would not
    // fit 127 bits.
    ExactInteger wholeAtMultiplesOf;
    // The tempo as a click book writes it at --fps; none for a tempo that
    // has no click (not above 0, or too slow for any).
    bool hasClick;
    ClickTempo click;
    int count;
    NoteRow rows[kMaxNoteRows];
};

// Reads the two texts as the form reads its inputs, or strictly when asked
// (the lengths are the texts' whole lengths, which a strict reading needs),
// and fills rows. Leaves rows undefined when the input cannot be used.
InputProblem ComputeNoteRows(const wchar_t *tempoText, int tempoLength,
                             const wchar_t *resolutionText, int resolutionLength,
                             const NoteRequest &request, NoteRows &rows);

#endif
