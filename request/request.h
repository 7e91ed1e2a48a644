// What a request asks for, as tactimer-cli's arguments say it.
#ifndef TACTIMER_REQUEST_REQUEST_H
#define TACTIMER_REQUEST_REQUEST_H

#include "calc/field_text.h"
#include "calc/note_captions.h"
#include "calc/tuplet.h"

enum class OutputFormat { kTable, kCsv, kJson };

constexpr int kMaxTuplets = 32;

// Lists (of tempos, of tuplets) may be longer than a field.
constexpr int kListTextCapacity = 1000;
typedef wchar_t ListText[kListTextCapacity];

// What each table holds, and how its two numbers are read.
struct NoteRequest {
    CaptionLanguage language = CaptionLanguage::kJapanese;
    int tupletCount = 0;
    Tuplet tuplets[kMaxTuplets] = {};
    bool exact = false;
    bool samples = false;
    double sampleRate = 0;
    bool hertz = false;
    bool tempoInMicroseconds = false;
    // Refuse a text that is not wholly a number, rather than read its
    // numeric start as the window does.
    bool strict = false;
};

enum class RequestMode {
    kOnePair,         // TEMPO RESOLUTION
    kTempoList,       // --tempos LIST RESOLUTION
    kStandardInput,   // -: a pair a line
    kTempoForLength,  // --tempo-for MS NOTE
    kMidiFile,        // --midi FILE
    kWriteMidi,       // --write-tempo-map OUT, --retick N --write OUT
};

// What --midi asks of the file.
struct MidiRequest {
    int argumentIndex;  // of the argument that names the file
    int argumentSkip;   // the characters before the name in it
    ListText fileName;  // as it is shown
    ListText ticks;     // of --at, a comma apart
    ListText times;     // of --at-ms
    bool tableAtTick;
    FieldText tableTick;
};

// A file named on the command line: where the platform finds its name.
struct NamedFile {
    int argumentIndex;
    int argumentSkip;
    ListText name;  // as it is shown
};

// What --write-tempo-map and --retick --write ask for, and the options
// that go with them.
struct WriteRequest {
    bool tempoMap;       // --write-tempo-map OUT
    bool song;           // --write OUT
    int outputs;         // how many of them came
    NamedFile output;    // "-" for standard output
    bool fromText;       // --tempo-map FILE
    NamedFile textMap;   // "-" for standard input
    bool retick;         // --retick N
    bool newResolution;  // --resolution N
    FieldText resolution;
    int resolutionValue;  // once checked
    bool force;
};

struct Request {
    RequestMode mode = RequestMode::kOnePair;
    OutputFormat format = OutputFormat::kTable;
    bool byteOrderMark = false;
    NoteRequest notes;
    int numberCount = 0;
    FieldText numbers[2] = {};
    // How long each number argument really is: a strict reading must see
    // all of it.
    int numberLengths[2] = {};
    ListText tempoList = {};
    ListText length = {};  // of --tempo-for, which may have any number of decimals
    FieldText note = {};
    MidiRequest midi = {};
    WriteRequest write = {};
};

enum class RequestAction { kRun, kHelp, kVersion, kUsageError };

#endif
