// The seeded mix of input texts.
#include "tests/input_texts.h"

namespace {

int Uniform(std::mt19937 &random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

std::wstring Digits(std::mt19937 &random, int count) {
    std::wstring digits;
    for (int i = 0; i < count; ++i) {
        digits += static_cast<wchar_t>(L'0' + Uniform(random, 0, 9));
    }
    return digits;
}

// A number as a user types it: a sign now and then, a fraction, an
// exponent, or a unit after it.
std::wstring ValidNumber(std::mt19937 &random) {
    std::wstring text;
    if (Uniform(random, 0, 9) == 0) {
        text += L'-';
    }
    text += static_cast<wchar_t>(L'1' + Uniform(random, 0, 8));
    text += Digits(random, Uniform(random, 0, 4));
    if (Uniform(random, 0, 2) == 0) {
        text += L'.' + Digits(random, Uniform(random, 1, 3));
    }
    switch (Uniform(random, 0, 9)) {
        case 0:
            text += L"e" + std::to_wstring(Uniform(random, -320, 320));
            break;
        case 1:
            text += L" bpm";
            break;
    }
    return text;
}

// The same number as a Japanese input method types it.
std::wstring FullWidth(const std::wstring &text) {
    std::wstring wide;
    for (wchar_t c : text) {
        wide += c == L' ' ? L'\u3000' : static_cast<wchar_t>(c + 0xFEE0);
    }
    return wide;
}

std::wstring Unusable(std::mt19937 &random) {
    static const wchar_t *const kTexts[] = {
        L"", L" ", L"abc", L"0", L"-0", L"0.0", L"1e-999", L"--", L"ｶﾞ", L"\u3000", L".", L"e5",
    };
    return kTexts[Uniform(random, 0, sizeof kTexts / sizeof kTexts[0] - 1)];
}

// 100 to 150 characters: digits that run past the 99 the form reads, or a
// number buried in padding.
std::wstring Long(std::mt19937 &random) {
    const int length = Uniform(random, 100, 150);
    std::wstring text;
    switch (Uniform(random, 0, 2)) {
        case 0:
            text = L"0." + std::wstring(Uniform(random, 90, 100), L'0') + Digits(random, 60);
            break;
        case 1:
            text = Digits(random, length);
            text[0] = L'1';
            break;
        default:
            text = std::wstring(Uniform(random, 0, 120), L' ') + ValidNumber(random) +
                   std::wstring(60, L'x');
            break;
    }
    text.resize(length, L'0');
    return text;
}

}  // namespace

std::wstring NextInputText(std::mt19937 &random) {
    // Long texts are one in ten: Wine's edit control takes milliseconds for
    // every character typed.
    const int kind = Uniform(random, 0, 19);
    if (kind < 10) {
        return ValidNumber(random);
    }
    if (kind < 13) {
        return FullWidth(ValidNumber(random));
    }
    if (kind < 18) {
        return Unusable(random);
    }
    return Long(random);
}
