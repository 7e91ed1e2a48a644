// The calculator form's behaviour, seen through an in-memory form that
// records every read and write.
#include "calc/form_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/memory_form.h"

namespace {

// The order in which the 32 result fields are written and cleared.
const int kResultWriteOrder[32] = {1009, 1010, 1011, 1012, 1015, 1016, 1017, 1018, 1013, 1014, 1019,
                                   1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030,
                                   1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040};

// The grid for tempo 120 and resolution 480, in write order.
const wchar_t *const kStartUpResults[32] = {
    L"60.00",   L"62.50",   L"120.00",   L"125.00",  L"240.00",  L"250.00",  L"480.00",
    L"500.00",  L"960.00",  L"1000.00",  L"1920.00", L"2000.00", L"3840.00", L"4000.00",
    L"7680.00", L"8000.00", L"90.00",    L"93.75",   L"180.00",  L"187.50",  L"360.00",
    L"375.00",  L"720.00",  L"750.00",   L"1440.00", L"1500.00", L"2880.00", L"3000.00",
    L"5760.00", L"6000.00", L"11520.00", L"12000.00"};

struct Form {
    MemoryForm memory;
    Form() { ResetMemoryForm(memory); }
    FormFieldAccess Access() { return MemoryFormAccess(memory); }
    std::wstring Text(int id) const { return FieldTextOf(memory, id); }
    std::vector<int> Ids(FieldOperationKind kind) const {
        std::vector<int> ids;
        for (int i = 0; i < memory.operationCount && i < kMemoryFormLogCapacity; ++i) {
            if (memory.log[i].kind == kind) {
                ids.push_back(memory.log[i].id);
            }
        }
        return ids;
    }
    std::vector<std::wstring> Results() const {
        std::vector<std::wstring> texts;
        for (int id : kResultWriteOrder) {
            texts.push_back(Text(id));
        }
        return texts;
    }
};

std::vector<int> ResultWriteOrder() {
    return std::vector<int>(std::begin(kResultWriteOrder), std::end(kResultWriteOrder));
}

std::vector<std::wstring> StartUpResults() {
    return std::vector<std::wstring>(std::begin(kStartUpResults), std::end(kStartUpResults));
}

std::vector<std::wstring> AllDashes() {
    return std::vector<std::wstring>(32, L"--");
}

// Resolution -480: negative ticks, the same positive milliseconds.
std::vector<std::wstring> NegativeResolutionResults() {
    std::vector<std::wstring> texts = StartUpResults();
    for (size_t i = 0; i < texts.size(); i += 2) {
        texts[i] = L"-" + texts[i];
    }
    return texts;
}

TEST(ApplyStartupDefaults, WritesTheInputsThenTheirResultsWithoutReadingBack) {
    Form form;
    ApplyStartupDefaults(form.Access());
    std::vector<int> expectedWrites = {IDC_TEMPO, IDC_RESOLUTION};
    const std::vector<int> results = ResultWriteOrder();
    expectedWrites.insert(expectedWrites.end(), results.begin(), results.end());
    EXPECT_EQ(expectedWrites, form.Ids(FieldOperationKind::kWrite));
    EXPECT_TRUE(form.Ids(FieldOperationKind::kRead).empty());
    EXPECT_EQ(L"120", form.Text(IDC_TEMPO));
    EXPECT_EQ(L"480", form.Text(IDC_RESOLUTION));
    EXPECT_EQ(StartUpResults(), form.Results());
}

struct CalculateCase {
    const char *what;
    const wchar_t *tempo;
    const wchar_t *resolution;
    std::vector<std::wstring> (*results)();  // AllDashes when the grid is cleared
};

TEST(OnCalculate, FillsOrClearsTheGridByTheInput) {
    const CalculateCase table[] = {
        {"start-up values", L"120", L"480", StartUpResults},
        {"units after the numbers", L"120bpm", L"480 ticks", StartUpResults},
        {"an exponent", L"1.2e2", L"480", StartUpResults},
        {"full-width digits", L"１２０", L"４８０", StartUpResults},
        {"leading ideographic space", L"\u3000120", L"  480", StartUpResults},
        {"negative resolution", L"120", L"-480", NegativeResolutionResults},
        {"empty resolution", L"120", L"", AllDashes},
        {"zero resolution", L"120", L"0", AllDashes},
        {"zero with a fraction", L"120", L"0.0", AllDashes},
        {"negative zero", L"120", L"-0", AllDashes},
        {"resolution without a number", L"120", L"abc", AllDashes},
        {"resolution of one space", L"120", L" ", AllDashes},
        {"resolution too small for a double", L"120", L"1e-999", AllDashes},
    };
    for (const CalculateCase &c : table) {
        SCOPED_TRACE(c.what);
        Form form;
        TypeIntoField(form.memory, IDC_TEMPO, c.tempo);
        TypeIntoField(form.memory, IDC_RESOLUTION, c.resolution);
        EXPECT_EQ(c.results != AllDashes, OnCalculate(form.Access()));
        EXPECT_EQ((std::vector<int>{IDC_TEMPO, IDC_RESOLUTION}),
                  form.Ids(FieldOperationKind::kRead));
        EXPECT_EQ(ResultWriteOrder(), form.Ids(FieldOperationKind::kWrite));
        EXPECT_EQ(c.results(), form.Results());
        // The inputs are left as typed.
        EXPECT_EQ(c.tempo, form.Text(IDC_TEMPO));
        EXPECT_EQ(c.resolution, form.Text(IDC_RESOLUTION));
    }
}

TEST(OnCalculate, EmptyTempoClearsWithoutReadingTheResolution) {
    Form form;
    TypeIntoField(form.memory, IDC_RESOLUTION, L"480");
    EXPECT_FALSE(OnCalculate(form.Access()));
    EXPECT_EQ(std::vector<int>{IDC_TEMPO}, form.Ids(FieldOperationKind::kRead));
    EXPECT_EQ(AllDashes(), form.Results());
}

TEST(OnCalculate, ReadsEachFieldWithACapacityOf100) {
    Form form;
    TypeIntoField(form.memory, IDC_TEMPO, L"120");
    TypeIntoField(form.memory, IDC_RESOLUTION, L"480");
    OnCalculate(form.Access());
    ASSERT_GE(form.memory.operationCount, 2);
    EXPECT_EQ(100, form.memory.log[0].capacity);
    EXPECT_EQ(100, form.memory.log[1].capacity);
}

TEST(OnCalculate, ZeroTempoShowsTicksAndInfiniteMilliseconds) {
    for (const wchar_t *tempo : {L"abc", L"0", L" "}) {
        Form form;
        TypeIntoField(form.memory, IDC_TEMPO, tempo);
        TypeIntoField(form.memory, IDC_RESOLUTION, L"480");
        EXPECT_TRUE(OnCalculate(form.Access()));
        const std::vector<std::wstring> results = form.Results();
        for (int i = 0; i < 32; i += 2) {
            EXPECT_EQ(kStartUpResults[i], results[i]) << "tempo " << testing::PrintToString(tempo);
            EXPECT_EQ(L"inf", results[i + 1]) << "tempo " << testing::PrintToString(tempo);
        }
    }
}

TEST(OnCalculate, InfiniteResolutionFillsTheGridWithNonFiniteTexts) {
    Form form;
    TypeIntoField(form.memory, IDC_TEMPO, L"120");
    TypeIntoField(form.memory, IDC_RESOLUTION, L"1e999");
    EXPECT_TRUE(OnCalculate(form.Access()));
    const std::vector<std::wstring> results = form.Results();
    for (int i = 0; i < 32; i += 2) {
        EXPECT_EQ(L"inf", results[i]);
        EXPECT_EQ(L"nan", results[i + 1]);
    }
}

TEST(OnCalculate, ReadsOnlyTheFirst99CharactersOfALongInput) {
    // 150 characters whose first nonzero digit is the 99th or the 100th.
    for (int digitAt : {99, 100}) {
        std::wstring resolution = L"0." + std::wstring(digitAt - 3, L'0') + L"1";
        resolution.resize(150, L'0');
        Form form;
        TypeIntoField(form.memory, IDC_TEMPO, L"120");
        TypeIntoField(form.memory, IDC_RESOLUTION, resolution.c_str());
        EXPECT_EQ(digitAt == 99, OnCalculate(form.Access())) << "digit at " << digitAt;
        ASSERT_GE(form.memory.operationCount, 2);
        EXPECT_EQ(99, form.memory.log[1].length);
    }
}

TEST(OnCalculate, RepeatsTheSameWritesForUnchangedInput) {
    Form form;
    TypeIntoField(form.memory, IDC_TEMPO, L"93.5");
    TypeIntoField(form.memory, IDC_RESOLUTION, L"480");
    EXPECT_TRUE(OnCalculate(form.Access()));
    const std::vector<std::wstring> first = form.Results();
    form.memory.operationCount = 0;
    EXPECT_TRUE(OnCalculate(form.Access()));
    EXPECT_EQ(ResultWriteOrder(), form.Ids(FieldOperationKind::kWrite));
    EXPECT_EQ(first, form.Results());
}

TEST(ClearResultFields, WritesDashesInTheWriteOrder) {
    Form form;
    ClearResultFields(form.Access());
    EXPECT_EQ(ResultWriteOrder(), form.Ids(FieldOperationKind::kWrite));
    EXPECT_EQ(AllDashes(), form.Results());
}

}  // namespace
