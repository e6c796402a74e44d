// The real Velorn.exe (beside this test, or as VELORN_EXE names it), worked
// with real clicks and keys: one behaviour a test, in the order a person
// meets them, on one launch, since starting it under Wine is slow. The last
// test quits it.
#include <windows.h>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "driver.h"
#include "energy.h"
#include "pictures.h"
#include "resource.h"
#include "texts.h"

namespace
{

// What the calculation gives for a speed text.
std::wstring Calculated(const std::wstring &speed)
{
    char out[ENERGY_TEXT_MAX];
    return Wide(FormatEnergy(std::string(speed.begin(), speed.end()).c_str(), out, sizeof out));
}

// The caption's close box: the square at its right end, where a person
// looks for it. (Under Xvfb Wine draws the frame itself.)
POINT CloseBox(HWND hwnd)
{
    TITLEBARINFO bar{sizeof bar, {}, {}};
    GetTitleBarInfo(hwnd, &bar);
    const RECT &rc = bar.rcTitleBar;
    return {rc.right - (rc.bottom - rc.top) / 2, (rc.top + rc.bottom) / 2};
}

class VelornDialog : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { app.reset(new Velorn); }
    static void TearDownTestSuite() { app.reset(); }
    // Each test starts with the dialog in front, where the last one left it.
    void SetUp() override
    {
        ASSERT_TRUE(app && WaitFor([] { return GetForegroundWindow() == app->Dialog(); }, 3000))
            << "Velorn's dialog is not in front";
    }

    // The control that the next key goes to.
    static HWND Focus()
    {
        GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
        GetGUIThreadInfo(GetWindowThreadProcessId(app->Dialog(), nullptr), &gui);
        return gui.hwndFocus;
    }
    // Moves the focus as Tab does, selecting the field's text.
    static void PutFocus(HWND control)
    {
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }

    // A box opened one way: it looks as its reference and belongs to the
    // dialog or to nobody; the key closes it and leaves the dialog as it was.
    void OpensAndCloses(const char *caption, const char *picture, bool owned,
                        const std::function<void()> &open, WORD key)
    {
        SetText(app->Item(IDC_RYCHLOST), L"72");
        Send(app->Dialog(), WM_COMMAND, IDOK);
        open();
        HWND box = app->WaitBox(Wide(caption).c_str());
        ASSERT_TRUE(box);
        EXPECT_TRUE(LooksAsReference(box, picture));
        EXPECT_EQ(GetWindow(box, GW_OWNER), owned ? app->Dialog() : nullptr);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
        Keys({key});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(app->Text(IDC_RYCHLOST) + L" " + app->Text(IDC_ENERGIE), L"72 3.120000");
    }

    static std::unique_ptr<Velorn> app;
};
std::unique_ptr<Velorn> VelornDialog::app;

// With no control given the focus, Wine's dialog manager puts it on OK.
TEST_F(VelornDialog, StartsCentredAsItsReference)
{
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(Centre(app->Dialog()).x, (work.left + work.right) / 2, 1);
    EXPECT_NEAR(Centre(app->Dialog()).y, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(LooksAsReference(app->Dialog(), "dialog-start"));
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
    for (HWND next : {ok, storno, help, about, field}) {
        Keys({VK_TAB});
        EXPECT_TRUE(WaitFor([&] { return Focus() == next; }));
    }
    for (HWND next : {about, help, storno, ok, field}) {
        Keys({VK_SHIFT, VK_TAB});
        EXPECT_TRUE(WaitFor([&] { return Focus() == next; }));
    }
}

// Speeds typed key by key, one far wider than the field, with results of
// 8, 26 and 313 characters (the longest finite one); Enter is OK's command.
TEST_F(VelornDialog, EnterShowsTheWholeResultOfEveryTypedSpeed)
{
    for (const std::wstring speed : {L"-20", L"50,5", L"1e8", L"2.7e103",
                                     L"  00000000000000000000000000000000000009612.61000 km/h"}) {
        SCOPED_TRACE(speed);
        PutFocus(app->Item(IDC_RYCHLOST));
        Type(speed);
        EXPECT_TRUE(WaitFor([&] { return app->Text(IDC_RYCHLOST) == speed; }));
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return app->Text(IDC_ENERGIE) == Calculated(speed); }))
            << "shows " << ::testing::PrintToString(app->Text(IDC_ENERGIE));
    }
}

// Pasted, as Wine lays out as many typed digits slowly: of 65,535
// characters the 65,535th is not read, so 100 becomes 10.
TEST_F(VelornDialog, ReadsAtMost65534CharactersOfTheSpeed)
{
    for (int blanks : {65531, 65532}) {
        SetText(app->Item(IDC_RYCHLOST), std::wstring(blanks, L' ') + L"100");
        EXPECT_TRUE(app->Press(L"OK"));
        EXPECT_EQ(app->Text(IDC_ENERGIE), blanks == 65531 ? L"8.359053" : L"0.008359");
    }
}

// Each box is Enter on its button; the dialog waits for its OK.
TEST_F(VelornDialog, HelpAndAboutBoxesBelongToTheDialog)
{
    const HWND help = app->Button(L"Nápověda"), about = app->Button(L"O programu");
    OpensAndCloses(
        HELP_CAPTION, "box-help", true,
        [&] {
            PutFocus(help);
            Keys({VK_RETURN});
        },
        VK_RETURN);
    OpensAndCloses(
        ABOUT_CAPTION, "box-about", true,
        [&] {
            PutFocus(about);
            Keys({VK_RETURN});
        },
        VK_ESCAPE);
}

// Every way to quit asks first, in a box of nobody's with No preselected:
// Enter keeps all, as does Esc, which Wine makes IDCANCEL. Yes and No are
// Windows' words, in the user's language.
TEST_F(VelornDialog, EveryWayToQuitAsksFirstAndNoKeepsAll)
{
    const char *quit =
        PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CZECH ? "box-quit" : "box-quit-en";
    const HWND dlg = app->Dialog(), field = app->Item(IDC_RYCHLOST),
               storno = app->Button(L"Storno");
    const struct {
        const char *way;
        std::function<void()> open;
        WORD answer;
    } ways[] = {
        {"Esc in the field",
         [&] {
             PutFocus(field);
             Keys({VK_ESCAPE});
         },
         VK_RETURN},
        {"Enter on Storno",
         [&] {
             PutFocus(storno);
             Keys({VK_RETURN});
         },
         VK_ESCAPE},
        {"Storno clicked", [&] { app->Press(L"Storno"); }, VK_RETURN},
        {"Alt+F4",
         [] {
             Keys({VK_MENU, VK_F4});
         },
         VK_ESCAPE},
        {"close box", [&] { ClickAt(CloseBox(dlg)); }, VK_RETURN},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        OpensAndCloses(QUIT_CAPTION, quit, false, w.open, w.answer);
    }
}

// Stornos faster than any hand open three boxes at most, and OK still
// calculates beneath them: posted last, it is handled last. One more,
// through the close box, brings the newest to the front. No in the newest,
// Yes in the oldest, No: Velorn ends once, with 2.
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
    ClickAt(CloseBox(dlg));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == quits[0]; }));
    EXPECT_TRUE(Answer(quits[0], IDNO));
    EXPECT_TRUE(Answer(quits[2], IDYES));
    EXPECT_TRUE(Answer(quits[1], IDNO));
    EXPECT_EQ(app->WaitExit(), 2u);
}

} // namespace
