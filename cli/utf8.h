// UTF-8 to and from the UTF-16 code units that wide texts hold here, on
// Linux as on Windows, so that a text counts its characters as the form's
// fields do. No locale is consulted.
#ifndef TACTIMER_CLI_UTF8_H
#define TACTIMER_CLI_UTF8_H

#include "calc/field_text.h"

// The first 99 code units of the text; a malformed sequence reads as U+FFFD.
void DecodeUtf8(const char *bytes, FieldText &text);

// Hands the UTF-8 bytes of a wide text to write, a buffer at a time. A lone
// surrogate becomes U+FFFD.
void EncodeUtf8(const wchar_t *text, void (*write)(void *context, const char *bytes, int count),
                void *context);

#endif
