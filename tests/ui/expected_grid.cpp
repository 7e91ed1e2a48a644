// Expected grids come from the core through an in-memory form.
#include "tests/ui/expected_grid.h"

#include "calc/form_controller.h"
#include "calc/note_length_table.h"
#include "res/resource_ids.h"
#include "tests/memory_form.h"

namespace {

Grid GridOf(const MemoryForm &form) {
    Grid grid;
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        grid[entry.tickFieldId] = FieldTextOf(form, entry.tickFieldId);
        grid[entry.millisecondFieldId] = FieldTextOf(form, entry.millisecondFieldId);
    }
    return grid;
}

}  // namespace

Grid ExpectedGrid(double tempo, double resolution) {
    static MemoryForm form;
    ResetMemoryForm(form);
    FillResultFields(MemoryFormAccess(form), tempo, resolution);
    return GridOf(form);
}

Grid ExpectedGridForTexts(const std::wstring &tempo, const std::wstring &resolution) {
    static MemoryForm form;
    ResetMemoryForm(form);
    TypeIntoField(form, IDC_TEMPO, tempo.c_str());
    TypeIntoField(form, IDC_RESOLUTION, resolution.c_str());
    OnCalculate(MemoryFormAccess(form));
    return GridOf(form);
}

Grid DashedGrid() {
    static MemoryForm form;
    ResetMemoryForm(form);
    ClearResultFields(MemoryFormAccess(form));
    return GridOf(form);
}

Grid ShownGrid(const RunningTactimer &app) {
    Grid grid;
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        grid[entry.tickFieldId] = app.FieldText(entry.tickFieldId);
        grid[entry.millisecondFieldId] = app.FieldText(entry.millisecondFieldId);
    }
    return grid;
}

void FillGridWith(const RunningTactimer &app, const wchar_t *text) {
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        app.SetFieldText(entry.tickFieldId, text);
        app.SetFieldText(entry.millisecondFieldId, text);
    }
}

bool WaitForGrid(const RunningTactimer &app, const Grid &expected) {
    return WaitUntil([&] { return ShownGrid(app) == expected; });
}
