// Every caption of the form and of the version box fits its control in the
// font that the dialog really gets on this system: a Windows whose dialog
// font is wider or taller than the one these tests were first run with shows
// here where a caption would be cut. The dialogs are made from tactimer.exe's
// own templates in this process, where their fonts can be measured; that
// the running program's controls have exactly their sizes shows that it got
// the same font and units.
#include <cstdio>
#include <vector>

#include "tests/ui/tactimer_test.h"
#include "tests/ui/template_dialog.h"

namespace {

std::vector<HWND> ChildrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

SIZE SizeOf(const RECT &rect) {
    return {rect.right - rect.left, rect.bottom - rect.top};
}

bool ShowsText(HWND control) {
    wchar_t className[16] = L"";
    GetClassNameW(control, className, 16);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const bool icon = lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON;
    return !icon && !WindowText(control).empty();
}

class CaptionFitTest : public TactimerTest {
protected:
    static void SetUpTestSuite() { s_program = LoadProgramAsData(g_tactimerPath); }
    static void TearDownTestSuite() { FreeLibrary(s_program); }

    // Measures every caption of the template dialog, prints what it found
    // and expects each to fit; the live dialog's controls must match its
    // sizes one for one.
    void ExpectCaptionsFit(int templateId, HWND live, const char *name) {
        ASSERT_NE(nullptr, s_program);
        HWND dialog = CreateTemplateDialog(s_program, templateId);
        ASSERT_NE(nullptr, dialog);
        const DialogFontFace font = DialogFont(dialog);
        const SIZE units = DialogBaseUnits(dialog);
        std::printf("%s: font \"%s\" drawn as \"%s\", %ld px high, dialog base units %ld x %ld\n",
                    name, Utf8(font.named).c_str(), Utf8(font.drawn).c_str(), font.height, units.cx,
                    units.cy);
        const std::vector<HWND> made = ChildrenOf(dialog);
        const std::vector<HWND> shown = ChildrenOf(live);
        EXPECT_EQ(made.size(), shown.size());
        double tightest = 0;
        std::string tightestReport;
        for (size_t i = 0; i < made.size(); ++i) {
            RECT client;
            GetClientRect(made[i], &client);
            if (i < shown.size()) {
                const SIZE liveSize = SizeOf(WindowRect(shown[i]));
                const SIZE madeSize = SizeOf(WindowRect(made[i]));
                EXPECT_TRUE(liveSize.cx == madeSize.cx && liveSize.cy == madeSize.cy)
                    << name << " control #" << i + 1 << " is " << liveSize.cx << " x "
                    << liveSize.cy << " in the program, " << madeSize.cx << " x " << madeSize.cy
                    << " from its template here";
            }
            if (!ShowsText(made[i])) {
                continue;
            }
            const std::wstring text = WindowText(made[i]);
            const SIZE extent = TextExtentInControl(made[i], text);
            char report[160];
            std::snprintf(report, sizeof report, "\"%s\" needs %ld x %ld px, has %ld x %ld",
                          Utf8(text).c_str(), extent.cx, extent.cy, client.right, client.bottom);
            std::printf("  %s\n", report);
            EXPECT_TRUE(extent.cx <= client.right && extent.cy <= client.bottom)
                << name << ": " << report;
            const double share =
                client.right > 0 ? static_cast<double>(extent.cx) / client.right : 99;
            if (share > tightest) {
                tightest = share;
                tightestReport = report;
            }
        }
        std::printf("%s: the widest caption for its control: %s (%.0f%% of its width)\n", name,
                    tightestReport.c_str(), tightest * 100);
        DestroyTemplateDialog(dialog);
    }

    static HMODULE s_program;
};

HMODULE CaptionFitTest::s_program;

TEST_F(CaptionFitTest, TheFormsCaptionsFitTheirControls) {
    ExpectCaptionsFit(IDD_CALC_FORM, app.form, "form");
}

TEST_F(CaptionFitTest, TheVersionBoxsCaptionsFitTheirControls) {
    ChooseFromMenu('H', 'A');
    HWND box = WaitForBox();
    ASSERT_NE(nullptr, box);
    ExpectCaptionsFit(IDD_VERSION_INFO, box, "version box");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForBoxClosed());
}

}  // namespace
