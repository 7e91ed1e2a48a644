// UTF-8 to and from the UTF-16 code units that wide texts hold here, on
// Linux as on Windows, so that a text counts its characters as the form's
// fields do. No locale is consulted.
#ifndef TACTIMER_TEXT_UTF8_H
#define TACTIMER_TEXT_UTF8_H

#include "calc/field_text.h"

// At most capacity - 1 code units of the text and a terminator; returns how
// many the whole text has. A malformed sequence reads as U+FFFD.
int DecodeUtf8(const char *bytes, wchar_t *text, int capacity);

// The same for exactly count bytes, a zero byte among them read as U+0000.
int DecodeUtf8Bytes(const char *bytes, int count, wchar_t *text, int capacity);

// Whether the count bytes are well-formed UTF-8 throughout.
bool IsUtf8(const char *bytes, int count);

// Hands the UTF-8 bytes of a wide text to write, a buffer at a time. A lone
// surrogate becomes U+FFFD.
void EncodeUtf8(const wchar_t *text, void (*write)(void *context, const char *bytes, int count),
                void *context);

// The UTF-8 of a wide text in at most capacity - 1 bytes, whole characters
// only, and a terminator.
void EncodeUtf8Bytes(const wchar_t *text, char *bytes, int capacity);

#endif
