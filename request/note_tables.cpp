// Printing the tables pair by pair.
#include "request/note_tables.h"

#include <cwchar>

#include "request/note_rows.h"
#include "request/note_table_output.h"
#include "request/pair_source.h"

namespace {

constexpr int kUnusableInput = 1;

// Large fixed buffers, kept out of the stack.
PairSource g_pairs;
TextPair g_pair;
TextPair g_nextPair;
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
            break;
    }
    place[0] = L'\0';
}

void ComplainAboutInput(const TextSink &err, const wchar_t *place, InputProblem problem,
                        const TextPair &pair) {
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
            Complain(err, place, L"the resolution '", pair.resolution,
                     L"' holds no number, so it reads as zero");
            return;
        case InputProblem::kTooLongToShow:
            Complain(err, place, L"every value is too long to show (more than 99 characters)");
            return;
        case InputProblem::kTempoNotANumber:
            Complain(err, place, L"the tempo '", pair.tempo, L"' is not a number and nothing else");
            return;
        case InputProblem::kResolutionNotANumber:
            Complain(err, place, L"the resolution '", pair.resolution,
                     L"' is not a number and nothing else");
            return;
        case InputProblem::kTempoNotMicroseconds:
            Complain(err, place, L"the tempo '", pair.tempo,
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

// Prints the table of every pair in turn. One pair prints as it always
// has; from two on, each table is marked with its pair, and the first
// failure ends the output (closed, in JSON) after the tables before it.
// Whether there is more than one shows at the second, so each pair is read
// one ahead.
int PrintNoteTables(const Request &request, ByteSource input, const TextSink &out,
                    const TextSink &err) {
    StartPairs(g_pairs, request, input);
    PairStatus status = NextPair(g_pairs, g_pair);
    long number = g_pairs.number;
    if (status == PairStatus::kEnd) {
        Complain(err, L"standard input holds no TEMPO and RESOLUTION");
        return kUnusableInput;
    }
    PairStatus nextStatus =
        status == PairStatus::kPair ? NextPair(g_pairs, g_nextPair) : PairStatus::kEnd;
    long nextNumber = g_pairs.number;
    NoteOutput output = {out, request.format, &request.notes, nextStatus != PairStatus::kEnd, 0};
    int exitStatus = 0;
    FieldText place;
    while (status != PairStatus::kEnd) {
        DescribePlace(request, number, place);
        if (status != PairStatus::kPair) {
            ComplainAboutLine(err, place, status);
            exitStatus = kUnusableInput;
            break;
        }
        const InputProblem problem =
            ComputeNoteRows(g_pair.tempo, g_pair.tempoLength, g_pair.resolution,
                            g_pair.resolutionLength, request.notes, g_rows);
        if (problem != InputProblem::kNone) {
            ComplainAboutInput(err, place, problem, g_pair);
            exitStatus = kUnusableInput;
            break;
        }
        WriteNoteRows(output, g_rows);
        g_pair = g_nextPair;
        status = nextStatus;
        number = nextNumber;
        nextStatus = status == PairStatus::kPair ? NextPair(g_pairs, g_nextPair) : PairStatus::kEnd;
        nextNumber = g_pairs.number;
    }
    EndNoteOutput(output);
    return exitStatus;
}
