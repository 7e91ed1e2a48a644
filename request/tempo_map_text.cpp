// CSV by its header's column names, JSON by its keys; whichever the text
// starts with ('{' for JSON). Whole numbers only, in the ranges a file
// holds.
#include "request/tempo_map_text.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr long kBufferSize = 1 << 16;
constexpr int kLineCapacity = 4096;
constexpr int kMaxDepth = 64;
constexpr std::uint64_t kMaxTick = std::uint64_t(1) << 62;

struct TextCursor {
    const ByteSource *source;
    long fill;
    long position;
    bool ended;  // or unreadable
    bool unreadable;
    long long line;
    unsigned char buffer[kBufferSize];
};

TextCursor g_text;

// The next byte, without taking it; -1 at the end.
int Peek(TextCursor &text) {
    if (text.position == text.fill && !text.ended) {
        const long read = text.source->Read(text.source->context, text.buffer, kBufferSize);
        text.fill = read > 0 ? read : 0;
        text.position = 0;
        text.ended = read <= 0;
        text.unreadable = read < 0;
    }
    return text.position < text.fill ? text.buffer[text.position] : -1;
}

// Whether the text starts with the UTF-8 byte-order mark that --bom and
// Notepad write. The buffer is filled until it holds three bytes or the
// text ends: nothing is taken unless all three are the mark.
bool StartsWithMark(TextCursor &text) {
    static const unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
    Peek(text);
    while (text.fill < 3 && !text.ended) {
        const long read = text.source->Read(text.source->context, text.buffer + text.fill,
                                            kBufferSize - text.fill);
        text.fill += read > 0 ? read : 0;
        text.ended = read <= 0;
        text.unreadable = read < 0;
    }
    return text.fill >= 3 && std::memcmp(text.buffer, kMark, 3) == 0;
}

int Take(TextCursor &text) {
    const int byte = Peek(text);
    if (byte >= 0) {
        ++text.position;
        text.line += byte == '\n';
    }
    return byte;
}

struct Parse {
    TextCursor &text;
    TempoMapFile &map;
    TempoMapTextError &error;
    long long resolution;  // -1 until said
    std::uint64_t end;
    bool endSaid;
};

bool Fail(Parse &parse, const wchar_t *what) {
    if (parse.error.what == nullptr) {
        parse.error = {parse.text.line, parse.text.unreadable ? L"cannot be read" : what};
    }
    return false;
}

// A whole number of ASCII digits, at most limit.
bool ReadWhole(const char *text, std::uint64_t limit, std::uint64_t &value) {
    value = 0;
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9' || value > (limit - (*text - '0')) / 10) {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(*text - '0');
    }
    return true;
}

// What one tempo, time signature, marker or end says, field by field.
struct Change {
    const char *tick;
    const char *microseconds;
    const char *numerator;
    const char *denominator;
    bool implied;
    const char *name;
};

bool AddTempo(Parse &parse, const Change &change) {
    std::uint64_t tick = 0;
    std::uint64_t microseconds = 0;
    if (!ReadWhole(change.tick, kMaxTick, tick)) {
        return Fail(parse, L"a tempo's tick is not a whole number from 0 to 2^62");
    }
    if (!ReadWhole(change.microseconds, 0xFFFFFF, microseconds) || microseconds == 0) {
        return Fail(parse, L"a tempo's us_per_quarter is not a whole number from 1 to 16777215");
    }
    // The implied 120 comes back by itself when no tempo starts the map.
    if (change.implied) {
        return true;
    }
    return Append(parse.map.tempos, {tick, static_cast<std::uint32_t>(microseconds), false}) ||
           Fail(parse, L"the map does not fit in memory");
}

bool AddSignature(Parse &parse, const Change &change) {
    std::uint64_t tick = 0;
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 0;
    if (!ReadWhole(change.tick, kMaxTick, tick)) {
        return Fail(parse, L"a time signature's tick is not a whole number from 0 to 2^62");
    }
    if (!ReadWhole(change.numerator, 255, numerator) || numerator == 0) {
        return Fail(parse, L"a time signature's numerator is not a whole number from 1 to 255");
    }
    if (!ReadWhole(change.denominator, 1 << 15, denominator) ||
        (denominator & (denominator - 1)) != 0 || denominator == 0) {
        return Fail(parse, L"a time signature's denominator is not a power of 2 up to 32768");
    }
    int power = 0;
    while ((std::uint64_t(1) << power) != denominator) {
        ++power;
    }
    return Append(parse.map.timeSignatures, {tick, static_cast<int>(numerator), power}) ||
           Fail(parse, L"the map does not fit in memory");
}

bool AddMarker(Parse &parse, const Change &change) {
    SmfMarker marker = {0, {}};
    if (!ReadWhole(change.tick, kMaxTick, marker.tick)) {
        return Fail(parse, L"a marker's tick is not a whole number from 0 to 2^62");
    }
    std::strncpy(marker.name, change.name, kMaxNameBytes);
    return Append(parse.map.markers, marker) || Fail(parse, L"the map does not fit in memory");
}

bool SetEnd(Parse &parse, const char *text) {
    parse.endSaid = true;
    return ReadWhole(text, kMaxTick, parse.end) ||
           Fail(parse, L"the end's tick is not a whole number from 0 to 2^62");
}

bool FailSmpte(Parse &parse) {
    return Fail(parse, L"its division is in SMPTE frames: it has no ticks a quarter note");
}

bool SetName(Parse &parse, const char *text) {
    std::strncpy(parse.map.trackName, text, kMaxNameBytes);
    parse.map.trackName[kMaxNameBytes] = '\0';
    return true;
}

bool SetResolution(Parse &parse, const char *text) {
    std::uint64_t value = 0;
    if (!ReadWhole(text, 0x7FFF, value) || value == 0) {
        return Fail(parse, L"the resolution is not a whole number from 1 to 32767");
    }
    parse.resolution = static_cast<long long>(value);
    return true;
}

// ---- CSV: the header names the columns ----

// A row's value column holds what rows of the file's facts say: the
// resolution, the name, a marker's name.
enum Column { kKind, kTick, kMicroseconds, kNumerator, kDenominator, kImplied, kValue };
const char *const kColumnNames[] = {"kind",        "tick",    "us_per_quarter", "numerator",
                                    "denominator", "implied", "value"};
constexpr int kColumns = 7;

constexpr int kMaxCells = 64;

// A record of cells as RFC 4180 has them: split at commas, a quoted cell's
// commas, line ends and doubled quotes its own.
struct CsvLine {
    char text[kLineCapacity];
    const char *cells[kMaxCells];
    int count;
    long long number;  // from 1
};

CsvLine g_line;

// False at the end of the text.
bool ReadCsvLine(Parse &parse, CsvLine &line) {
    TextCursor &text = parse.text;
    if (Peek(text) < 0) {
        return false;
    }
    line.number = text.line;
    int length = 0;
    line.count = 1;
    line.cells[0] = line.text;
    bool quoted = false;
    for (int byte; (byte = Take(text)) >= 0 && (quoted || byte != '\n');) {
        if (length == kLineCapacity - 1) {
            return Fail(parse, L"the line is longer than 4095 bytes");
        }
        if (quoted && byte == '"') {
            // A doubled quote stands for one; a single one closes the cell.
            quoted = Peek(text) == '"';
            if (quoted) {
                line.text[length++] = static_cast<char>(Take(text));
            }
        } else if (!quoted && byte == '"' && line.cells[line.count - 1] == line.text + length) {
            quoted = true;
        } else if (byte == ',' && !quoted) {
            line.text[length++] = '\0';
            if (line.count < kMaxCells) {
                line.cells[line.count++] = line.text + length;
            }
        } else if (byte != '\r' || quoted) {
            line.text[length++] = static_cast<char>(byte);
        }
    }
    line.text[length] = '\0';
    return true;
}

bool ReadCsv(Parse &parse) {
    CsvLine &line = g_line;
    // The header's names say which column is which.
    int columns[kColumns];
    if (!ReadCsvLine(parse, line)) {
        return Fail(parse, L"it is empty");
    }
    for (int i = 0; i < kColumns; ++i) {
        columns[i] = -1;
        for (int j = 0; j < line.count; ++j) {
            if (std::strcmp(line.cells[j], kColumnNames[i]) == 0) {
                columns[i] = j;
            }
        }
    }
    if (columns[kKind] < 0 || columns[kTick] < 0) {
        parse.text.line = line.number;
        return Fail(parse,
                    L"the first line is not a header with kind and tick columns, as "
                    L"--midi FILE --format csv writes it");
    }
    while (parse.error.what == nullptr && ReadCsvLine(parse, line)) {
        const char *cells[kColumns];
        for (int i = 0; i < kColumns; ++i) {
            cells[i] = columns[i] >= 0 && columns[i] < line.count ? line.cells[columns[i]] : "";
        }
        // Each row's problem is said at its line.
        parse.text.line = line.number;
        const char *kind = cells[kKind];
        const Change change = {cells[kTick],
                               cells[kMicroseconds],
                               cells[kNumerator],
                               cells[kDenominator],
                               std::strcmp(cells[kImplied], "true") == 0,
                               cells[kValue]};
        const bool read = std::strcmp(kind, "tempo") == 0            ? AddTempo(parse, change)
                          : std::strcmp(kind, "time_signature") == 0 ? AddSignature(parse, change)
                          : std::strcmp(kind, "marker") == 0         ? AddMarker(parse, change)
                          : std::strcmp(kind, "end") == 0            ? SetEnd(parse, change.tick)
                          : std::strcmp(kind, "resolution") == 0
                              ? SetResolution(parse, cells[kValue])
                          : std::strcmp(kind, "smpte_fps") == 0 ? FailSmpte(parse)
                          : std::strcmp(kind, "name") == 0      ? SetName(parse, cells[kValue])
                                                                : true;
        if (!read) {
            return false;
        }
        parse.text.line = line.number + 1;
    }
    return parse.error.what == nullptr &&
           (!parse.text.unreadable || Fail(parse, L"cannot be read"));
}

// ---- JSON: the keys that matter, every other value passed over ----

int NextToken(TextCursor &text) {
    while (Peek(text) == ' ' || Peek(text) == '\t' || Peek(text) == '\r' || Peek(text) == '\n') {
        Take(text);
    }
    return Peek(text);
}

bool Expect(Parse &parse, int byte) {
    return (NextToken(parse.text) == byte && Take(parse.text) == byte) ||
           Fail(parse, L"not JSON as --midi FILE --format json writes it");
}

// A string's bytes, cut to capacity - 1; escapes other than \" and \\ are
// kept as they stand (names with them are rare, and still read back).
bool ReadString(Parse &parse, char *text, int capacity) {
    if (!Expect(parse, '"')) {
        return false;
    }
    int length = 0;
    for (;;) {
        int byte = Take(parse.text);
        if (byte < 0 || byte == '\n') {
            return Fail(parse, L"a string does not end");
        }
        if (byte == '"') {
            break;
        }
        if (byte == '\\') {
            byte = Take(parse.text);
            if (byte < 0) {
                return Fail(parse, L"a string does not end");
            }
            if (byte != '"' && byte != '\\' && length < capacity - 1) {
                text[length++] = '\\';
            }
        }
        if (length < capacity - 1) {
            text[length++] = static_cast<char>(byte);
        }
    }
    text[length] = '\0';
    return true;
}

constexpr int kScalarCapacity = 64;

// A number, true, false or null: its text.
bool ReadScalar(Parse &parse, char *text) {
    NextToken(parse.text);
    int length = 0;
    for (int byte;
         (byte = Peek(parse.text)) >= 0 && std::strchr("+-.eE0123456789truefalsn", byte);) {
        if (length == kScalarCapacity - 1) {
            return Fail(parse, L"a number is longer than 63 characters");
        }
        text[length++] = static_cast<char>(Take(parse.text));
    }
    text[length] = '\0';
    return length > 0 || Fail(parse, L"not JSON as --midi FILE --format json writes it");
}

bool SkipValue(Parse &parse, int depth);

// Calls read(key) for each key of an object, which reads the value.
template <typename Read>
bool ReadObject(Parse &parse, Read read) {
    if (!Expect(parse, '{')) {
        return false;
    }
    if (NextToken(parse.text) == '}') {
        return Take(parse.text) >= 0;
    }
    for (;;) {
        char key[32];
        if (!ReadString(parse, key, sizeof key) || !Expect(parse, ':') || !read(key)) {
            return false;
        }
        const int next = NextToken(parse.text);
        if (next != ',' && next != '}') {
            return Fail(parse, L"not JSON as --midi FILE --format json writes it");
        }
        if (Take(parse.text) == '}') {
            return true;
        }
    }
}

template <typename Read>
bool ReadArray(Parse &parse, Read read) {
    if (!Expect(parse, '[')) {
        return false;
    }
    if (NextToken(parse.text) == ']') {
        return Take(parse.text) >= 0;
    }
    for (;;) {
        if (!read()) {
            return false;
        }
        const int next = NextToken(parse.text);
        if (next != ',' && next != ']') {
            return Fail(parse, L"not JSON as --midi FILE --format json writes it");
        }
        if (Take(parse.text) == ']') {
            return true;
        }
    }
}

bool SkipValue(Parse &parse, int depth) {
    if (depth > kMaxDepth) {
        return Fail(parse, L"the JSON nests deeper than 64");
    }
    const int next = NextToken(parse.text);
    char scalar[kScalarCapacity];
    char text[8];
    return next == '{'
               ? ReadObject(parse, [&](const char *) { return SkipValue(parse, depth + 1); })
           : next == '[' ? ReadArray(parse, [&] { return SkipValue(parse, depth + 1); })
           : next == '"' ? ReadString(parse, text, sizeof text)
                         : ReadScalar(parse, scalar);
}

// The fields of a change that the map keeps.
struct ChangeText {
    char tick[kScalarCapacity];
    char microseconds[kScalarCapacity];
    char numerator[kScalarCapacity];
    char denominator[kScalarCapacity];
    char implied[kScalarCapacity];
    char name[kMaxNameBytes + 1];
};

bool ReadChange(Parse &parse, ChangeText &change) {
    change = {};
    return ReadObject(parse, [&](const char *key) {
        if (std::strcmp(key, "name") == 0) {
            return ReadString(parse, change.name, sizeof change.name);
        }
        char *into = std::strcmp(key, "tick") == 0             ? change.tick
                     : std::strcmp(key, "us_per_quarter") == 0 ? change.microseconds
                     : std::strcmp(key, "numerator") == 0      ? change.numerator
                     : std::strcmp(key, "denominator") == 0    ? change.denominator
                     : std::strcmp(key, "implied") == 0        ? change.implied
                                                               : nullptr;
        return into == nullptr ? SkipValue(parse, 1) : ReadScalar(parse, into);
    });
}

Change ChangeOf(const ChangeText &text) {
    return {text.tick,
            text.microseconds,
            text.numerator,
            text.denominator,
            std::strcmp(text.implied, "true") == 0,
            text.name};
}

bool ReadJson(Parse &parse) {
    ChangeText change;
    const bool read = ReadObject(parse, [&](const char *key) {
        char scalar[kScalarCapacity];
        if (std::strcmp(key, "resolution") == 0) {
            return ReadScalar(parse, scalar) && SetResolution(parse, scalar);
        }
        if (std::strcmp(key, "smpte") == 0) {
            return FailSmpte(parse);
        }
        if (std::strcmp(key, "name") == 0) {
            return NextToken(parse.text) == '"'
                       ? ReadString(parse, parse.map.trackName, sizeof parse.map.trackName)
                       : ReadScalar(parse, scalar);
        }
        if (std::strcmp(key, "tempos") == 0) {
            return ReadArray(parse, [&] {
                return ReadChange(parse, change) && AddTempo(parse, ChangeOf(change));
            });
        }
        if (std::strcmp(key, "time_signatures") == 0) {
            return ReadArray(parse, [&] {
                return ReadChange(parse, change) && AddSignature(parse, ChangeOf(change));
            });
        }
        if (std::strcmp(key, "markers") == 0) {
            return ReadArray(parse, [&] {
                return ReadChange(parse, change) && AddMarker(parse, ChangeOf(change));
            });
        }
        if (std::strcmp(key, "end") == 0) {
            return ReadChange(parse, change) && SetEnd(parse, change.tick);
        }
        return SkipValue(parse, 1);
    });
    return read && (NextToken(parse.text) < 0 ||
                    Fail(parse, L"more follows the JSON object: one map a text"));
}

template <typename T>
std::uint64_t LastTick(const GrowingArray<T> &items) {
    std::uint64_t last = 0;
    for (long long i = 0; i < items.count; ++i) {
        last = items.items[i].tick > last ? items.items[i].tick : last;
    }
    return last;
}

}  // namespace

bool ReadTempoMapText(const ByteSource &source, int resolution, TempoMapFile &map,
                      TempoMapTextError &error) {
    TextCursor &text = g_text;
    text.source = &source;
    text.fill = 0;
    text.position = 0;
    text.ended = false;
    text.unreadable = false;
    text.line = 1;
    map.tempos.count = 0;
    map.timeSignatures.count = 0;
    map.markers.count = 0;
    map.trackName[0] = '\0';
    map.smpteOffset = {false, {}};
    error = {0, nullptr};
    Parse parse = {text, map, error, -1, 0, false};
    if (StartsWithMark(text)) {
        text.position = 3;
    }
    const bool read = NextToken(text) == '{' ? ReadJson(parse) : ReadCsv(parse);
    if (!read) {
        return false;
    }
    // What the whole text lacks is said of no line.
    text.line = 0;
    if (parse.resolution < 0 && resolution == 0) {
        return Fail(parse, L"it does not say its resolution: give --resolution N");
    }
    map.resolution = static_cast<int>(parse.resolution < 0 ? resolution : parse.resolution);
    if (!StableSortByTick(map.tempos) || !StableSortByTick(map.timeSignatures) ||
        !StableSortByTick(map.markers) ||
        ((map.tempos.count == 0 || map.tempos.items[0].tick != 0) &&
         !Prepend(map.tempos, {0, kDefaultMicrosecondsPerQuarter, true}))) {
        return Fail(parse, L"the map does not fit in memory");
    }
    std::uint64_t last = LastTick(map.tempos);
    last = LastTick(map.timeSignatures) > last ? LastTick(map.timeSignatures) : last;
    last = LastTick(map.markers) > last ? LastTick(map.markers) : last;
    map.endTick = parse.endSaid && parse.end > last ? parse.end : last;
    return true;
}
