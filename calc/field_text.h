// The one size of text the form knows: every text read from or written to a
// field fits 99 wide characters and a terminator.
#ifndef TACTIMER_CALC_FIELD_TEXT_H
#define TACTIMER_CALC_FIELD_TEXT_H

constexpr int kFieldTextCapacity = 100;

typedef wchar_t FieldText[kFieldTextCapacity];

// Copies text, cut to capacity - 1 characters, and a terminator.
inline void CopyText(const wchar_t *text, wchar_t *copy, int capacity) {
    int length = 0;
    while (length < capacity - 1 && text[length] != L'\0') {
        copy[length] = text[length];
        ++length;
    }
    copy[length] = L'\0';
}

// Copies the first length characters of text, cut to capacity - 1, and a
// terminator.
inline void CopyTextPart(const wchar_t *text, int length, wchar_t *copy, int capacity) {
    const int copied = length < capacity - 1 ? length : capacity - 1;
    for (int i = 0; i < copied; ++i) {
        copy[i] = text[i];
    }
    copy[copied] = L'\0';
}

// Copies text, cut to the 99 characters a field holds, and a terminator.
inline void CopyFieldText(const wchar_t *text, FieldText &copy) {
    CopyText(text, copy, kFieldTextCapacity);
}

#endif
