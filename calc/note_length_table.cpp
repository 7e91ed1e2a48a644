// The note-length table and its arithmetic.
#include "calc/note_length_table.h"

namespace {

// A dotted quarter lasts one and a half quarters.
constexpr double kDottedQuarterFactor = 1.5;

}  // namespace

// The field ids are not in grid order: the 1/8 note has 1015/1016 and the
// 1/2 note 1013/1014.
const NoteLengthEntry NoteLengthTable[kNoteLengthCount] = {
    {1, 1, L"1/32", 0.125, TickBase::kResolution, 1009, 1010},
    {1, 2, L"1/16", 0.25, TickBase::kResolution, 1011, 1012},
    {1, 3, L"1/8", 0.5, TickBase::kResolution, 1015, 1016},
    {1, 4, L"1/4", 1, TickBase::kResolution, 1017, 1018},
    {2, 1, L"1/2", 2, TickBase::kResolution, 1013, 1014},
    {2, 2, L"1", 4, TickBase::kResolution, 1019, 1020},
    {2, 3, L"2", 8, TickBase::kResolution, 1021, 1022},
    {2, 4, L"4", 16, TickBase::kResolution, 1023, 1024},
    {3, 1, L"付点1/32", 0.1875, TickBase::kDottedQuarter, 1025, 1026},
    {3, 2, L"付点1/16", 0.375, TickBase::kDottedQuarter, 1027, 1028},
    {3, 3, L"付点1/8", 0.75, TickBase::kDottedQuarter, 1029, 1030},
    {3, 4, L"付点1/4", 1.5, TickBase::kDottedQuarter, 1031, 1032},
    {4, 1, L"付点1/2", 3, TickBase::kResolution, 1033, 1034},
    {4, 2, L"付点1", 6, TickBase::kResolution, 1035, 1036},
    {4, 3, L"付点2", 12, TickBase::kResolution, 1037, 1038},
    {4, 4, L"付点4", 24, TickBase::kResolution, 1039, 1040},
};

NoteLengths ComputeNoteLengths(double tempo, double resolution) {
    NoteLengths lengths;
    lengths.millisecondsPerTick = 60000.0 / (tempo * resolution);
    const double dottedQuarter = resolution * kDottedQuarterFactor;
    for (int i = 0; i < kNoteLengthCount; ++i) {
        const NoteLengthEntry &entry = NoteLengthTable[i];
        // Dividing a dotted factor by 1.5 leaves a power of two, exactly.
        const double ticks = entry.tickBase == TickBase::kDottedQuarter
                                 ? dottedQuarter * (entry.tickFactor / kDottedQuarterFactor)
                                 : resolution * entry.tickFactor;
        lengths.notes[i].ticks = ticks;
        lengths.notes[i].milliseconds = ticks * lengths.millisecondsPerTick;
    }
    return lengths;
}
