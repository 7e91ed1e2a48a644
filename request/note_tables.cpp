// Printing the tables pair by pair.
#include "request/note_tables.h"

#include <cwchar>

#include "request/note_rows.h"
#include "request/note_table_output.h"
#include "request/pair_source.h"
#include "text/one_line_text.h"

namespace {

constexpr int kUnusableInput = 1;

// Large fixed buffers, kept out of the stack.
PairSource g_pairs;
TextPair g_pair;
NoteRows g_rows;

// Where a pair came from, for its failure: nothing for the two arguments.
void DescribePlace(const Request &request, long number, FieldText &place) {
    switch (request.mode) {
        case RequestMode::kTempoList:
            std::swprintf(place, kFieldTextCapacity, L"--tempos, item %ld: ", number);
            return;
        case RequestMode::kStandardInput:
            std::swprintf(place, kFieldTextCapacity, L"standard input, line %ld: ", number);
            return;
        case RequestMode::kOnePair:
        case RequestMode::kTempoForLength:
        case RequestMode::kMidiFile:
        case RequestMode::kWriteMidi:
        case RequestMode::kFitTempo:
        case RequestMode::kFitMap:
            break;
    }
    place[0] = L'\0';
}

// A number's text as it came, zero characters and all, on one line.
void ShowWord(const wchar_t *word, int length, FieldText &shown) {
    ShowOnOneLine(word, length < kFieldTextCapacity ? length : kFieldTextCapacity - 1, shown,
                  kFieldTextCapacity);
}

void ComplainAboutInput(const TextSink &err, const wchar_t *place, InputProblem problem,
                        const TextPair &pair) {
    FieldText tempo;
    FieldText resolution;
    ShowWord(pair.tempo, pair.tempoLength, tempo);
    ShowWord(pair.resolution, pair.resolutionLength, resolution);
    switch (problem) {
        case InputProblem::kEmptyTempo:
            Complain(err, place, L"the tempo is empty");
            return;
        case InputProblem::kEmptyResolution:
            Complain(err, place, L"the resolution is empty");
            return;
        case InputProblem::kZeroResolution:
            Complain(err, place, L"the resolution reads as zero");
            return;
        case InputProblem::kResolutionHoldsNoNumber:
            Complain(err, place, L"the resolution '", resolution,
                     L"' holds no number, so it reads as zero");
            return;
        case InputProblem::kTooLongToShow:
            Complain(err, place, L"every value is too long to show (more than 99 characters)");
            return;
        case InputProblem::kTempoNotANumber:
            Complain(err, place, L"the tempo '", tempo, L"' is not a number and nothing else");
            return;
        case InputProblem::kResolutionNotANumber:
            Complain(err, place, L"the resolution '", resolution,
                     L"' is not a number and nothing else");
            return;
        case InputProblem::kTempoNotMicroseconds:
            Complain(err, place, L"the tempo '", tempo,
                     L"' is not whole microseconds a quarter note from 1 to 16777215");
            return;
        case InputProblem::kNone:
            break;
    }
}

void ComplainAboutLine(const TextSink &err, const wchar_t *place, PairStatus status) {
    switch (status) {
        case PairStatus::kBadLine:
            Complain(err, place, L"a line holds TEMPO and RESOLUTION and nothing else");
            return;
        case PairStatus::kLineTooLong:
            Complain(err, place, L"the line is longer than 1000 bytes");
            return;
        case PairStatus::kUnreadable:
            Complain(err, place, L"cannot be read");
            return;
        case PairStatus::kPair:
        case PairStatus::kEnd:
            break;
    }
}

}  // namespace

// Prints the table of every pair in turn, each as soon as its pair is read
// and handed on at once: a person typing at standard input sees each answer,
// and a long pipe shows its progress. Two numbers print one table alone; a
// list or standard input marks each table with its pair, however many come.
// The first failure ends the output (closed, in JSON) after the tables
// before it, and is said after them.
int PrintNoteTables(const Request &request, ByteSource input, const TextSink &out,
                    const TextSink &err) {
    StartPairs(g_pairs, request, input);
    NoteOutput output = {out, request.format, &request.notes, request.mode != RequestMode::kOnePair,
                         0};
    PairStatus status;
    InputProblem problem = InputProblem::kNone;
    while ((status = NextPair(g_pairs, g_pair)) == PairStatus::kPair) {
        problem = ComputeNoteRows(g_pair.tempo, g_pair.tempoLength, g_pair.resolution,
                                  g_pair.resolutionLength, request.notes, g_rows);
        if (problem != InputProblem::kNone) {
            break;
        }
        WriteNoteRows(output, g_rows);
        FlushText(out);
    }
    EndNoteOutput(output);
    FieldText place;
    DescribePlace(request, g_pairs.number, place);
    if (problem != InputProblem::kNone) {
        ComplainAboutInput(err, place, problem, g_pair);
        return kUnusableInput;
    }
    if (status != PairStatus::kEnd) {
        ComplainAboutLine(err, place, status);
        return kUnusableInput;
    }
    if (output.pairsWritten == 0) {
        Complain(err, L"standard input holds no TEMPO and RESOLUTION");
        return kUnusableInput;
    }
    return 0;
}
