// The result grid as the core fills it, for comparing with what the running
// program shows.
#ifndef TACTIMER_TESTS_UI_EXPECTED_GRID_H
#define TACTIMER_TESTS_UI_EXPECTED_GRID_H

#include <map>
#include <string>

#include "tests/ui/desktop_driver.h"

typedef std::map<int, std::wstring> Grid;  // result field id to text

Grid ExpectedGrid(double tempo, double resolution);
// What the Calculate command shows for the two texts as typed.
Grid ExpectedGridForTexts(const std::wstring &tempo, const std::wstring &resolution);
Grid DashedGrid();
Grid ShownGrid(const RunningTactimer &app);
// Writes text into every result field, so that a recalculation shows.
void FillGridWith(const RunningTactimer &app, const wchar_t *text);
bool WaitForGrid(const RunningTactimer &app, const Grid &expected);

#endif
