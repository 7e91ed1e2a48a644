// Reading the ticks and milliseconds that --at, --at-ms and --table-at ask
// for: whole numbers and decimals, read exactly, in comma-separated lists.
#ifndef TACTIMER_CLI_SONG_TIME_TEXT_H
#define TACTIMER_CLI_SONG_TIME_TEXT_H

#include <cstdint>

#include "calc/field_text.h"
#include "midi/tempo_map.h"

// A whole number from 0 to 2^62, white space around it allowed.
bool ReadTickText(const wchar_t *text, std::uint64_t &tick);

// Milliseconds from 0, with at most 18 digits before the point and 9 after
// it, as exact microseconds.
bool ReadMillisecondsText(const wchar_t *text, MidiTime &microseconds);

// Calls read for each comma-separated item; false at the first it refuses,
// which is left in badItem.
template <typename Read>
bool ForEachListItem(const wchar_t *list, FieldText &badItem, Read read) {
    for (const wchar_t *item = list;;) {
        int length = 0;
        while (item[length] != L'\0' && item[length] != L',') {
            ++length;
        }
        int copied = 0;
        for (; copied < length && copied < kFieldTextCapacity - 1; ++copied) {
            badItem[copied] = item[copied];
        }
        badItem[copied] = L'\0';
        if (length >= kFieldTextCapacity || !read(badItem)) {
            return false;
        }
        if (item[length] == L'\0') {
            return true;
        }
        item += length + 1;
    }
}

#endif
