// Tuplets: N notes in the time of D notes of the same value, as triplets are
// three in the time of two.
#ifndef TACTIMER_CALC_TUPLET_H
#define TACTIMER_CALC_TUPLET_H

struct Tuplet {
    int notes;     // N, from 2
    int inTimeOf;  // D, from 1
};

constexpr int kMaxTupletNumber = 1000;

// The largest power of two below notes, as 3:2, 5:4, 6:4, 7:4 and 9:8 have.
int DefaultInTimeOf(int notes);

// One note of the tuplet from the plain note's length, in this order:
// (length x D) / N, which for triplets is (ticks x 2) / 3.
double TupletLength(double plainLength, const Tuplet &tuplet);

#endif
