// A whole Calculate command on the in-memory form, one result text alone,
// and the baseline: the 32 swprintf("%.2f") calls that the grid's texts need.
#include <benchmark/benchmark.h>

#include <cwchar>

#include "calc/form_controller.h"
#include "calc/note_length_table.h"
#include "calc/result_text.h"
#include "res/resource_ids.h"
#include "tests/memory_form.h"

namespace {

constexpr double kTempo = 93.5;
constexpr double kResolution = 960;

// The 32 values of the grid, in write order.
void GridValues(double (&values)[32]) {
    const NoteLengths lengths = ComputeNoteLengths(kTempo, kResolution);
    for (int i = 0; i < kNoteLengthCount; ++i) {
        values[2 * i] = lengths.notes[i].ticks;
        values[2 * i + 1] = lengths.notes[i].milliseconds;
    }
}

void BM_OnCalculate(benchmark::State &state) {
    static MemoryForm form;
    ResetMemoryForm(form);
    TypeIntoField(form, IDC_TEMPO, L"93.5");
    TypeIntoField(form, IDC_RESOLUTION, L"960");
    const FormFieldAccess access = MemoryFormAccess(form);
    for (auto _ : state) {
        form.operationCount = 0;
        benchmark::DoNotOptimize(OnCalculate(access));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OnCalculate);

void BM_FormatResultValue(benchmark::State &state) {
    double values[32];
    GridValues(values);
    FieldText text;
    int i = 0;
    for (auto _ : state) {
        FormatResultValue(values[i], text);
        benchmark::DoNotOptimize(text);
        i = (i + 1) % 32;
    }
}
BENCHMARK(BM_FormatResultValue);

void BM_Swprintf32Baseline(benchmark::State &state) {
    double values[32];
    GridValues(values);
    FieldText text;
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(std::swprintf(text, kFieldTextCapacity, L"%.2f", value));
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(BM_Swprintf32Baseline);

}  // namespace
