// The real Velorn.exe (as VELORN_EXE names it, else beside this test) as a
// person meets it, worked with real clicks and keys on one launch, which
// the last test quits.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "energy.h"
#include "resource.h"
#include "texts.h"

// A window, frame included, against tests/reference/<name>.png (pictures.cpp).
::testing::AssertionResult LooksAsReference(HWND window, const char *name);

namespace
{

// What the calculation gives for a speed text.
std::wstring Calculated(const std::wstring &speed)
{
    char out[ENERGY_TEXT_MAX];
    return Wide(FormatEnergy(std::string(speed.begin(), speed.end()).c_str(), out, sizeof out));
}

class VelornDialog : public ::testing::Test
{
  protected:
    // Starting Velorn under Wine is slow: once for all.
    static void SetUpTestSuite() { app = new Velorn; }
    static void TearDownTestSuite() { delete app; }

    // Moves the focus as Tab does, selecting the field's text.
    static void PutFocus(HWND control)
    {
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }

    // A way to open a box: a key (and modifier) on a control, or a click.
    struct Way {
        const char *name;
        HWND focus;
        WORD modifier, key;
        POINT click;
    };
    // The box looks as its reference and belongs to the dialog, or to nobody
    // if it asks to quit; the key closes it and leaves the dialog as it was.
    void OpensAndCloses(const Way &way, const char *caption, WORD key)
    {
        SCOPED_TRACE(way.name);
        SetText(app->Item(IDC_RYCHLOST), L"72");
        Send(app->Dialog(), WM_COMMAND, IDOK);
        if (!way.key) {
            ClickAt(way.click);
        } else {
            PutFocus(way.focus);
            way.modifier ? Keys({way.modifier, way.key}) : Keys({way.key});
        }
        HWND box = app->WaitBox(Wide(caption).c_str()); // none: an empty picture
        EXPECT_TRUE(LooksAsReference(box, caption == HELP_CAPTION    ? "box-help"
                                          : caption == ABOUT_CAPTION ? "box-about"
                                                                     : "box-quit"));
        EXPECT_EQ(GetWindow(box, GW_OWNER), caption == QUIT_CAPTION ? nullptr : app->Dialog());
        Keys({key}); // the picture shows the box active
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(app->Text(IDC_RYCHLOST) + L" " + app->Text(IDC_ENERGIE), L"72 3.120000");
    }

    static Velorn *app;
};
Velorn *VelornDialog::app;

// The whole screen: the dialog alone on it, centred. With no control given
// the focus, Wine's dialog manager puts it on OK.
TEST_F(VelornDialog, StartsCentredOnTheScreenAsItsReference)
{
    EXPECT_TRUE(LooksAsReference(GetDesktopWindow(), "screen-start"));
}

// Keys typed before the field is clicked go nowhere: the field shows 100.
TEST_F(VelornDialog, ShowsTheResultOfASpeedTypedAndOkClickedAsItsReference)
{
    Type(L"5");
    ClickAt(Centre(app->Item(IDC_RYCHLOST)));
    Type(L"100");
    EXPECT_TRUE(app->Press(L"OK"));
    EXPECT_TRUE(LooksAsReference(app->Dialog(), "dialog-result"));
}

TEST_F(VelornDialog, TabAndShiftTabGoRoundTheControlsInTemplateOrder)
{
    const HWND field = app->Item(IDC_RYCHLOST), ok = app->Button(L"OK"),
               storno = app->Button(L"Storno"), help = app->Button(L"Nápověda"),
               about = app->Button(L"O programu");
    ClickAt(Centre(field));
    // Five Tabs round, then five Shift+Tabs back.
    const HWND order[] = {ok, storno, help, about, field, about, help, storno, ok, field};
    GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    for (int key = 0; key < 10; ++key) {
        key < 5 ? Keys({VK_TAB}) : Keys({VK_SHIFT, VK_TAB});
        EXPECT_TRUE(WaitFor([&] {
            GetGUIThreadInfo(GetWindowThreadProcessId(field, nullptr), &gui);
            return gui.hwndFocus == order[key];
        })) << key;
    }
}

// Speeds typed key by key, one far wider than the field; results of 8, 14,
// 26 and 313 characters (the longest finite one). Enter is OK's command.
TEST_F(VelornDialog, EnterShowsTheWholeResultOfEveryTypedSpeed)
{
    for (const std::wstring speed : {L"-20", L"50,5", L"1e8", L"2.7e103",
                                     L"  00000000000000000000000000000000000009612.61000 km/h"}) {
        SCOPED_TRACE(speed);
        PutFocus(app->Item(IDC_RYCHLOST));
        Type(speed);
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return app->Text(IDC_ENERGIE) == Calculated(speed); }))
            << "shows " << ::testing::PrintToString(app->Text(IDC_ENERGIE));
    }
}

// Each box is Enter on its button; the dialog waits for its OK.
TEST_F(VelornDialog, HelpAndAboutBoxesBelongToTheDialog)
{
    OpensAndCloses({"Enter on Nápověda", app->Button(L"Nápověda"), 0, VK_RETURN, {}}, HELP_CAPTION,
                   VK_RETURN);
    OpensAndCloses({"Enter on O programu", app->Button(L"O programu"), 0, VK_RETURN, {}},
                   ABOUT_CAPTION, VK_ESCAPE);
}

// Every way to quit asks first, in a box of nobody's with No preselected:
// Enter keeps all, as does Esc, which Wine makes IDCANCEL. The close box
// takes Alt+F4's way (SC_CLOSE); the pictures show it drawn.
TEST_F(VelornDialog, EveryWayToQuitAsksFirstAndNoKeepsAll)
{
    const HWND field = app->Item(IDC_RYCHLOST), storno = app->Button(L"Storno");
    OpensAndCloses({"Esc in the field", field, 0, VK_ESCAPE, {}}, QUIT_CAPTION, VK_RETURN);
    OpensAndCloses({"Storno clicked", nullptr, 0, 0, Centre(storno)}, QUIT_CAPTION, VK_ESCAPE);
    OpensAndCloses({"Alt+F4", field, VK_MENU, VK_F4, {}}, QUIT_CAPTION, VK_RETURN);
}

// Stornos faster than any hand open three boxes at most, and OK, posted
// last, still calculates beneath them once all are handled. One more, with
// Alt+F4, brings the newest forward. No, Yes in the oldest, No: Velorn ends
// with 2.
TEST_F(VelornDialog, StornosOpenThreeBoxesAtMostAndOneYesQuitsWith2)
{
    const HWND dlg = app->Dialog();
    SetText(app->Item(IDC_RYCHLOST), L"36");
    for (int i = 0; i < 2000; ++i)
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return app->Text(IDC_ENERGIE) == L"0.390000"; }));
    const std::vector<HWND> quits = WindowsOf(app->Pid(), Wide(QUIT_CAPTION).c_str());
    ASSERT_EQ(quits.size(), 3u); // newest first
    ClickAt(Centre(app->Item(IDC_RYCHLOST)));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
    Keys({VK_MENU, VK_F4});
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == quits[0]; }));
    EXPECT_TRUE(Answer(quits[0], IDNO));
    EXPECT_TRUE(Answer(quits[2], IDYES));
    EXPECT_TRUE(Answer(quits[1], IDNO));
    EXPECT_EQ(app->WaitExit(), 2u);
}

} // namespace
