// The rows come from the form's own controller, run against a form that
// holds the two texts and keeps what is written into its result fields:
// the numbers cannot differ from the form's.
#include "cli/note_rows.h"

#include "calc/form_controller.h"
#include "calc/number_text.h"
#include "calc/result_text.h"
#include "res/resource_ids.h"

namespace {

constexpr int kFirstResultField = 1009;
constexpr int kResultFieldCount = 2 * kNoteLengthCount;

const wchar_t *const kEnglishCaptions[kNoteLengthCount] = {
    L"1/32",       L"1/16",     L"1/8",         L"1/4",         L"1/2",        L"1",
    L"2",          L"4",        L"dotted 1/32", L"dotted 1/16", L"dotted 1/8", L"dotted 1/4",
    L"dotted 1/2", L"dotted 1", L"dotted 2",    L"dotted 4",
};
const wchar_t *const kJapaneseTripletCaptions[kPlainNoteCount] = {
    L"3連1/32", L"3連1/16", L"3連1/8", L"3連1/4", L"3連1/2", L"3連1", L"3連2", L"3連4",
};
const wchar_t *const kEnglishTripletCaptions[kPlainNoteCount] = {
    L"triplet 1/32", L"triplet 1/16", L"triplet 1/8", L"triplet 1/4",
    L"triplet 1/2",  L"triplet 1",    L"triplet 2",   L"triplet 4",
};

// A form whose inputs hold the command line's texts.
struct CommandLineForm {
    const wchar_t *tempo;
    const wchar_t *resolution;
    FieldText results[kResultFieldCount];
};

// As WM_GETTEXT: at most capacity - 1 characters and a terminator.
int GetText(void *context, int id, wchar_t *buffer, int capacity) {
    const CommandLineForm &form = *static_cast<CommandLineForm *>(context);
    const wchar_t *text = id == IDC_TEMPO        ? form.tempo
                          : id == IDC_RESOLUTION ? form.resolution
                                                 : L"";
    int copied = 0;
    while (copied < capacity - 1 && text[copied] != L'\0') {
        buffer[copied] = text[copied];
        ++copied;
    }
    buffer[copied] = L'\0';
    return copied;
}

void SetText(void *context, int id, const wchar_t *text) {
    CommandLineForm &form = *static_cast<CommandLineForm *>(context);
    const int field = id - kFirstResultField;
    if (field >= 0 && field < kResultFieldCount) {
        CopyFieldText(text, form.results[field]);
    }
}

CommandLineForm g_form;

}  // namespace

InputProblem ComputeNoteRows(const wchar_t *tempoText, const wchar_t *resolutionText,
                             CaptionLanguage language, bool triplets, NoteRows &rows) {
    g_form.tempo = tempoText;
    g_form.resolution = resolutionText;
    if (!OnCalculate({&g_form, GetText, SetText})) {
        return tempoText[0] == L'\0'        ? InputProblem::kEmptyTempo
               : resolutionText[0] == L'\0' ? InputProblem::kEmptyResolution
                                            : InputProblem::kZeroResolution;
    }
    rows.tempo = WideTextToDouble(tempoText);
    rows.resolution = WideTextToDouble(resolutionText);
    rows.count = 0;
    for (int i = 0; i < kNoteLengthCount; ++i) {
        const NoteLengthEntry &entry = NoteLengthTable[i];
        NoteRow &row = rows.rows[rows.count++];
        row.caption = language == CaptionLanguage::kJapanese ? entry.caption : kEnglishCaptions[i];
        CopyFieldText(g_form.results[entry.tickFieldId - kFirstResultField], row.ticks);
        CopyFieldText(g_form.results[entry.millisecondFieldId - kFirstResultField],
                      row.milliseconds);
    }
    if (triplets) {
        // Two thirds of each plain note, in that order of operations, and
        // the form's own milliseconds per tick.
        const NoteLengths lengths = ComputeNoteLengths(rows.tempo, rows.resolution);
        for (int i = 0; i < kPlainNoteCount; ++i) {
            const double ticks = (lengths.notes[i].ticks * 2) / 3;
            NoteRow &row = rows.rows[rows.count++];
            row.caption = language == CaptionLanguage::kJapanese ? kJapaneseTripletCaptions[i]
                                                                 : kEnglishTripletCaptions[i];
            FormatResultValue(ticks, row.ticks);
            FormatResultValue(ticks * lengths.millisecondsPerTick, row.milliseconds);
        }
    }
    return InputProblem::kNone;
}
