// Feeds arbitrary tempo and resolution texts to the Calculate command.
//
// Input: one byte that says how many code units the tempo takes (at most
// 150), then UTF-16 code units, little-endian: the tempo's, then up to 150
// for the resolution. A zero code unit ends a text, as no edit control
// holds one.
//
// Checked: no crash or sanitizer report; every written text has at most 99
// characters; the inputs are never written; a cleared grid is "--" in all 32
// fields; a filled grid holds result texts, with "--" only for a value too
// long to show.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "calc/form_controller.h"
#include "calc/note_length_table.h"
#include "calc/number_text.h"
#include "res/resource_ids.h"
#include "tests/memory_form.h"

namespace {

constexpr int kMaxInputLength = 150;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Fills text from the code units at data, at most count of them.
std::size_t TakeText(const std::uint8_t *data, std::size_t size, std::size_t count,
                     wchar_t (&text)[kMaxInputLength + 1]) {
    std::size_t units = 0;
    while (units < count && 2 * units + 1 < size) {
        text[units] = static_cast<wchar_t>(data[2 * units] | (data[2 * units + 1] << 8));
        ++units;
    }
    text[units] = L'\0';
    return 2 * units;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// "-?digits.dd", or one of the texts of a non-finite value.
bool IsResultText(const wchar_t *text) {
    if (std::wcscmp(text, L"inf") == 0 || std::wcscmp(text, L"-inf") == 0 ||
        std::wcscmp(text, L"nan") == 0) {
        return true;
    }
    if (*text == L'-') {
        ++text;
    }
    if (!IsDigit(*text)) {
        return false;
    }
    while (IsDigit(*text)) {
        ++text;
    }
    return text[0] == L'.' && IsDigit(text[1]) && IsDigit(text[2]) && text[3] == L'\0';
}

// Below this magnitude a value's text, sign included, fits 99 characters.
constexpr double kAlwaysFits = 9.9e94;

void CheckShown(const MemoryForm &form, int id, double value) {
    const wchar_t *text = FieldTextOf(form, id);
    if (std::wcscmp(text, L"--") == 0) {
        Require(std::fabs(value) >= kAlwaysFits);
    } else {
        Require(IsResultText(text));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t tempoUnits = data[0] % (kMaxInputLength + 1);
    wchar_t tempo[kMaxInputLength + 1];
    wchar_t resolution[kMaxInputLength + 1];
    const std::size_t used = 1 + TakeText(data + 1, size - 1, tempoUnits, tempo);
    TakeText(data + used, size - used, kMaxInputLength, resolution);

    static MemoryForm form;
    ResetMemoryForm(form);
    TypeIntoField(form, IDC_TEMPO, tempo);
    TypeIntoField(form, IDC_RESOLUTION, resolution);
    const bool filled = OnCalculate(MemoryFormAccess(form));

    Require(form.operationCount <= kMemoryFormLogCapacity);
    for (int i = 0; i < form.operationCount; ++i) {
        const FieldOperation &operation = form.log[i];
        if (operation.kind == FieldOperationKind::kWrite) {
            Require(operation.length <= 99);
            Require(operation.id != IDC_TEMPO && operation.id != IDC_RESOLUTION);
        }
    }

    if (!filled) {
        for (const NoteLengthEntry &entry : NoteLengthTable) {
            Require(std::wcscmp(FieldTextOf(form, entry.tickFieldId), L"--") == 0);
            Require(std::wcscmp(FieldTextOf(form, entry.millisecondFieldId), L"--") == 0);
        }
        return 0;
    }
    const NoteLengths lengths =
        ComputeNoteLengths(WideTextToDouble(tempo), WideTextToDouble(resolution));
    for (int i = 0; i < kNoteLengthCount; ++i) {
        CheckShown(form, NoteLengthTable[i].tickFieldId, lengths.notes[i].ticks);
        CheckShown(form, NoteLengthTable[i].millisecondFieldId, lengths.notes[i].milliseconds);
    }
    return 0;
}
