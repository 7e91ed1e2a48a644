// The version box: opened from the Help menu, modal, closed only by OK.
#include "tests/ui/tactimer_test.h"

namespace {

class VersionBoxTest : public TactimerTest {
protected:
    HWND OpenByKeyboard() {
        ChooseFromMenu('H', 'A');
        return WaitForBox();
    }

    // A key that only the form could act on: with the box gone, Enter would
    // press "計算" and overwrite the mark.
    void ExpectOnlyTheBoxTookEnter() {
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitForBoxClosed());
        TabTo(IDC_TEMPO);
        EXPECT_EQ(L"#", app.FieldText(1009));
    }
};

TEST_F(VersionBoxTest, HelpMenuByKeyboardOpensAModalBox) {
    HWND box = OpenByKeyboard();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"バージョン情報", WindowText(box));
    EXPECT_EQ(app.frame, GetWindow(box, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(app.frame));
    EXPECT_EQ(L"OK", WindowText(GetDlgItem(box, IDOK)));
    // The icon sits top left, the OK button top right.
    const RECT boxRect = WindowRect(box);
    const RECT icon = WindowRect(GetDlgItem(box, 2));
    const RECT ok = WindowRect(GetDlgItem(box, IDOK));
    EXPECT_LT(icon.left - boxRect.left, (boxRect.right - boxRect.left) / 4);
    EXPECT_GT(ok.left - boxRect.left, (boxRect.right - boxRect.left) * 3 / 4);

    ASSERT_TRUE(Click(Centre(ok)));
    EXPECT_TRUE(WaitForBoxClosed());
    EXPECT_TRUE(IsWindowEnabled(app.frame));
}

TEST_F(VersionBoxTest, MenuKeysLeaveTheFocusedInputAlone) {
    TabTo(IDC_TEMPO);
    ASSERT_NE(nullptr, OpenByKeyboard());
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForBoxClosed());
    // The form takes the focus back; one more Tab shows every key was handled.
    HWND focus = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return IsChild(app.form, focus = app.Focus()); }));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() != focus; }));
    EXPECT_EQ(L"120", app.FieldText(IDC_TEMPO));
    EXPECT_EQ(ExpectedGrid(120, 480), ShownGrid(app));
}

TEST_F(VersionBoxTest, HelpMenuByMouseOpensTheBox) {
    // Open the first pop-up from the menu bar, slide along the bar until the
    // Help pop-up replaces it, and click its one item.
    const RECT frame = WindowRect(app.frame);
    const RECT client = ClientRectOnScreen(app.frame);
    const LONG barY = client.top - GetSystemMetrics(SM_CYMENU) / 2;
    ASSERT_TRUE(Click({frame.left + 16, barY}));
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = app.PopupMenu()) != nullptr; }));
    const LONG fileLeft = WindowRect(popup).left;
    bool helpOpen = false;
    for (LONG x = frame.left + 16; x < frame.right && !helpOpen; x += 8) {
        ASSERT_TRUE(MoveMouse({x, barY}));
        helpOpen = WaitUntil(
            [&] {
                popup = app.PopupMenu();
                return popup != nullptr && WindowRect(popup).left > fileLeft + 8;
            },
            100);
    }
    ASSERT_TRUE(helpOpen);
    ASSERT_TRUE(Click(Centre(WindowRect(popup))));
    HWND box = WaitForBox();
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(Click(Centre(WindowRect(GetDlgItem(box, IDOK)))));
    EXPECT_TRUE(WaitForBoxClosed());
}

TEST_F(VersionBoxTest, EscDoesNotCloseItButEnterDoes) {
    app.SetFieldText(1009, L"#");
    ASSERT_NE(nullptr, OpenByKeyboard());
    PressKey(VK_ESCAPE);
    ExpectOnlyTheBoxTookEnter();
}

TEST_F(VersionBoxTest, CloseButtonDoesNotCloseIt) {
    app.SetFieldText(1009, L"#");
    HWND box = OpenByKeyboard();
    ASSERT_NE(nullptr, box);
    POINT closeButton;
    ASSERT_TRUE(FindNonClientPoint(box, HTCLOSE, &closeButton));
    ASSERT_TRUE(Click(closeButton));
    ExpectOnlyTheBoxTookEnter();
}

}  // namespace
