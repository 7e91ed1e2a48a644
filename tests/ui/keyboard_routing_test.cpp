// Keystrokes reach the form through its dialog manager; accelerators act
// only on keystrokes that reach the message loop unchanged.
#include "tests/ui/tactimer_test.h"

namespace {

TEST_F(TactimerTest, TabAndShiftTabGoRoundTheThreeTabStops) {
    ASSERT_TRUE(app.WaitForFocus(IDC_CALCULATE));
    for (int id : {IDC_TEMPO, IDC_RESOLUTION, IDC_CALCULATE, IDC_TEMPO}) {
        TabTo(id);
    }
    for (int id : {IDC_CALCULATE, IDC_RESOLUTION, IDC_TEMPO, IDC_CALCULATE}) {
        TabTo(id, true);
    }
}

TEST_F(TactimerTest, EscInTheFormDoesNothing) {
    TabTo(IDC_TEMPO);
    PressKey(VK_ESCAPE);
    TabTo(IDC_RESOLUTION);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(app.process.hProcess, 0));
    EXPECT_TRUE(IsWindowVisible(app.form));
    EXPECT_EQ(L"120", app.FieldText(IDC_TEMPO));
    EXPECT_EQ(ExpectedGrid(120, 480), ShownGrid(app));
}

TEST_F(TactimerTest, AcceleratorsOpenTheVersionBoxFromTheFrame) {
    for (wchar_t key : {L'?', L'/'}) {
        // Only a keystroke addressed to the frame itself reaches the
        // accelerator translation.
        FocusFrameItself();

        PressCharacter(key, true);
        ASSERT_NE(nullptr, WaitForBox()) << "Alt+" << static_cast<char>(key);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitForBoxClosed());
    }
}

TEST_F(TactimerTest, AcceleratorKeysInTheFormAreConsumedByIt) {
    TabTo(IDC_TEMPO);
    PressCharacter(L'?', true);
    PressCharacter(L'/', true);
    TabTo(IDC_RESOLUTION);
    EXPECT_EQ(nullptr, app.VersionBox());
    EXPECT_EQ(L"120", app.FieldText(IDC_TEMPO));
}

}  // namespace
