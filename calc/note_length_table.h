// The sixteen note values of the result grid and the arithmetic that turns a
// tempo and a resolution into their lengths in ticks and milliseconds.
#ifndef TACTIMER_CALC_NOTE_LENGTH_TABLE_H
#define TACTIMER_CALC_NOTE_LENGTH_TABLE_H

// Which length an entry's ticks are scaled from. The short dotted notes are
// scaled from the dotted quarter so that their last bit follows that product.
enum class TickBase { kResolution, kDottedQuarter };

struct NoteLengthEntry {
    int gridRow;     // 1 to 4; rows 3 and 4 are the dotted notes
    int gridColumn;  // 1 to 4
    const wchar_t *caption;
    double tickFactor;  // length in quarter notes
    TickBase tickBase;
    int tickFieldId;
    int millisecondFieldId;
};

constexpr int kNoteLengthCount = 16;
// The plain notes come first, the dotted ones after them.
constexpr int kPlainNoteCount = kNoteLengthCount / 2;

// In the order the values are worked out, written and cleared.
extern const NoteLengthEntry NoteLengthTable[kNoteLengthCount];

struct NoteLength {
    double ticks;
    double milliseconds;
};

struct NoteLengths {
    double millisecondsPerTick;
    NoteLength notes[kNoteLengthCount];  // in table order
};

// Checks nothing: a resolution of zero is the caller's to refuse. A tempo of
// zero makes every millisecond value infinite.
NoteLengths ComputeNoteLengths(double tempo, double resolution);

#endif
