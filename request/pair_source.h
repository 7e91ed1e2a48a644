// The tempo and resolution pairs of one run, one at a time: the two
// arguments, the items of --tempos with its one resolution, or the lines of
// standard input. Standard input streams through a bounded buffer.
#ifndef TACTIMER_REQUEST_PAIR_SOURCE_H
#define TACTIMER_REQUEST_PAIR_SOURCE_H

#include "calc/field_text.h"
#include "midi/byte_source.h"
#include "request/request.h"

// The bytes a line of standard input may have, its line end apart.
constexpr int kMaxLineBytes = 1000;

struct TextPair {
    FieldText tempo;
    int tempoLength;  // the whole text's, which may be longer
    FieldText resolution;
    int resolutionLength;
};

enum class PairStatus { kPair, kEnd, kBadLine, kLineTooLong, kUnreadable };

struct PairSource {
    const Request *request;
    ByteSource input;
    // Where the source stands: the list's next item, or standard input's
    // buffer and line.
    const wchar_t *nextItem;
    unsigned char buffer[4096];
    long length;
    long position;
    bool ended;
    // The item or line that the last pair or failure came from, from 1.
    long number;
};

void StartPairs(PairSource &source, const Request &request, ByteSource input);
PairStatus NextPair(PairSource &source, TextPair &pair);

#endif
