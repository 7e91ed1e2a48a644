// The path of the tactimer.exe under test, given on the command line.
#ifndef TACTIMER_TESTS_UI_TACTIMER_PATH_H
#define TACTIMER_TESTS_UI_TACTIMER_PATH_H

#include <string>

extern std::wstring g_tactimerPath;

#endif
