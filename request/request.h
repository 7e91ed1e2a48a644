// What a request asks for, as tactimer-cli's arguments say it.
#ifndef TACTIMER_REQUEST_REQUEST_H
#define TACTIMER_REQUEST_REQUEST_H

#include "calc/field_text.h"
#include "calc/note_captions.h"
#include "calc/tuplet.h"
#include "picture/frame_rate.h"

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
    // --fps: each note's length in frames, and the tempo as a click book
    // writes it.
    bool frames = false;
    // Zero, as every default here is: a request starts as zeros.
    FrameRate frameRate = FrameRate::k23_976;
};

enum class RequestMode {
    kOnePair,         // TEMPO RESOLUTION
    kTempoList,       // --tempos LIST RESOLUTION
    kStandardInput,   // -: a pair a line
    kTempoForLength,  // --tempo-for MS NOTE
    kMidiFile,        // --midi FILE
    kWriteMidi,       // --write-tempo-map OUT, --retick N --write OUT
    kFitTempo,        // --fit TIMES: the tempos that put the hits on the beat
    kFitMap,          // --fit POSITION@TIME,...: a tempo map that lands them
};

// What --midi asks of the file.
struct MidiRequest {
    int argumentIndex;   // of the argument that names the file
    int argumentSkip;    // the characters before the name in it
    ListText fileName;   // as it is shown
    ListText ticks;      // of --at, a comma apart
    ListText times;      // of --at-ms
    ListText timecodes;  // of --at-tc
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
    bool tempoMap;      // --write-tempo-map OUT
    bool song;          // --write OUT
    int outputs;        // how many of them came
    NamedFile output;   // "-" for standard output
    bool fromText;      // --tempo-map FILE
    NamedFile textMap;  // "-" for standard input
    bool retick;        // --retick N
    FieldText retickResolution;
    // Once checked: --retick's N, or --resolution's (whose text the
    // picture options keep); 0 for the map's own.
    int resolutionValue;
    bool force;
    bool fromFit;  // --fit POSITION@TIME,...: the exact map, its hits as markers
};

// An option's value as typed, when it came.
struct OptionText {
    bool given;
    FieldText text;
};

// Timecode and fitting to picture as typed: a timecode is read only once
// the frame rate is known, which may come after it or from the file.
struct PictureRequest {
    OptionText fps;
    OptionText start;
    ListText hits;  // of --fit, a comma apart
    OptionText grid;
    OptionText range;
    OptionText step;
    OptionText best;
    OptionText resolution;
    OptionText timeSignature;
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
    PictureRequest picture = {};
};

enum class RequestAction { kRun, kHelp, kVersion, kUsageError };

// The exact map of --fit POSITION@TIME,..., printed or written to a file.
inline bool MakesFitMap(const Request &request) {
    return request.mode == RequestMode::kFitMap ||
           (request.mode == RequestMode::kWriteMidi && request.write.fromFit);
}

#endif
