// Captions in both languages, and reading them back.
#include "calc/note_captions.h"

#include <cwchar>
#include <cwctype>

#include "calc/note_length_table.h"

namespace {

const wchar_t *const kEnglishCaptions[kNoteLengthCount] = {
    L"1/32",       L"1/16",     L"1/8",         L"1/4",         L"1/2",        L"1",
    L"2",          L"4",        L"dotted 1/32", L"dotted 1/16", L"dotted 1/8", L"dotted 1/4",
    L"dotted 1/2", L"dotted 1", L"dotted 2",    L"dotted 4",
};

// The tuplets that English has names for.
const struct {
    Tuplet tuplet;
    const wchar_t *name;
} kTupletNames[] = {
    {{3, 2}, L"triplet"},   {{5, 4}, L"quintuplet"}, {{6, 4}, L"sextuplet"},
    {{7, 4}, L"septuplet"}, {{2, 3}, L"duplet"},
};

const wchar_t kDottedJapanese[] = L"付点";
const wchar_t kDottedEnglish[] = L"dotted ";
const wchar_t kTupletJapanese[] = L"連";
const wchar_t kTupletEnglish[] = L" tuplet ";

bool SameTuplet(const Tuplet &a, const Tuplet &b) {
    return a.notes == b.notes && a.inTimeOf == b.inTimeOf;
}

// The English name of the tuplet, or null.
const wchar_t *TupletName(const Tuplet &tuplet) {
    for (const auto &named : kTupletNames) {
        if (SameTuplet(named.tuplet, tuplet)) {
            return named.name;
        }
    }
    return nullptr;
}

// Whether text starts with prefix, English letters in either case; if so,
// moves text past it.
bool TakePrefix(const wchar_t *&text, const wchar_t *prefix) {
    const size_t length = std::wcslen(prefix);
    for (size_t i = 0; i < length; ++i) {
        if (std::towlower(text[i]) != std::towlower(prefix[i]) || text[i] == L'\0') {
            return false;
        }
    }
    text += length;
    return true;
}

// The plain note whose caption text is, or -1.
int PlainNoteNamed(const wchar_t *text) {
    for (int i = 0; i < kPlainNoteCount; ++i) {
        if (std::wcscmp(text, NoteLengthTable[i].caption) == 0) {
            return i;
        }
    }
    return -1;
}

int ReadNumber(const wchar_t *text, int &value) {
    int length = 0;
    value = 0;
    while (text[length] >= L'0' && text[length] <= L'9' && length < 5) {
        value = value * 10 + (text[length] - L'0');
        ++length;
    }
    return length;
}

}  // namespace

const wchar_t *NoteCaption(int index, CaptionLanguage language) {
    return language == CaptionLanguage::kJapanese ? NoteLengthTable[index].caption
                                                  : kEnglishCaptions[index];
}

void TupletCaption(const Tuplet &tuplet, int plainIndex, CaptionLanguage language,
                   FieldText &caption) {
    const wchar_t *const base = NoteLengthTable[plainIndex].caption;
    const bool defaultRatio = tuplet.inTimeOf == DefaultInTimeOf(tuplet.notes);
    if (language == CaptionLanguage::kJapanese) {
        if (defaultRatio) {
            std::swprintf(caption, kFieldTextCapacity, L"%d%ls%ls", tuplet.notes, kTupletJapanese,
                          base);
        } else {
            std::swprintf(caption, kFieldTextCapacity, L"%d:%d%ls%ls", tuplet.notes,
                          tuplet.inTimeOf, kTupletJapanese, base);
        }
    } else if (const wchar_t *name = TupletName(tuplet)) {
        std::swprintf(caption, kFieldTextCapacity, L"%ls %ls", name, base);
    } else {
        std::swprintf(caption, kFieldTextCapacity, L"%d:%d%ls%ls", tuplet.notes, tuplet.inTimeOf,
                      kTupletEnglish, base);
    }
}

int ReadTupletRatio(const wchar_t *text, Tuplet &tuplet) {
    int length = ReadNumber(text, tuplet.notes);
    if (length == 0) {
        return 0;
    }
    if (text[length] == L':') {
        const int more = ReadNumber(text + length + 1, tuplet.inTimeOf);
        if (more == 0) {
            return 0;
        }
        length += 1 + more;
    } else {
        tuplet.inTimeOf = DefaultInTimeOf(tuplet.notes);
    }
    const bool inRange = tuplet.notes >= 2 && tuplet.notes <= kMaxTupletNumber &&
                         tuplet.inTimeOf >= 1 && tuplet.inTimeOf <= kMaxTupletNumber;
    return inRange ? length : 0;
}

bool ReadNoteCaption(const wchar_t *text, NamedNote &note) {
    note = {PlainNoteNamed(text), false, {0, 0}};
    if (note.index >= 0) {
        return true;
    }
    const wchar_t *rest = text;
    if (TakePrefix(rest, kDottedJapanese) || TakePrefix(rest, kDottedEnglish)) {
        const int plain = PlainNoteNamed(rest);
        note.index = plain < 0 ? -1 : kPlainNoteCount + plain;
        return plain >= 0;
    }
    note.isTuplet = true;
    const int ratioLength = ReadTupletRatio(text, note.tuplet);
    rest = text + ratioLength;
    if (ratioLength > 0 &&
        (TakePrefix(rest, kTupletJapanese) || TakePrefix(rest, kTupletEnglish))) {
        note.index = PlainNoteNamed(rest);
        return note.index >= 0;
    }
    for (const auto &named : kTupletNames) {
        rest = text;
        if (TakePrefix(rest, named.name) && TakePrefix(rest, L" ")) {
            note.tuplet = named.tuplet;
            note.index = PlainNoteNamed(rest);
            return note.index >= 0;
        }
    }
    return false;
}

void CaptionOf(const NamedNote &note, CaptionLanguage language, FieldText &caption) {
    if (note.isTuplet) {
        TupletCaption(note.tuplet, note.index, language, caption);
    } else {
        CopyFieldText(NoteCaption(note.index, language), caption);
    }
}
