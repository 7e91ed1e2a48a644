// Pairs from the arguments, a list, or lines.
#include "request/pair_source.h"

#include <cstring>

#include "text/list_items.h"
#include "text/utf8.h"

namespace {

// The UTF-8 byte-order mark that Notepad and --bom put at a text's start.
const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

// The part of a line or a list that holds one number, cut to a field, zero
// characters and all; returns its whole length.
int CopyPart(const wchar_t *text, int length, FieldText &copy) {
    CopyTextPart(text, length, copy, kFieldTextCapacity);
    return length;
}

// The next byte of standard input, or -1 at its end (-2 when unreadable).
// Reads only when the buffer is empty, and takes what a read gives, so that
// a line is answered as soon as it comes.
int NextByte(PairSource &source) {
    if (source.position == source.length) {
        if (source.ended) {
            return -1;
        }
        source.length = source.input.Read(source.input.context, source.buffer,
                                          static_cast<long>(sizeof source.buffer));
        source.position = 0;
        if (source.length <= 0) {
            source.ended = true;
            const bool unreadable = source.length < 0;
            source.length = 0;
            return unreadable ? -2 : -1;
        }
    }
    return source.buffer[source.position++];
}

// A pair from the next line that holds one: two words, blank lines and
// lines starting with '#' passed over.
PairStatus NextLine(PairSource &source, TextPair &pair) {
    for (;;) {
        char bytes[kMaxLineBytes];
        int length = 0;
        int byte = NextByte(source);
        if (byte == -1) {
            return PairStatus::kEnd;
        }
        // One mark at the very start is no part of the text.
        bool atStart = source.number++ == 0;
        for (; byte >= 0 && byte != '\n'; byte = NextByte(source)) {
            if (length == kMaxLineBytes) {
                return PairStatus::kLineTooLong;
            }
            bytes[length++] = static_cast<char>(byte);
            if (atStart && length == 3) {
                atStart = false;
                length = std::memcmp(bytes, kByteOrderMark, 3) == 0 ? 0 : length;
            }
        }
        if (byte == -2) {
            return PairStatus::kUnreadable;
        }
        if (length > 0 && bytes[length - 1] == '\r') {
            --length;
        }
        // Every byte counts, a zero too: it is no blank, and no end.
        wchar_t line[kMaxLineBytes + 1];
        const int units = DecodeUtf8Bytes(bytes, length, line, kMaxLineBytes + 1);
        const wchar_t *p = line;
        const wchar_t *const end = line + units;
        while (p != end && IsBlank(*p)) {
            ++p;
        }
        if (p == end || *p == L'#') {
            continue;
        }
        const wchar_t *words[3] = {};
        int lengths[3] = {};
        int count = 0;
        while (p != end && count < 3) {
            words[count] = p;
            while (p != end && !IsBlank(*p)) {
                ++p;
            }
            lengths[count] = static_cast<int>(p - words[count]);
            ++count;
            while (p != end && IsBlank(*p)) {
                ++p;
            }
        }
        if (count != 2) {
            return PairStatus::kBadLine;
        }
        pair.tempoLength = CopyPart(words[0], lengths[0], pair.tempo);
        pair.resolutionLength = CopyPart(words[1], lengths[1], pair.resolution);
        return PairStatus::kPair;
    }
}

}  // namespace

void StartPairs(PairSource &source, const Request &request, ByteSource input) {
    source.request = &request;
    source.input = input;
    source.nextItem = request.mode == RequestMode::kTempoList ? request.tempoList : nullptr;
    source.length = 0;
    source.position = 0;
    source.ended = false;
    source.number = 0;
}

PairStatus NextPair(PairSource &source, TextPair &pair) {
    const Request &request = *source.request;
    switch (request.mode) {
        case RequestMode::kOnePair:
            if (source.number++ > 0) {
                return PairStatus::kEnd;
            }
            CopyFieldText(request.numbers[0], pair.tempo);
            pair.tempoLength = request.numberLengths[0];
            CopyFieldText(request.numbers[1], pair.resolution);
            pair.resolutionLength = request.numberLengths[1];
            return PairStatus::kPair;
        case RequestMode::kTempoList: {
            if (source.nextItem == nullptr) {
                return PairStatus::kEnd;
            }
            ++source.number;
            const ListItem item = ListItemAt(source.nextItem);
            source.nextItem = item.next;
            pair.tempoLength = CopyPart(item.text, item.length, pair.tempo);
            CopyFieldText(request.numbers[0], pair.resolution);
            pair.resolutionLength = request.numberLengths[0];
            return PairStatus::kPair;
        }
        case RequestMode::kStandardInput:
            return NextLine(source, pair);
        case RequestMode::kTempoForLength:
        case RequestMode::kMidiFile:
        case RequestMode::kWriteMidi:
        case RequestMode::kFitTempo:
        case RequestMode::kFitMap:
            break;
    }
    return PairStatus::kEnd;
}
