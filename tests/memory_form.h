// An in-memory calculator form for the tests, the benchmark and the fuzzer:
// it holds a text per control and records every read and write in order.
// Fixed-size, so that using it allocates nothing.
#ifndef TACTIMER_TESTS_MEMORY_FORM_H
#define TACTIMER_TESTS_MEMORY_FORM_H

#include "calc/form_controller.h"

enum class FieldOperationKind { kRead, kWrite };

struct FieldOperation {
    FieldOperationKind kind;
    int id;
    int capacity;  // reads: the capacity asked for
    int length;    // reads: characters copied; writes: length of the text given
};

constexpr int kMemoryFormFirstId = 1001;
constexpr int kMemoryFormLastId = 1040;
// Room for input texts longer than a read may take.
constexpr int kMemoryFieldCapacity = 256;
constexpr int kMemoryFormLogCapacity = 128;

struct MemoryForm {
    wchar_t fields[kMemoryFormLastId - kMemoryFormFirstId + 1][kMemoryFieldCapacity];
    FieldOperation log[kMemoryFormLogCapacity];
    int operationCount;  // may exceed the log's capacity; the log keeps the first ones
};

void ResetMemoryForm(MemoryForm &form);
// Sets a field as a user would: not logged.
void TypeIntoField(MemoryForm &form, int id, const wchar_t *text);
const wchar_t *FieldTextOf(const MemoryForm &form, int id);
FormFieldAccess MemoryFormAccess(MemoryForm &form);

#endif
