// Shift_JIS to UTF-16. Single bytes are ASCII or half-width katakana; a
// lead byte's row in the generated table gives the character of each trail
// byte, as steps from the one before.
#include "text/shift_jis.h"

namespace {

struct ShiftJisRow {
    unsigned char firstTrail;
    unsigned char trailCount;  // 0 for a byte that leads no pair
    unsigned short firstPoint;
    unsigned short offset;  // of its steps in kShiftJisSteps
};

#include "shift_jis_table.h"

constexpr int kFirstKatakana = 0xA1;
constexpr int kLastKatakana = 0xDF;
constexpr int kHalfWidthKatakana = 0xFF61;

// The character of a lead and a trail byte, or 0 when the pair is none.
int PairPoint(int lead, int trail) {
    if (lead < kShiftJisFirstLead || lead > kShiftJisLastLead) {
        return 0;
    }
    const ShiftJisRow &row = kShiftJisRows[lead - kShiftJisFirstLead];
    const int position = trail - row.firstTrail;
    if (position < 0 || position >= row.trailCount) {
        return 0;
    }
    const unsigned char *step = kShiftJisSteps + row.offset;
    int point = row.firstPoint;
    bool hole = false;
    for (int i = 0; i < position; ++i) {
        const int first = *step++;
        hole = first == kShiftJisHole;
        if (first == kShiftJisAny) {
            point = step[0] << 8 | step[1];
            step += 2;
        } else if (first >= kShiftJisFarStart) {
            point += ((first - kShiftJisFarStart) << 8 | *step++) - kShiftJisFarZero;
        } else if (!hole) {
            point += first - kShiftJisNearZero;
        }
    }
    return hole ? 0 : point;
}

}  // namespace

bool DecodeShiftJis(const char *bytes, int count, wchar_t *text, int capacity) {
    int copied = 0;
    for (int i = 0; i < count; ++i) {
        const int byte = static_cast<unsigned char>(bytes[i]);
        int point = byte;
        if (byte >= kFirstKatakana && byte <= kLastKatakana) {
            point = kHalfWidthKatakana + byte - kFirstKatakana;
        } else if (byte >= 0x80 && i + 1 < count) {
            point = PairPoint(byte, static_cast<unsigned char>(bytes[++i]));
            if (point == 0) {
                return false;
            }
        } else if (byte >= 0x80) {
            return false;
        }
        if (copied < capacity - 1) {
            text[copied++] = static_cast<wchar_t>(point);
        }
    }
    text[copied] = L'\0';
    return true;
}
