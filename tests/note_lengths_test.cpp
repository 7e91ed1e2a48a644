// The note-length table: its shape, and the texts it produces for worked
// tempo and resolution pairs, read back from the fields the form shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>

#include "calc/form_controller.h"
#include "calc/note_length_table.h"
#include "tests/memory_form.h"

namespace {

const NoteLengthEntry &EntryByCaption(const wchar_t *caption) {
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        if (std::wcscmp(entry.caption, caption) == 0) {
            return entry;
        }
    }
    ADD_FAILURE() << "no note captioned " << testing::PrintToString(caption);
    return NoteLengthTable[0];
}

struct ShownLength {
    double tempo;
    double resolution;
    const wchar_t *caption;
    const wchar_t *ticks;
    const wchar_t *milliseconds;
};

void ExpectShown(const ShownLength &shown) {
    MemoryForm form;
    ResetMemoryForm(form);
    FillResultFields(MemoryFormAccess(form), shown.tempo, shown.resolution);
    const NoteLengthEntry &entry = EntryByCaption(shown.caption);
    SCOPED_TRACE(testing::Message()
                 << "tempo " << shown.tempo << ", resolution " << shown.resolution << ", note "
                 << testing::PrintToString(shown.caption));
    EXPECT_STREQ(shown.ticks, FieldTextOf(form, entry.tickFieldId));
    EXPECT_STREQ(shown.milliseconds, FieldTextOf(form, entry.millisecondFieldId));
}

TEST(NoteLengthTable, CoversTheFourByFourGridRowByRow) {
    bool seen[4][4] = {};
    for (int i = 0; i < kNoteLengthCount; ++i) {
        const NoteLengthEntry &entry = NoteLengthTable[i];
        ASSERT_GE(entry.gridRow, 1);
        ASSERT_LE(entry.gridRow, 4);
        ASSERT_GE(entry.gridColumn, 1);
        ASSERT_LE(entry.gridColumn, 4);
        EXPECT_EQ(i / 4 + 1, entry.gridRow) << "entry " << i;
        EXPECT_EQ(i % 4 + 1, entry.gridColumn) << "entry " << i;
        EXPECT_FALSE(seen[entry.gridRow - 1][entry.gridColumn - 1]) << "entry " << i;
        seen[entry.gridRow - 1][entry.gridColumn - 1] = true;
    }
}

TEST(NoteLengthTable, DottedRowsMirrorThePlainRowsAtOneAndAHalfTimes) {
    for (int i = 0; i < 8; ++i) {
        const NoteLengthEntry &plain = NoteLengthTable[i];
        const NoteLengthEntry &dotted = NoteLengthTable[i + 8];
        EXPECT_EQ(plain.tickFactor * 1.5, dotted.tickFactor) << "entry " << i;
        EXPECT_EQ(std::wstring(L"付点") + plain.caption, dotted.caption) << "entry " << i;
    }
}

TEST(NoteLengthTable, UsesEachResultFieldOnce) {
    bool seen[32] = {};
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        for (int id : {entry.tickFieldId, entry.millisecondFieldId}) {
            ASSERT_GE(id, 1009);
            ASSERT_LE(id, 1040);
            EXPECT_FALSE(seen[id - 1009]) << "id " << id;
            seen[id - 1009] = true;
        }
    }
}

TEST(ComputeNoteLengths, TicksEqualResolutionTimesFactorForOrdinaryValues) {
    for (double resolution : {1.0, 24.0, 96.0, 480.0, 960.0, 7.3, -480.0, 1e-3, 123456.789}) {
        const NoteLengths lengths = ComputeNoteLengths(120.0, resolution);
        for (int i = 0; i < kNoteLengthCount; ++i) {
            EXPECT_EQ(resolution * NoteLengthTable[i].tickFactor, lengths.notes[i].ticks)
                << "resolution " << resolution << ", entry " << i;
        }
    }
}

TEST(ComputeNoteLengths, WorksOutMillisecondsPerTickOnceAndScalesTicksByIt) {
    const NoteLengths lengths = ComputeNoteLengths(120.0, 480.0);
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", lengths.millisecondsPerTick);
    EXPECT_STREQ("1.0416666666666667", text);
    for (int i = 0; i < kNoteLengthCount; ++i) {
        EXPECT_EQ(lengths.notes[i].ticks * lengths.millisecondsPerTick,
                  lengths.notes[i].milliseconds)
            << "entry " << i;
    }
}

TEST(FillResultFields, ShowsTheStartUpTable) {
    const ShownLength table[] = {
        {120, 480, L"1/32", L"60.00", L"62.50"},
        {120, 480, L"1/16", L"120.00", L"125.00"},
        {120, 480, L"1/8", L"240.00", L"250.00"},
        {120, 480, L"1/4", L"480.00", L"500.00"},
        {120, 480, L"1/2", L"960.00", L"1000.00"},
        {120, 480, L"1", L"1920.00", L"2000.00"},
        {120, 480, L"2", L"3840.00", L"4000.00"},
        {120, 480, L"4", L"7680.00", L"8000.00"},
        {120, 480, L"付点1/32", L"90.00", L"93.75"},
        {120, 480, L"付点1/16", L"180.00", L"187.50"},
        {120, 480, L"付点1/8", L"360.00", L"375.00"},
        {120, 480, L"付点1/4", L"720.00", L"750.00"},
        {120, 480, L"付点1/2", L"1440.00", L"1500.00"},
        {120, 480, L"付点1", L"2880.00", L"3000.00"},
        {120, 480, L"付点2", L"5760.00", L"6000.00"},
        {120, 480, L"付点4", L"11520.00", L"12000.00"},
    };
    for (const ShownLength &shown : table) {
        ExpectShown(shown);
    }
}

TEST(FillResultFields, ShowsWorkedExamples) {
    const ShownLength table[] = {
        {140, 960, L"1/32", L"120.00", L"53.57"},
        {140, 960, L"1/4", L"960.00", L"428.57"},
        {140, 960, L"付点4", L"23040.00", L"10285.71"},
        {93.5, 480, L"1/4", L"480.00", L"641.71"},
        {93.5, 480, L"4", L"7680.00", L"10267.38"},
        // Fractions keep two decimals.
        {100, 1, L"1/4", L"1.00", L"600.00"},
        {100, 1, L"付点1/32", L"0.19", L"112.50"},
        // A negative resolution makes the milliseconds per tick negative too.
        {120, -480, L"1/32", L"-60.00", L"62.50"},
        {120, -480, L"付点4", L"-11520.00", L"12000.00"},
        // A negative tempo gives negative milliseconds only.
        {-120, 480, L"1/32", L"60.00", L"-62.50"},
        {-120, 480, L"付点1/2", L"1440.00", L"-1500.00"},
    };
    for (const ShownLength &shown : table) {
        ExpectShown(shown);
    }
}

TEST(FillResultFields, ZeroTempoShowsPositiveInfinityForEveryNoteWhateverTheResolutionSign) {
    for (double resolution : {480.0, -480.0}) {
        MemoryForm form;
        ResetMemoryForm(form);
        FillResultFields(MemoryFormAccess(form), 0.0, resolution);
        for (const NoteLengthEntry &entry : NoteLengthTable) {
            EXPECT_STREQ(L"inf", FieldTextOf(form, entry.millisecondFieldId))
                << "resolution " << resolution;
        }
        EXPECT_STREQ(resolution > 0 ? L"60.00" : L"-60.00",
                     FieldTextOf(form, NoteLengthTable[0].tickFieldId));
    }
}

TEST(FillResultFields, ShowsDashesOnlyWhereAValueIsTooLongForItsField) {
    const ShownLength table[] = {
        // 24 * 4.2e94 needs 97 digits and ".00": one too many.
        {120, 4.2e94, L"付点4", L"--", L"12000.00"},
        // 16 * 4.2e94 needs 96 digits: exactly 99 characters.
        {120, 4.2e94, L"4",
         L"671999999999999966158647021844082730828461269641481345345200328325403660796940006"
         L"247827039584256.00",
         L"8000.00"},
        // With a sign the same value no longer fits.
        {120, -4.2e94, L"4", L"--", L"8000.00"},
        // A tiny tempo makes the milliseconds too long instead.
        {1e-91, 480, L"付点4", L"11520.00", L"--"},
    };
    for (const ShownLength &shown : table) {
        ExpectShown(shown);
    }
}

TEST(FillResultFields, OverflowsNoteByNoteAtTheTopOfTheDoubleRange) {
    // T x R overflows, so the milliseconds per tick are 0: a finite tick
    // value shows "--" (too long) and 0.00 ms, an infinite one inf and nan.
    // At 1e308 the dotted quarter R x 1.5 is still finite, the whole notes
    // are not; at 1.5e308 the dotted quarter overflows and every dotted note
    // with it, though the quarter, longer than a dotted 1/32, stays finite.
    const ShownLength table[] = {
        {120, 1e308, L"1/4", L"--", L"0.00"},        {120, 1e308, L"1/2", L"inf", L"nan"},
        {120, 1e308, L"付点1/32", L"--", L"0.00"},   {120, 1e308, L"付点1/16", L"--", L"0.00"},
        {120, 1e308, L"付点1/8", L"--", L"0.00"},    {120, 1e308, L"付点1/4", L"--", L"0.00"},
        {120, 1e308, L"付点1/2", L"inf", L"nan"},    {120, 1e308, L"付点1", L"inf", L"nan"},
        {120, 1e308, L"付点2", L"inf", L"nan"},      {120, 1e308, L"付点4", L"inf", L"nan"},
        {120, 1.5e308, L"1/8", L"--", L"0.00"},      {120, 1.5e308, L"1/4", L"--", L"0.00"},
        {120, 1.5e308, L"1/2", L"inf", L"nan"},      {120, 1.5e308, L"付点1/32", L"inf", L"nan"},
        {120, 1.5e308, L"付点1/16", L"inf", L"nan"}, {120, 1.5e308, L"付点1/8", L"inf", L"nan"},
        {120, 1.5e308, L"付点1/4", L"inf", L"nan"},  {120, 1.5e308, L"付点1/2", L"inf", L"nan"},
        {120, 1.5e308, L"付点1", L"inf", L"nan"},    {120, 1.5e308, L"付点2", L"inf", L"nan"},
        {120, 1.5e308, L"付点4", L"inf", L"nan"},
    };
    for (const ShownLength &shown : table) {
        ExpectShown(shown);
    }
}

}  // namespace
