// The in-memory calculator form.
#include "tests/memory_form.h"

#include <cwchar>

namespace {

wchar_t *FieldOf(MemoryForm &form, int id) {
    if (id < kMemoryFormFirstId || id > kMemoryFormLastId) {
        return nullptr;
    }
    return form.fields[id - kMemoryFormFirstId];
}

void Record(MemoryForm &form, FieldOperation operation) {
    if (form.operationCount < kMemoryFormLogCapacity) {
        form.log[form.operationCount] = operation;
    }
    ++form.operationCount;
}

// Copies up to the terminator only: wcsncpy would pad the whole field.
void StoreText(wchar_t *field, const wchar_t *text) {
    int length = 0;
    while (length < kMemoryFieldCapacity - 1 && text[length] != L'\0') {
        field[length] = text[length];
        ++length;
    }
    field[length] = L'\0';
}

int GetText(void *context, int id, wchar_t *buffer, int capacity) {
    MemoryForm &form = *static_cast<MemoryForm *>(context);
    const wchar_t *field = FieldOf(form, id);
    int copied = 0;
    if (field != nullptr && capacity > 0) {
        while (copied < capacity - 1 && field[copied] != L'\0') {
            buffer[copied] = field[copied];
            ++copied;
        }
        buffer[copied] = L'\0';
    }
    Record(form, {FieldOperationKind::kRead, id, capacity, copied});
    return copied;
}

void SetText(void *context, int id, const wchar_t *text) {
    MemoryForm &form = *static_cast<MemoryForm *>(context);
    Record(form, {FieldOperationKind::kWrite, id, 0, static_cast<int>(std::wcslen(text))});
    if (wchar_t *field = FieldOf(form, id)) {
        StoreText(field, text);
    }
}

}  // namespace

void ResetMemoryForm(MemoryForm &form) {
    for (auto &field : form.fields) {
        field[0] = L'\0';
    }
    form.operationCount = 0;
}

void TypeIntoField(MemoryForm &form, int id, const wchar_t *text) {
    if (wchar_t *field = FieldOf(form, id)) {
        StoreText(field, text);
    }
}

const wchar_t *FieldTextOf(const MemoryForm &form, int id) {
    return FieldOf(const_cast<MemoryForm &>(form), id);
}

FormFieldAccess MemoryFormAccess(MemoryForm &form) {
    return {&form, GetText, SetText};
}
