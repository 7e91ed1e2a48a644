// The rows come from the form's own controller, run against a form that
// holds the two texts and keeps what is written into its result fields:
// the numbers cannot differ from the form's.
#include "request/note_rows.h"

#include <cmath>
#include <cwchar>

#include "calc/form_controller.h"
#include "calc/number_text.h"
#include "calc/result_text.h"
#include "midi/midi_tempo.h"
#include "res/resource_ids.h"
#include "text/shortest_number.h"

namespace {

constexpr int kFirstResultField = 1009;
constexpr int kResultFieldCount = 2 * kNoteLengthCount;

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

// A number and nothing else, all of it within a field (a zero character
// among the bytes of a line ends the text early).
bool WhollyANumber(const wchar_t *text, int length) {
    return length < kFieldTextCapacity && static_cast<int>(std::wcslen(text)) == length &&
           IsOnlyANumber(text);
}

// The number at the start of the text as it was typed, without the white
// space before it.
void TypedNumber(const wchar_t *text, FieldText &number) {
    const int end = NumberTextEnd(text);
    int start = 0;
    while (start < end && (text[start] == L' ' || (text[start] >= L'\t' && text[start] <= L'\r') ||
                           text[start] == L'\u3000')) {
        ++start;
    }
    CopyTextPart(text + start, end - start, number, kFieldTextCapacity);
}

// 100 x (microseconds - 60,000,000 / bpm) / 1000 milliseconds, exactly: bpm
// is mantissa x 2^exponent, its mantissa a whole number of 53 bits.
Fraction DriftPer100Quarters(double bpm, long microseconds) {
    int exponent = 0;
    const double mantissa = std::frexp(bpm, &exponent);
    ExactInteger numerator = static_cast<ExactInteger>(std::ldexp(mantissa, 53));
    ExactInteger denominator = 1;
    exponent -= 53;
    for (; exponent > 0; --exponent) {
        numerator *= 2;
    }
    for (; exponent < 0 && numerator % 2 == 0; ++exponent) {
        numerator /= 2;
    }
    for (; exponent < 0; ++exponent) {
        denominator *= 2;
    }
    // bpm = numerator / denominator.
    return {microseconds * numerator - static_cast<ExactInteger>(60000000) * denominator,
            10 * numerator};
}

// Why the form cleared its grid for these texts.
InputProblem WhyCleared(const wchar_t *tempoText, const wchar_t *resolutionText) {
    if (tempoText[0] == L'\0') {
        return InputProblem::kEmptyTempo;
    }
    if (resolutionText[0] == L'\0') {
        return InputProblem::kEmptyResolution;
    }
    return NumberTextEnd(resolutionText) == 0 ? InputProblem::kResolutionHoldsNoNumber
                                              : InputProblem::kZeroResolution;
}

bool EveryFieldDashed() {
    for (const FieldText &text : g_form.results) {
        if (std::wcscmp(text, L"--") != 0) {
            return false;
        }
    }
    return true;
}

// The row's further units from its values.
void FillUnits(const NoteRequest &request, const NoteRows &rows, const Fraction &quarters,
               double milliseconds, NoteRow &row) {
    row.exactTicks[0] = L'\0';
    if (request.exact && rows.wholeResolution) {
        FormatMixedNumber(ExactTicks(rows.resolution, quarters), row.exactTicks);
    }
    if (request.samples) {
        FormatResultValue((milliseconds * request.sampleRate) / 1000, row.samples);
    }
    if (request.hertz) {
        FormatFixedValue(1000 / milliseconds, 3, row.hertz);
    }
    if (request.frames) {
        FormatResultValue(FramesOfMilliseconds(milliseconds, request.frameRate), row.frames);
    }
}

}  // namespace

InputProblem ComputeNoteRows(const wchar_t *tempoText, int tempoLength,
                             const wchar_t *resolutionText, int resolutionLength,
                             const NoteRequest &request, NoteRows &rows) {
    if (request.strict && tempoText[0] != L'\0' && !WhollyANumber(tempoText, tempoLength)) {
        return InputProblem::kTempoNotANumber;
    }
    if (request.strict && resolutionText[0] != L'\0' &&
        !WhollyANumber(resolutionText, resolutionLength)) {
        return InputProblem::kResolutionNotANumber;
    }
    // A tempo in microseconds reaches the form as the tempo it stands for.
    FieldText tempoInBpm;
    if (request.tempoInMicroseconds && tempoText[0] != L'\0') {
        const double microseconds = WideTextToDouble(tempoText);
        if (!(microseconds >= 1 && microseconds <= kMaxMidiTempo) ||
            microseconds != std::floor(microseconds)) {
            return InputProblem::kTempoNotMicroseconds;
        }
        FormatShortestNumber(BpmOfMidiTempo(static_cast<long>(microseconds)), tempoInBpm);
        tempoText = tempoInBpm;
    }
    g_form.tempo = tempoText;
    g_form.resolution = resolutionText;
    if (!OnCalculate({&g_form, GetText, SetText})) {
        return WhyCleared(tempoText, resolutionText);
    }
    if (EveryFieldDashed()) {
        return InputProblem::kTooLongToShow;
    }
    rows.tempo = WideTextToDouble(tempoText);
    rows.resolution = WideTextToDouble(resolutionText);
    TypedNumber(resolutionText, rows.resolutionText);
    rows.midiTempo = MidiTempoOfBpm(rows.tempo);
    rows.storedTempo = rows.midiTempo != 0 ? BpmOfMidiTempo(rows.midiTempo) : 0;
    rows.driftPer100Quarters = rows.midiTempo != 0 && !request.tempoInMicroseconds
                                   ? DriftPer100Quarters(rows.tempo, rows.midiTempo)
                                   : Fraction{0, 1};
    rows.wholeResolution = IsWholeResolution(rows.resolution);
    rows.resolutionBeyondExact = !(std::fabs(rows.resolution) <= kMaxExactResolution);
    rows.wholeAtMultiplesOf = 1;
    rows.hasClick = request.frames && ClickBookTempo(rows.tempo, request.frameRate, rows.click);
    rows.count = 0;
    const NoteLengths lengths = ComputeNoteLengths(rows.tempo, rows.resolution);
    for (int i = 0; i < kNoteLengthCount; ++i) {
        const NoteLengthEntry &entry = NoteLengthTable[i];
        NoteRow &row = rows.rows[rows.count++];
        CopyFieldText(NoteCaption(i, request.language), row.caption);
        CopyFieldText(g_form.results[entry.tickFieldId - kFirstResultField], row.ticks);
        CopyFieldText(g_form.results[entry.millisecondFieldId - kFirstResultField],
                      row.milliseconds);
        const Fraction quarters = NoteQuarters(entry);
        rows.wholeAtMultiplesOf =
            LeastCommonMultiple(rows.wholeAtMultiplesOf, quarters.denominator);
        FillUnits(request, rows, quarters, lengths.notes[i].milliseconds, row);
    }
    for (int t = 0; t < request.tupletCount; ++t) {
        const Tuplet &tuplet = request.tuplets[t];
        for (int i = 0; i < kPlainNoteCount; ++i) {
            // From the plain note's ticks, with the form's milliseconds per
            // tick.
            const double ticks = TupletLength(lengths.notes[i].ticks, tuplet);
            const double milliseconds = ticks * lengths.millisecondsPerTick;
            NoteRow &row = rows.rows[rows.count++];
            TupletCaption(tuplet, i, request.language, row.caption);
            FormatResultValue(ticks, row.ticks);
            FormatResultValue(milliseconds, row.milliseconds);
            const Fraction quarters = TupletQuarters(NoteQuarters(NoteLengthTable[i]), tuplet);
            rows.wholeAtMultiplesOf =
                LeastCommonMultiple(rows.wholeAtMultiplesOf, quarters.denominator);
            FillUnits(request, rows, quarters, milliseconds, row);
        }
    }
    return InputProblem::kNone;
}
