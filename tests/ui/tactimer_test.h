// A fixture that starts tactimer.exe for each test and ends it afterwards.
#ifndef TACTIMER_TESTS_UI_TACTIMER_TEST_H
#define TACTIMER_TESTS_UI_TACTIMER_TEST_H

#include <gtest/gtest.h>

#include "res/resource_ids.h"
#include "tests/ui/desktop_driver.h"
#include "tests/ui/expected_grid.h"

class TactimerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << "tactimer.exe did not show its results"; }
    void TearDown() override { app.Stop(); }

    // Presses Tab and waits for the focus to land on the control with id,
    // which also shows that every key before it has been handled.
    void TabTo(int id, bool shift = false) {
        PressKey(VK_TAB, shift);
        ASSERT_TRUE(app.WaitForFocus(id)) << "focus did not reach control " << id;
    }

    // Alt and a menu's mnemonic, then the item's letter once the pop-up is
    // there, as a user who looks at the menu types them.
    void ChooseFromMenu(WORD menuKey, WORD itemKey) {
        PressKey(menuKey, false, true);
        ASSERT_TRUE(WaitUntil([&] { return app.PopupMenu() != nullptr; }))
            << "the menu did not open";
        PressKey(itemKey);
    }

    // The version box once it is open, or null.
    HWND WaitForBox() {
        HWND box = nullptr;
        WaitUntil([&] { return (box = app.VersionBox()) != nullptr; });
        return box;
    }

    bool WaitForBoxClosed() { return app.WaitForBoxClosed(); }

    // Gives the keyboard focus to the frame window itself, outside the form,
    // as the window manager can; keystrokes then reach the message loop.
    void FocusFrameItself() {
        ASSERT_TRUE(app.Activate());
        const DWORD driverThread = GetCurrentThreadId();
        AttachThreadInput(driverThread, app.Thread(), TRUE);
        SetFocus(app.frame);
        AttachThreadInput(driverThread, app.Thread(), FALSE);
        ASSERT_TRUE(WaitUntil([&] { return app.Focus() == app.frame; }));
    }

    RunningTactimer app;
};

#endif
