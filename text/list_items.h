// Comma-separated lists of option values: --tuplets, --tempos, --at and
// --at-ms. Every list takes the same separator: a comma, with any blanks
// around it.
#ifndef TACTIMER_TEXT_LIST_ITEMS_H
#define TACTIMER_TEXT_LIST_ITEMS_H

#include "calc/field_text.h"

inline bool IsListBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

// One item of a list, without the blanks around it (not terminated), and
// where the next one starts: null after the last.
struct ListItem {
    const wchar_t *text;
    int length;
    const wchar_t *next;
};

// The item that starts at start: up to the next comma or the end of the
// list.
inline ListItem ListItemAt(const wchar_t *start) {
    int end = 0;
    while (start[end] != L'\0' && start[end] != L',') {
        ++end;
    }
    ListItem item = {start, end, start[end] == L',' ? start + end + 1 : nullptr};
    while (item.length > 0 && IsListBlank(item.text[0])) {
        ++item.text;
        --item.length;
    }
    while (item.length > 0 && IsListBlank(item.text[item.length - 1])) {
        --item.length;
    }
    return item;
}

// Calls read(text, length) for each item; false at the first it refuses,
// which is left in badItem, cut to a field.
template <typename Read>
bool ForEachListItem(const wchar_t *list, FieldText &badItem, Read read) {
    for (const wchar_t *start = list; start != nullptr;) {
        const ListItem item = ListItemAt(start);
        CopyTextPart(item.text, item.length, badItem, kFieldTextCapacity);
        if (!read(item.text, item.length)) {
            return false;
        }
        start = item.next;
    }
    return true;
}

#endif
