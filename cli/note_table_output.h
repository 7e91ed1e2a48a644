// The note rows as text: a table for people, CSV for spreadsheets, JSON for
// programs.
#ifndef TACTIMER_CLI_NOTE_TABLE_OUTPUT_H
#define TACTIMER_CLI_NOTE_TABLE_OUTPUT_H

#include "cli/note_rows.h"
#include "cli/text_sink.h"

enum class OutputFormat { kTable, kCsv, kJson };

void WriteNoteRows(const NoteRows &rows, OutputFormat format, CaptionLanguage language,
                   const TextSink &out);

#endif
