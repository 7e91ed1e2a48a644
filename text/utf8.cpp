// UTF-8 conversions.
#include "text/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Reads one code point at bytes, before end, and moves past it.
char32_t NextCodePoint(const unsigned char *&bytes, const unsigned char *end) {
    const unsigned char lead = *bytes++;
    int more;
    char32_t point;
    char32_t least;
    if (lead < 0x80) {
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        more = 1, point = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, point = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, point = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    for (; more > 0; --more) {
        if (bytes == end || !IsContinuation(*bytes)) {
            return kReplacement;
        }
        point = (point << 6) | (*bytes++ & 0x3F);
    }
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return point < least || point > 0x10FFFF || surrogate ? kReplacement : point;
}

}  // namespace

int DecodeUtf8(const char *bytes, wchar_t *text, int capacity) {
    int count = 0;
    while (bytes[count] != '\0') {
        ++count;
    }
    return DecodeUtf8Bytes(bytes, count, text, capacity);
}

int DecodeUtf8Bytes(const char *bytes, int count, wchar_t *text, int capacity) {
    const unsigned char *next = reinterpret_cast<const unsigned char *>(bytes);
    const unsigned char *const end = next + count;
    int length = 0;
    int copied = 0;
    while (next != end) {
        const char32_t point = NextCodePoint(next, end);
        wchar_t units[2] = {static_cast<wchar_t>(point), 0};
        int count = 1;
        if (point >= 0x10000) {
            units[0] = static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
            units[1] = static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
            count = 2;
        }
        // A surrogate pair may be cut after its first half, as an edit
        // control's text would be.
        for (int i = 0; i < count; ++i, ++length) {
            if (copied < capacity - 1) {
                text[copied++] = units[i];
            }
        }
    }
    text[copied] = L'\0';
    return length;
}

bool IsUtf8(const char *bytes, int count) {
    const unsigned char *next = reinterpret_cast<const unsigned char *>(bytes);
    const unsigned char *const end = next + count;
    while (next != end) {
        const unsigned char *const start = next;
        // Unless it is U+FFFD itself.
        const bool replacement =
            next + 3 <= end && start[0] == 0xEF && start[1] == 0xBF && start[2] == 0xBD;
        if (NextCodePoint(next, end) == kReplacement && !replacement) {
            return false;
        }
    }
    return true;
}

void EncodeUtf8(const wchar_t *text, void (*write)(void *context, const char *bytes, int count),
                void *context) {
    char buffer[256];
    int length = 0;
    for (; *text != L'\0'; ++text) {
        char32_t point = static_cast<char32_t>(*text);
        if (point >= 0xD800 && point <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (static_cast<char32_t>(*++text) - 0xDC00);
        } else if ((point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
            point = kReplacement;
        }
        if (length > static_cast<int>(sizeof buffer) - 4) {
            write(context, buffer, length);
            length = 0;
        }
        if (point < 0x80) {
            buffer[length++] = static_cast<char>(point);
        } else if (point < 0x800) {
            buffer[length++] = static_cast<char>(0xC0 | (point >> 6));
            buffer[length++] = static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            buffer[length++] = static_cast<char>(0xE0 | (point >> 12));
            buffer[length++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            buffer[length++] = static_cast<char>(0x80 | (point & 0x3F));
        } else {
            buffer[length++] = static_cast<char>(0xF0 | (point >> 18));
            buffer[length++] = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            buffer[length++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            buffer[length++] = static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    if (length > 0) {
        write(context, buffer, length);
    }
}

namespace {

struct BoundedBytes {
    char *bytes;
    int capacity;
    int length;
    bool full;
};

void KeepWholeCharacters(void *context, const char *bytes, int count) {
    BoundedBytes &kept = *static_cast<BoundedBytes *>(context);
    if (kept.full) {
        return;
    }
    if (count > kept.capacity - 1 - kept.length) {
        count = kept.capacity - 1 - kept.length;
        // A character cut in two is left out whole.
        while (count > 0 && IsContinuation(static_cast<unsigned char>(bytes[count]))) {
            --count;
        }
        kept.full = true;
    }
    for (int i = 0; i < count; ++i) {
        kept.bytes[kept.length++] = bytes[i];
    }
}

}  // namespace

void EncodeUtf8Bytes(const wchar_t *text, char *bytes, int capacity) {
    BoundedBytes kept = {bytes, capacity, 0, false};
    EncodeUtf8(text, KeepWholeCharacters, &kept);
    bytes[kept.length] = '\0';
}
