// The calculator form's behaviour. It keeps no state: everything it shows
// lives in the form's fields.
#include "calc/form_controller.h"

#include "calc/field_text.h"
#include "calc/note_length_table.h"
#include "calc/number_text.h"
#include "calc/result_text.h"
#include "res/resource_ids.h"

void ApplyStartupDefaults(const FormFieldAccess &form) {
    form.SetFieldText(form.context, IDC_TEMPO, L"120");
    form.SetFieldText(form.context, IDC_RESOLUTION, L"480");
    FillResultFields(form, 120.0, 480.0);
}

bool OnCalculate(const FormFieldAccess &form) {
    FieldText tempoText;
    if (form.GetFieldText(form.context, IDC_TEMPO, tempoText, kFieldTextCapacity) == 0) {
        ClearResultFields(form);
        return false;
    }
    FieldText resolutionText;
    if (form.GetFieldText(form.context, IDC_RESOLUTION, resolutionText, kFieldTextCapacity) == 0) {
        ClearResultFields(form);
        return false;
    }
    // Only the resolution divides; a zero tempo shows infinite milliseconds.
    const double resolution = WideTextToDouble(resolutionText);
    if (resolution == 0.0) {
        ClearResultFields(form);
        return false;
    }
    FillResultFields(form, WideTextToDouble(tempoText), resolution);
    return true;
}

void FillResultFields(const FormFieldAccess &form, double tempo, double resolution) {
    const NoteLengths lengths = ComputeNoteLengths(tempo, resolution);
    FieldText text;
    for (int i = 0; i < kNoteLengthCount; ++i) {
        FormatResultValue(lengths.notes[i].ticks, text);
        form.SetFieldText(form.context, NoteLengthTable[i].tickFieldId, text);
        FormatResultValue(lengths.notes[i].milliseconds, text);
        form.SetFieldText(form.context, NoteLengthTable[i].millisecondFieldId, text);
    }
}

void ClearResultFields(const FormFieldAccess &form) {
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        form.SetFieldText(form.context, entry.tickFieldId, L"--");
        form.SetFieldText(form.context, entry.millisecondFieldId, L"--");
    }
}
