// Tuplet arithmetic.
#include "calc/tuplet.h"

int DefaultInTimeOf(int notes) {
    int power = 1;
    while (power * 2 < notes) {
        power *= 2;
    }
    return power;
}

double TupletLength(double plainLength, const Tuplet &tuplet) {
    return (plainLength * tuplet.inTimeOf) / tuplet.notes;
}
