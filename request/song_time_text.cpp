// Exact reading of ticks and decimals. A tick's time is an integer over the
// division (or, with SMPTE, over frames a second times ticks a frame), so
// which tick a time falls in depends only on the floor of the time times
// that denominator: long division of the digits by hand gives it exactly,
// however many decimals were typed, without a fraction that needs their
// whole length.
#include "request/song_time_text.h"

#include <cstdlib>

#include "midi/position_text.h"
#include "request/request.h"
#include "text/list_items.h"

namespace {

constexpr MidiInteger kLargestScaled = static_cast<MidiInteger>(1) << 110;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The text without the blanks around it.
void Trim(const wchar_t *&text, int &length) {
    while (length > 0 && IsListBlank(text[0])) {
        ++text;
        --length;
    }
    while (length > 0 && IsListBlank(text[length - 1])) {
        --length;
    }
}

int DigitsAt(const wchar_t *text, int length) {
    int count = 0;
    while (count < length && IsDigit(text[count])) {
        ++count;
    }
    return count;
}

}  // namespace

bool ReadTickText(const wchar_t *text, int length, std::uint64_t &tick) {
    Trim(text, length);
    const int digits = DigitsAt(text, length);
    if (digits == 0 || digits != length) {
        return false;
    }
    MidiInteger value = 0;
    for (int i = 0; i < digits; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > kMaxSongTick) {
            return false;
        }
    }
    tick = static_cast<std::uint64_t>(value);
    return true;
}

bool ReadSongPlace(const wchar_t *text, int length, SongPlace &place) {
    place = {false, 0, {}};
    if (ReadTickText(text, length, place.tick)) {
        return true;
    }
    FieldText copy;
    CopyTextPart(text, length, copy, kFieldTextCapacity);
    place.isPosition = true;
    return length < kFieldTextCapacity && ReadPositionText(copy, place.position);
}

bool TickOfPlace(const TempoMap &map, const SongPlace &place, std::uint64_t &tick,
                 PositionProblem &problem) {
    if (!place.isPosition) {
        tick = place.tick;
        problem = PositionProblem::kNone;
        return true;
    }
    return TickOfPosition(map, place.position, tick, problem);
}

bool ReadDecimalText(const wchar_t *text, int length, DecimalText &decimal) {
    Trim(text, length);
    const int whole = DigitsAt(text, length);
    int fraction = 0;
    if (whole < length && text[whole] == L'.') {
        fraction = DigitsAt(text + whole + 1, length - whole - 1);
        if (whole + 1 + fraction != length) {
            return false;
        }
    } else if (whole != length) {
        return false;
    }
    if (whole + fraction == 0) {
        return false;
    }
    int zeros = 0;
    while (zeros < whole && text[zeros] == L'0') {
        ++zeros;
    }
    decimal = {text + zeros, whole - zeros, text + whole + 1, fraction};
    return true;
}

bool ScaledMicroseconds(const DecimalText &milliseconds, MidiInteger multiplier,
                        MidiInteger &scaled) {
    const MidiInteger factor = 1000 * multiplier;
    MidiInteger whole = 0;
    for (int i = 0; i < milliseconds.wholeDigits; ++i) {
        whole = whole * 10 + (milliseconds.whole[i] - L'0');
        if (whole > kLargestScaled) {
            return false;
        }
    }
    // The fraction's digits times the factor, from the last: what carries
    // out of the first is the whole part of the product.
    MidiInteger carry = 0;
    for (int i = milliseconds.fractionDigits - 1; i >= 0; --i) {
        carry = ((milliseconds.fraction[i] - L'0') * factor + carry) / 10;
    }
    // Checked before the product, which could pass 2^127.
    if (whole > (kLargestScaled - carry) / factor) {
        return false;
    }
    scaled = whole * factor + carry;
    return true;
}

double DecimalToDouble(const DecimalText &decimal) {
    // strtod rounds correctly, whatever the length; the digits are ASCII.
    char ascii[kListTextCapacity + 2];
    int used = 0;
    for (int i = 0; i < decimal.wholeDigits && used < kListTextCapacity; ++i) {
        ascii[used++] = static_cast<char>(decimal.whole[i]);
    }
    ascii[used++] = '.';
    for (int i = 0; i < decimal.fractionDigits && used < kListTextCapacity; ++i) {
        ascii[used++] = static_cast<char>(decimal.fraction[i]);
    }
    ascii[used] = '\0';
    return std::strtod(ascii, nullptr);
}

void WriteDecimal(const TextSink &out, const DecimalText &decimal) {
    int fraction = decimal.fractionDigits;
    while (fraction > 0 && decimal.fraction[fraction - 1] == L'0') {
        --fraction;
    }
    wchar_t buffer[64];
    int used = 0;
    const auto put = [&](wchar_t c) {
        if (used == 63) {
            buffer[used] = L'\0';
            WriteText(out, buffer);
            used = 0;
        }
        buffer[used++] = c;
    };
    if (decimal.wholeDigits == 0) {
        put(L'0');
    }
    for (int i = 0; i < decimal.wholeDigits; ++i) {
        put(decimal.whole[i]);
    }
    if (fraction > 0) {
        put(L'.');
    }
    for (int i = 0; i < fraction; ++i) {
        put(decimal.fraction[i]);
    }
    buffer[used] = L'\0';
    WriteText(out, buffer);
}
