// The tempo for a length: T = 60000 x the note's length in quarters / MS.
#include "request/tempo_for.h"

#include <cmath>
#include <cwchar>

#include "calc/note_length_table.h"
#include "calc/number_text.h"
#include "calc/result_text.h"
#include "request/song_time_text.h"
#include "text/json_output.h"
#include "text/shortest_number.h"

int PrintTempoForLength(const Request &request, const TextSink &out, const TextSink &err) {
    NamedNote note;
    if (!ReadNoteCaption(request.note, note)) {
        Complain(err, L"--tempo-for: '", request.note,
                 L"' is no note: write it as the table's captions are, in either language (1/8, "
                 L"付点1/8, dotted 1/8, 3連1/8, triplet 1/8, 5:3 tuplet 1/8)");
        return 2;
    }
    // A plain decimal is read whole, however many decimals it has; any other
    // number as the window reads it, from a field's 99 characters.
    const wchar_t *const typed = request.length;
    const int typedLength = static_cast<int>(std::wcslen(typed));
    FieldText length;
    CopyFieldText(typed, length);
    DecimalText decimal;
    const bool plain = ReadDecimalText(typed, typedLength, decimal);
    const double milliseconds = plain ? DecimalToDouble(decimal) : WideTextToDouble(length);
    if (!plain && (NumberTextEnd(length) == 0 || typedLength >= kFieldTextCapacity ||
                   (request.notes.strict && !IsOnlyANumber(length)))) {
        Complain(err, L"--tempo-for: the length '", length, L"' is not a number of milliseconds");
        return 1;
    }
    if (!(milliseconds > 0) || !std::isfinite(milliseconds)) {
        Complain(err, L"--tempo-for: the length '", length,
                 L"' must be more than 0 milliseconds, and finite");
        return 1;
    }
    const NoteLengthEntry &entry = NoteLengthTable[note.index];
    const double quarters =
        note.isTuplet ? TupletLength(entry.tickFactor, note.tuplet) : entry.tickFactor;
    const double tempo = (60000 * quarters) / milliseconds;
    if (!std::isfinite(tempo)) {
        Complain(err, L"--tempo-for: the length '", length, L"' is too short for any tempo");
        return 1;
    }
    // As the table's values, the tempo is shown in full or not at all.
    FieldText tempoText;
    FormatResultValue(tempo, tempoText);
    if (std::wcscmp(tempoText, L"--") == 0) {
        Complain(err, L"--tempo-for: the length '", length,
                 L"' is too short: its tempo is too long to show (more than 99 characters)");
        return 1;
    }
    FieldText caption;
    CaptionOf(note, request.notes.language, caption);
    FieldText text;
    const bool japanese = request.notes.language == CaptionLanguage::kJapanese;
    switch (request.format) {
        case OutputFormat::kTable:
            WriteText(out, japanese ? L"テンポ " : L"tempo ");
            WriteText(out, tempoText);
            WriteText(out, japanese ? L"（" : L" (");
            WriteText(out, caption);
            WriteText(out, L" = ");
            FormatShortestNumber(milliseconds, text);
            WriteText(out, text);
            WriteText(out, japanese ? L" ミリ秒）\n" : L" ms)\n");
            break;
        case OutputFormat::kCsv:
            WriteText(out, L"ms,note,tempo\r\n");
            FormatShortestNumber(milliseconds, text);
            WriteText(out, text);
            WriteText(out, L",");
            WriteText(out, caption);
            WriteText(out, L",");
            FormatShortestNumber(tempo, text);
            WriteText(out, text);
            WriteText(out, L"\r\n");
            break;
        case OutputFormat::kJson:
            WriteText(out, L"{\"ms\": ");
            WriteJsonNumber(out, milliseconds);
            WriteText(out, L", \"note\": ");
            WriteJsonString(out, caption);
            WriteText(out, L", \"tempo\": ");
            WriteJsonNumber(out, tempo);
            WriteText(out, L"}\n");
            break;
    }
    return 0;
}
