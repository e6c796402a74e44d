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

class VelornDialog : public ::testing::Test
{
  protected:
    // Starting Velorn under Wine is slow: once for all.
    static void SetUpTestSuite() { app = new Velorn; }
    static void TearDownTestSuite() { delete app; }

    struct Way {
        const char *name, *after;
        HWND control;
        WORD modifier, key;
    };
    // The box a key or click on a control opens looks as its reference, owned
    // by the dialog, or by nobody if it asks to quit. Closed, it leaves the
    // screen as `after`: the dialog alone as left (a stray OK would show).
    void OpensAndCloses(const Way &way, const char *caption, const char *picture, WORD key)
    {
        SCOPED_TRACE(way.name);
        const HWND field = app->Item(IDC_RYCHLOST);
        SetText(field, L"72");
        Send(app->Dialog(), WM_COMMAND, IDOK);
        SetText(field, L"100");
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(way.control), TRUE);
        if (!way.key)
            ClickAt(Centre(way.control));
        else
            way.modifier ? Keys({way.modifier, way.key}) : Keys({way.key});
        const HWND box = app->WaitBox(Wide(caption).c_str());
        ASSERT_TRUE(box) << "no box \"" << caption << "\" appeared within 5 s";
        EXPECT_TRUE(LooksAsReference(box, picture));
        EXPECT_EQ(GetWindow(box, GW_OWNER), caption == QUIT_CAPTION ? nullptr : app->Dialog());
        Keys({key}); // the picture shows the box active
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        // The flag posted last is set once Velorn has handled all before it:
        // what the box left behind (a key, a command) has had its effect.
        Send(field, EM_SETMODIFY, FALSE);
        PostMessageW(field, EM_SETMODIFY, TRUE, 0);
        EXPECT_TRUE(WaitFor([&] { return Send(field, EM_GETMODIFY) != 0; }));
        EXPECT_TRUE(LooksAsReference(GetDesktopWindow(), way.after));
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
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(app->Item(IDC_RYCHLOST)), TRUE);
        Type(speed);
        Keys({VK_RETURN});
        char calculated[ENERGY_TEXT_MAX];
        FormatEnergy(std::string(speed.begin(), speed.end()).c_str(), calculated,
                     sizeof calculated);
        EXPECT_TRUE(WaitFor([&] { return app->Text(IDC_ENERGIE) == Wide(calculated); }))
            << "shows " << ::testing::PrintToString(app->Text(IDC_ENERGIE));
    }
}

// Each box is Enter on its button; the dialog waits for its OK.
TEST_F(VelornDialog, HelpAndAboutBoxesBelongToTheDialog)
{
    OpensAndCloses(
        {"Enter on Nápověda", "screen-after-help", app->Button(L"Nápověda"), 0, VK_RETURN},
        HELP_CAPTION, "box-help", VK_RETURN);
    OpensAndCloses(
        {"Enter on O programu", "screen-after-about", app->Button(L"O programu"), 0, VK_RETURN},
        ABOUT_CAPTION, "box-about", VK_ESCAPE);
}

// Every way to quit asks first, in a box of nobody's with No preselected:
// Enter keeps all, as does Esc, which Wine makes IDCANCEL. The close box
// takes Alt+F4's way (SC_CLOSE); the pictures show it drawn.
TEST_F(VelornDialog, EveryWayToQuitAsksFirstAndNoKeepsAll)
{
    const HWND field = app->Item(IDC_RYCHLOST);
    OpensAndCloses({"Esc in the field", "screen-after-quit-field", field, 0, VK_ESCAPE},
                   QUIT_CAPTION, "box-quit", VK_RETURN);
    OpensAndCloses({"Storno clicked", "screen-after-quit-storno", app->Button(L"Storno"), 0, 0},
                   QUIT_CAPTION, "box-quit", VK_ESCAPE);
    OpensAndCloses({"Alt+F4", "screen-after-quit-field", field, VK_MENU, VK_F4}, QUIT_CAPTION,
                   "box-quit", VK_RETURN);
}

// Stornos faster than any hand open three boxes at most; OK, posted last,
// still calculates beneath them. Alt+F4 then brings the newest forward. No,
// Yes in the oldest, No: Velorn ends with 2.
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
