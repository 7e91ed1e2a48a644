// What the calculator form does, apart from its layout: the start-up values,
// the Calculate command, and the "--" shown for input that cannot be used.
// It reaches the form only through FormFieldAccess, so it runs without a
// window system.
#ifndef TACTIMER_CALC_FORM_CONTROLLER_H
#define TACTIMER_CALC_FORM_CONTROLLER_H

struct FormFieldAccess {
    void *context;
    // Copies at most capacity - 1 characters and a terminator; returns how
    // many characters were copied.
    int (*GetFieldText)(void *context, int id, wchar_t *buffer, int capacity);
    void (*SetFieldText)(void *context, int id, const wchar_t *text);
};

void ApplyStartupDefaults(const FormFieldAccess &form);

// True when the result grid was filled, false when it was cleared.
bool OnCalculate(const FormFieldAccess &form);

void FillResultFields(const FormFieldAccess &form, double tempo, double resolution);
void ClearResultFields(const FormFieldAccess &form);

#endif
