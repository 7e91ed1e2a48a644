// A tempo map as `tactimer-cli --midi FILE --format csv|json` prints it,
// read back, perhaps edited in a text editor or a spreadsheet: its
// resolution, tempos and time signatures with their ticks, and its end when
// it has one; markers too, added by hand (JSON "markers": [{"tick",
// "name"}], CSV rows of kind marker with a name column). Other fields and
// rows (positions, times, --at) are passed over. Streamed through a bounded
// buffer.
#ifndef TACTIMER_REQUEST_TEMPO_MAP_TEXT_H
#define TACTIMER_REQUEST_TEMPO_MAP_TEXT_H

#include "midi/byte_source.h"
#include "midi/tempo_map_file.h"

struct TempoMapTextError {
    long long line;  // from 1; 0 for the whole text
    const wchar_t *what;
};

// resolution: the map's when the text does not say it (--resolution), or
// 0. True when the map was read; the tempos then start at tick 0 (120 is
// implied until the first) and each list is in tick order.
bool ReadTempoMapText(const ByteSource &source, int resolution, TempoMapFile &map,
                      TempoMapTextError &error);

#endif
