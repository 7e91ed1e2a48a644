// The running program: start-up results, and recalculation from real
// keystrokes and clicks.
#include "tests/ui/tactimer_test.h"

namespace {

TEST_F(TactimerTest, StartsWithTheDefaultsAndTheirResults) {
    EXPECT_EQ(L"Tactimer", WindowText(app.frame));
    EXPECT_EQ(L"120", app.FieldText(IDC_TEMPO));
    EXPECT_EQ(L"480", app.FieldText(IDC_RESOLUTION));
    EXPECT_EQ(ExpectedGrid(120, 480), ShownGrid(app));
    // The first tab stop has the focus.
    EXPECT_TRUE(app.WaitForFocus(IDC_CALCULATE));
}

TEST_F(TactimerTest, EnterInEitherInputRecalculates) {
    FillGridWith(app, L"#");
    TabTo(IDC_TEMPO);
    TypeText(L"140");
    TabTo(IDC_RESOLUTION);
    TypeText(L"960");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForGrid(app, ExpectedGrid(140, 960)));
    EXPECT_EQ(L"140", app.FieldText(IDC_TEMPO));
    EXPECT_EQ(L"960", app.FieldText(IDC_RESOLUTION));

    FillGridWith(app, L"#");
    TabTo(IDC_CALCULATE);
    TabTo(IDC_TEMPO);
    TypeText(L"93.5");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForGrid(app, ExpectedGrid(93.5, 960)));
}

TEST_F(TactimerTest, ClickOnCalculateRecalculates) {
    FillGridWith(app, L"#");
    TabTo(IDC_TEMPO);
    TypeText(L"100");
    TabTo(IDC_RESOLUTION);
    TypeText(L"1");
    ASSERT_TRUE(Click(Centre(WindowRect(app.Field(IDC_CALCULATE)))));
    EXPECT_TRUE(WaitForGrid(app, ExpectedGrid(100, 1)));
}

TEST_F(TactimerTest, UnusableInputShowsDashes) {
    TabTo(IDC_TEMPO);
    TabTo(IDC_RESOLUTION);
    TypeText(L"0");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForGrid(app, DashedGrid()));

    FillGridWith(app, L"#");
    TypeText(L"480");
    TabTo(IDC_CALCULATE);
    TabTo(IDC_TEMPO);
    PressKey(VK_DELETE);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForGrid(app, DashedGrid()));
    EXPECT_EQ(L"", app.FieldText(IDC_TEMPO));
}

TEST_F(TactimerTest, ResultFieldsIgnoreTypingAndAreNoTabStops) {
    const int field = 1017;
    ASSERT_TRUE(Click(Centre(WindowRect(app.Field(field)))));
    ASSERT_TRUE(app.WaitForFocus(field));
    TypeText(L"5");
    PressKey(VK_BACK);
    // Tab leaves the field for the next tab stop, round to the button.
    TabTo(IDC_CALCULATE);
    EXPECT_EQ(L"480.00", app.FieldText(field));
    for (int id : {IDC_TEMPO, IDC_RESOLUTION, IDC_CALCULATE}) {
        TabTo(id);
    }
}

}  // namespace
