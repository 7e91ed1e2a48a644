// The frame window: the form follows its size, activation gives the form
// the focus, and both ways out end the process with code 0.
#include <cstdio>

#include "tests/ui/tactimer_test.h"

namespace {

// The control's offset from the form's top left corner.
POINT OffsetInForm(const RunningTactimer &app, int id) {
    const RECT form = WindowRect(app.form);
    const RECT control = WindowRect(app.Field(id));
    return {control.left - form.left, control.top - form.top};
}

TEST_F(TactimerTest, OpensAt350By370WithTheFormFillingIt) {
    const RECT frame = WindowRect(app.frame);
    EXPECT_EQ(350, frame.right - frame.left);
    EXPECT_EQ(370, frame.bottom - frame.top);
    EXPECT_TRUE(app.FormFillsClientArea());
    EXPECT_NE(nullptr, GetMenu(app.frame));
}

// With Japanese Windows' dialog font, the whole 218 x 193 form fits.
TEST_F(TactimerTest, EveryControlOfTheFormLiesInsideTheClientArea) {
    const RECT client = ClientRectOnScreen(app.frame);
    int count = 0;
    for (HWND control = GetWindow(app.form, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        ++count;
        const RECT rect = WindowRect(control);
        EXPECT_TRUE(rect.left >= client.left && rect.top >= client.top &&
                    rect.right <= client.right && rect.bottom <= client.bottom)
            << "control #" << count << " (id " << GetDlgCtrlID(control) << ") reaches "
            << rect.right - client.left << ", " << rect.bottom - client.top << " of "
            << client.right - client.left << " x " << client.bottom - client.top;
    }
    EXPECT_EQ(61, count);
}

TEST_F(TactimerTest, ResizingTheFrameResizesTheForm) {
    const POINT button = OffsetInForm(app, IDC_CALCULATE);
    const POINT lastField = OffsetInForm(app, 1040);
    for (SIZE size : {SIZE{520, 480}, SIZE{300, 200}}) {
        SetWindowPos(app.frame, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(WaitUntil([&] { return app.FormFillsClientArea(); }))
            << "frame " << size.cx << " x " << size.cy;
        const POINT movedButton = OffsetInForm(app, IDC_CALCULATE);
        const POINT movedField = OffsetInForm(app, 1040);
        EXPECT_EQ(button.x, movedButton.x);
        EXPECT_EQ(button.y, movedButton.y);
        EXPECT_EQ(lastField.x, movedField.x);
        EXPECT_EQ(lastField.y, movedField.y);
    }
}

TEST_F(TactimerTest, MinimisingEmptiesTheFormAndRestoringRefillsIt) {
    ShowWindow(app.frame, SW_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] {
        RECT client;
        GetClientRect(app.form, &client);
        return client.right == 0 && client.bottom == 0;
    }));
    ShowWindow(app.frame, SW_RESTORE);
    EXPECT_TRUE(WaitUntil([&] {
        const RECT form = WindowRect(app.form);
        return form.right - form.left > 100 && app.FormFillsClientArea();
    }));
}

TEST_F(TactimerTest, ActivatingTheFrameGivesTheFormTheFocus) {
    FocusFrameItself();
    // Another window takes the activation away, then the frame gets it back.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 600, 500, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    EXPECT_TRUE(WaitUntil([&] {
        SetForegroundWindow(other);
        return GetForegroundWindow() == other;
    }));
    ASSERT_TRUE(app.Activate());
    EXPECT_TRUE(WaitUntil([&] { return IsChild(app.form, app.Focus()); }));
    DestroyWindow(other);
}

const char *const kShowCommandNames[] = {
    "SW_HIDE",           "SW_SHOWNORMAL", "SW_SHOWMINIMIZED", "SW_SHOWMAXIMIZED",
    "SW_SHOWNOACTIVATE", "SW_SHOW",       "SW_MINIMIZE",      "SW_SHOWMINNOACTIVE",
    "SW_SHOWNA",         "SW_RESTORE",    "SW_SHOWDEFAULT",   "SW_FORCEMINIMIZE",
};

const char *ShowState(HWND window) {
    return !IsWindowVisible(window) ? "hidden"
           : IsIconic(window)       ? "minimized"
           : IsZoomed(window)       ? "maximized"
                                    : "normal";
}

// Whatever show command the starter gives (a shortcut's "Run: Minimized",
// start /min), the form is whole once the user has the frame back.
TEST(ShowCommandTest, TheFormFillsTheFrameOnceItIsRestored) {
    for (int command = SW_HIDE; command <= SW_FORCEMINIMIZE; ++command) {
        RunningTactimer app;
        ASSERT_TRUE(app.Launch(command)) << kShowCommandNames[command];
        const char *const started = ShowState(app.frame);
        if (!IsWindowVisible(app.frame) || IsIconic(app.frame)) {
            ShowWindow(app.frame, SW_RESTORE);
        }
        const bool whole = WaitUntil([&] {
            return !IsIconic(app.form) && !IsZoomed(app.form) && app.FormFillsClientArea() &&
                   ShowsStartUpResults(app.frame);
        });
        const RECT form = WindowRect(app.form);
        const RECT client = ClientRectOnScreen(app.frame);
        std::printf(
            "%2d %-18s frame started %-9s; then form %s, %ld x %ld in a %ld x %ld client area\n",
            command, kShowCommandNames[command], started, ShowState(app.form),
            form.right - form.left, form.bottom - form.top, client.right - client.left,
            client.bottom - client.top);
        EXPECT_TRUE(whole) << kShowCommandNames[command];
        app.Stop();
    }
}

TEST_F(TactimerTest, ExitMenuItemEndsWithCodeZero) {
    ChooseFromMenu('F', 'X');
    EXPECT_EQ(0, app.WaitForExit());
}

TEST_F(TactimerTest, CloseButtonEndsWithCodeZero) {
    POINT closeButton;
    ASSERT_TRUE(FindNonClientPoint(app.frame, HTCLOSE, &closeButton));
    ASSERT_TRUE(Click(closeButton));
    EXPECT_EQ(0, app.WaitForExit());
}

}  // namespace
