// The UI tests take the path of tactimer.exe after GoogleTest's own flags.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/ui/tactimer_path.h"

std::wstring g_tactimerPath;

int wmain(int argc, wchar_t **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: %ls [gtest flags] PATH_TO_TACTIMER_EXE\n", argv[0]);
        return 2;
    }
    g_tactimerPath = argv[1];
    return RUN_ALL_TESTS();
}
