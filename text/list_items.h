// Comma-separated lists of option values: --tuplets, --tempos, --at and
// --at-ms.
#ifndef TACTIMER_TEXT_LIST_ITEMS_H
#define TACTIMER_TEXT_LIST_ITEMS_H

#include "calc/field_text.h"

// The length of the item that starts at item: up to the next comma or the
// end of the list.
inline int ListItemLength(const wchar_t *item) {
    int length = 0;
    while (item[length] != L'\0' && item[length] != L',') {
        ++length;
    }
    return length;
}

// Calls read for each item; false at the first it refuses, which is left
// in badItem.
template <typename Read>
bool ForEachListItem(const wchar_t *list, FieldText &badItem, Read read) {
    for (const wchar_t *item = list;;) {
        const int length = ListItemLength(item);
        CopyTextPart(item, length, badItem, kFieldTextCapacity);
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
