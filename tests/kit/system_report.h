// What the Windows test kit ran on, for its summary: the Windows build,
// the DPI, the window metrics and the fonts and dialog units that
// tactimer.exe's dialogs get on this desktop.
#ifndef TACTIMER_TESTS_KIT_SYSTEM_REPORT_H
#define TACTIMER_TESTS_KIT_SYSTEM_REPORT_H

#include <string>
#include <vector>

// One "name: value" line each, in UTF-8.
std::vector<std::string> SystemReport(const std::wstring &tactimerPath);

#endif
