// The picture options, read from their texts.
#include "request/picture_arguments.h"

#include <cwchar>

#include "request/song_time_text.h"
#include "text/list_items.h"

namespace {

// Milliseconds past this many digits lie beyond 2^40 microseconds, and
// decimals past 18 are finer than any frame's hundredth by far.
constexpr int kMaxWholeDigits = 13;
constexpr int kMaxDecimals = 18;
constexpr int kMaxBpmDecimals = 9;
constexpr int kMaxResolution = 32767;
constexpr int kMaxNumerator = 255;
constexpr int kMaxDenominatorPower = 15;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A whole number from 1 to most, digits alone.
bool ReadCount(const wchar_t *text, int most, int &value) {
    value = 0;
    if (*text == L'\0') {
        return false;
    }
    for (; *text != L'\0'; ++text) {
        if (!IsDigit(*text) || value > (most - (*text - L'0')) / 10) {
            return false;
        }
        value = value * 10 + (*text - L'0');
    }
    return value >= 1;
}

// A decimal of up to a field's length as a double; its decimals counted.
bool ReadDecimal(const wchar_t *text, int length, double &value, int &decimals) {
    DecimalText decimal;
    if (!ReadDecimalText(text, length, decimal)) {
        return false;
    }
    value = DecimalToDouble(decimal);
    decimals = decimal.fractionDigits;
    return true;
}

int Larger(int a, int b) {
    return a > b ? a : b;
}

// LOW-HIGH, each a decimal; the tempos' decimals counted.
bool ReadRange(const wchar_t *text, FitRequest &fit, int &decimals) {
    const wchar_t *dash = std::wcschr(text, L'-');
    if (dash == nullptr) {
        return false;
    }
    int lowDecimals = 0;
    int highDecimals = 0;
    if (!ReadDecimal(text, static_cast<int>(dash - text), fit.lowBpm, lowDecimals) ||
        !ReadDecimal(dash + 1, static_cast<int>(std::wcslen(dash + 1)), fit.highBpm,
                     highDecimals)) {
        return false;
    }
    decimals = Larger(decimals, Larger(lowDecimals, highDecimals));
    return true;
}

// N/D, the denominator a power of two.
bool ReadTimeSignature(const wchar_t *text, FitRequest &fit) {
    const wchar_t *slash = std::wcschr(text, L'/');
    if (slash == nullptr) {
        return false;
    }
    FieldText numerator;
    CopyTextPart(text, static_cast<int>(slash - text), numerator, kFieldTextCapacity);
    int denominator = 0;
    if (!ReadCount(numerator, kMaxNumerator, fit.numerator) ||
        !ReadCount(slash + 1, 1 << kMaxDenominatorPower, denominator) ||
        (denominator & (denominator - 1)) != 0) {
        return false;
    }
    fit.denominatorPower = 0;
    while ((1 << fit.denominatorPower) != denominator) {
        ++fit.denominatorPower;
    }
    return true;
}

// The options that only fitting takes, and those that the exact map takes
// too.
bool AnyFindOption(const PictureRequest &picture) {
    return picture.grid.given || picture.range.given || picture.step.given || picture.best.given;
}

bool AnyFitOption(const PictureRequest &picture) {
    return AnyFindOption(picture) || picture.resolution.given || picture.timeSignature.given;
}

// Checks that the options go with the mode.
bool CheckPictureMode(const Request &request, ListText &message) {
    const PictureRequest &picture = request.picture;
    const bool fitting = request.mode == RequestMode::kFitTempo;
    const bool mapping = MakesFitMap(request);
    const bool midi = request.mode == RequestMode::kMidiFile;
    // --resolution N also moves a map that is written to N.
    const bool writing = request.mode == RequestMode::kWriteMidi && !AnyFindOption(picture) &&
                         !picture.timeSignature.given;
    if (request.mode == RequestMode::kTempoForLength && picture.fps.given) {
        SayInto(message, L"--fps goes with a note-length table, --midi FILE or --fit");
        return false;
    }
    if (picture.start.given && !fitting && !mapping && !midi) {
        SayInto(message, L"--start goes with --midi FILE or --fit");
        return false;
    }
    if (picture.start.given && !picture.fps.given && !midi) {
        SayInto(message, L"--start needs --fps RATE to count its frames");
        return false;
    }
    if (AnyFitOption(picture) && !fitting && !mapping && !writing) {
        SayInto(
            message,
            L"--grid, --range, --step, --best, --resolution and --time-signature go with --fit");
        return false;
    }
    if (AnyFindOption(picture) && mapping) {
        SayInto(message,
                L"--grid, --range, --step and --best go with --fit TIMES, not with POSITION@TIME "
                L"hits");
        return false;
    }
    return true;
}

// The fitting's options, each read when it came.
bool ReadFitOptions(const PictureRequest &picture, PictureSettings &settings, ListText &message) {
    FitRequest &fit = settings.fit;
    if (picture.grid.given && !ReadGridNote(picture.grid.text, fit.gridQuarters)) {
        SayInto(message, L"--grid: '", picture.grid.text,
                L"' is no note: write it as the table's captions are, in either language (1/8, "
                L"付点1/8, dotted 1/8, 3連1/8, triplet 1/8, 5:3 tuplet 1/8)");
        return false;
    }
    if (picture.range.given && !ReadRange(picture.range.text, fit, settings.bpmDecimals)) {
        SayInto(message, L"--range takes LOW-HIGH in quarter notes a minute (60-180), not '",
                picture.range.text, L"'");
        return false;
    }
    if (!(fit.lowBpm > 0 && fit.highBpm >= fit.lowBpm)) {
        SayInto(message, L"--range ", picture.range.text,
                L": the range holds no tempo: LOW-HIGH, with 0 < LOW <= HIGH");
        return false;
    }
    int stepDecimals = 0;
    if (picture.step.given &&
        (!ReadDecimal(picture.step.text, static_cast<int>(std::wcslen(picture.step.text)),
                      fit.stepBpm, stepDecimals) ||
         !(fit.stepBpm > 0))) {
        SayInto(message, L"--step takes a step in quarter notes a minute above 0 (0.01), not '",
                picture.step.text, L"'");
        return false;
    }
    settings.bpmDecimals = Larger(settings.bpmDecimals, stepDecimals);
    if (settings.bpmDecimals > kMaxBpmDecimals) {
        settings.bpmDecimals = kMaxBpmDecimals;
    }
    if (picture.best.given && !ReadCount(picture.best.text, kMaxFits, fit.best)) {
        SayInto(message, L"--best takes a whole number from 1 to 1000, not '", picture.best.text,
                L"'");
        return false;
    }
    if (picture.resolution.given &&
        !ReadCount(picture.resolution.text, kMaxResolution, fit.resolution)) {
        SayInto(message,
                L"--resolution takes a whole number of ticks a quarter note from 1 to 32767, not '",
                picture.resolution.text, L"'");
        return false;
    }
    if (picture.timeSignature.given && !ReadTimeSignature(picture.timeSignature.text, fit)) {
        SayInto(message,
                L"--time-signature takes N/D, N from 1 to 255 and D a power of two from 1 to "
                L"32768, not '",
                picture.timeSignature.text, L"'");
        return false;
    }
    return true;
}

bool IsTimecodeText(const wchar_t *text, int length) {
    for (int i = 0; i < length; ++i) {
        if (text[i] == L':' || text[i] == L';') {
            return true;
        }
    }
    return false;
}

// 10 to the power, exactly.
MidiInteger PowerOfTen(int power) {
    MidiInteger value = 1;
    for (int i = 0; i < power; ++i) {
        value *= 10;
    }
    return value;
}

// A decimal of milliseconds as exact microseconds.
bool ExactMicroseconds(const DecimalText &milliseconds, MidiTime &time) {
    int decimals = milliseconds.fractionDigits;
    while (decimals > 0 && milliseconds.fraction[decimals - 1] == L'0') {
        --decimals;
    }
    if (decimals > kMaxDecimals) {
        return false;
    }
    if (milliseconds.wholeDigits > kMaxWholeDigits) {
        time = {PowerOfTen(kMaxWholeDigits + 3), 1};
        return true;
    }
    MidiInteger digits = 0;
    for (int i = 0; i < milliseconds.wholeDigits; ++i) {
        digits = digits * 10 + (milliseconds.whole[i] - L'0');
    }
    for (int i = 0; i < decimals; ++i) {
        digits = digits * 10 + (milliseconds.fraction[i] - L'0');
    }
    time = {digits * 1000, PowerOfTen(decimals)};
    return true;
}

}  // namespace

void SayInto(ListText &message, const wchar_t *first, const wchar_t *second, const wchar_t *third,
             const wchar_t *fourth, const wchar_t *fifth) {
    std::swprintf(message, kListTextCapacity, L"%ls%ls%ls%ls%ls", first, second, third, fourth,
                  fifth);
}

bool ReadTypedTimecode(const wchar_t *option, const wchar_t *text, int length, FrameRate rate,
                       Timecode &timecode, ListText &message) {
    FieldText copy;
    CopyTextPart(text, length, copy, kFieldTextCapacity);
    TimecodeProblem problem = TimecodeProblem::kNotTimecode;
    if (length < kFieldTextCapacity && ReadTimecodeText(copy, rate, timecode, problem)) {
        return true;
    }
    wchar_t why[160];
    std::swprintf(why, 160, L"': %s", TimecodeProblemText(problem));
    SayInto(message, option, L" '", copy, why);
    return false;
}

bool ReadPictureSettings(const Request &request, PictureSettings &settings, ListText &message) {
    const PictureRequest &picture = request.picture;
    settings = {};
    settings.fit = FitRequest();
    settings.bpmDecimals = 2;
    if (!CheckPictureMode(request, message)) {
        return false;
    }
    if (picture.fps.given && !ReadFrameRate(picture.fps.text, settings.rate)) {
        SayInto(message,
                L"--fps takes 23.976, 24, 25, 29.97, 29.97df, 30, 47.952, 48, 50, 59.94, "
                L"59.94df or 60, not '",
                picture.fps.text, L"'");
        return false;
    }
    settings.hasRate = picture.fps.given;
    if (picture.start.given && settings.hasRate) {
        if (!ReadTypedTimecode(L"--start", picture.start.text,
                               static_cast<int>(std::wcslen(picture.start.text)), settings.rate,
                               settings.start, message)) {
            return false;
        }
        settings.hasStart = true;
    }
    return ReadFitOptions(picture, settings, message);
}

bool HitsAreMapHits(const wchar_t *hits) {
    const ListItem first = ListItemAt(hits);
    for (int i = 0; i < first.length; ++i) {
        if (first.text[i] == L'@') {
            return true;
        }
    }
    return false;
}

bool SplitMapHit(const wchar_t *text, int length, MapHitText &parts) {
    int at = -1;
    int equals = -1;
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'=' && equals < 0) {
            equals = i;
        }
        if (text[i] == L'@') {
            at = i;
        }
    }
    if (at < 0 || at < equals) {
        return false;
    }
    const auto trimmed = [](const wchar_t *start, int count, const wchar_t *&part, int &size) {
        while (count > 0 && IsListBlank(start[0])) {
            ++start;
            --count;
        }
        while (count > 0 && IsListBlank(start[count - 1])) {
            --count;
        }
        part = start;
        size = count;
    };
    trimmed(text, equals < 0 ? 0 : equals, parts.name, parts.nameLength);
    trimmed(text + equals + 1, at - equals - 1, parts.position, parts.positionLength);
    trimmed(text + at + 1, length - at - 1, parts.time, parts.timeLength);
    return true;
}

bool ReadCueTime(const wchar_t *text, int length, const PictureSettings &settings, MidiTime &time,
                 ListText &message) {
    FieldText shown;
    CopyTextPart(text, length, shown, kFieldTextCapacity);
    if (IsTimecodeText(text, length)) {
        if (!settings.hasRate) {
            SayInto(message, L"--fit: '", shown, L"' is a timecode: give --fps RATE");
            return false;
        }
        Timecode timecode;
        if (!ReadTypedTimecode(L"--fit:", text, length, settings.rate, timecode, message)) {
            return false;
        }
        time =
            TimeSinceStart(settings.rate, settings.hasStart ? settings.start : kMidnight, timecode);
        return true;
    }
    DecimalText milliseconds;
    if (!ReadDecimalText(text, length, milliseconds)) {
        SayInto(message, L"--fit: '", shown,
                L"' is not a time: milliseconds (digits, and a point and decimals if any), or "
                L"a timecode with --fps");
        return false;
    }
    if (!ExactMicroseconds(milliseconds, time)) {
        SayInto(message, L"--fit: '", shown, L"' has more than 18 decimals of a millisecond");
        return false;
    }
    return true;
}

bool CheckHits(const Request &request, const PictureSettings &settings, ListText &message) {
    const bool mapHits = MakesFitMap(request);
    FieldText item;
    MidiTime time;
    return ForEachListItem(request.picture.hits, item, [&](const wchar_t *text, int length) {
        MapHitText parts = {nullptr, 0, text, 0, text, length};
        const bool split = SplitMapHit(text, length, parts);
        if (split != mapHits) {
            SayInto(message, L"--fit: '", item,
                    mapHits ? L"' is no POSITION@TIME: either every hit is one or none is"
                            : L"' is no time: either every hit is POSITION@TIME or none is");
            return false;
        }
        SongPlace place;
        if (mapHits && !ReadSongPlace(parts.position, parts.positionLength, place)) {
            FieldText position;
            CopyTextPart(parts.position, parts.positionLength, position, kFieldTextCapacity);
            SayInto(message, L"--fit: '", position,
                    L"' is not a position: a tick, BAR:BEAT:TICK or BAR:BEAT");
            return false;
        }
        return ReadCueTime(parts.time, parts.timeLength, settings, time, message);
    });
}
