// The real Velorn.exe (as VELORN_EXE names it, else beside this test) as a
// person meets it, worked with real clicks and keys on one launch, which
// the last test quits.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WinAPI_27.h"
#include "driver.h"
#include "energy.h"
#include "resource.h"
#include "texts.h"

// A window, frame included, against tests/reference/<name>.png (pictures.cpp).
::testing::AssertionResult LooksAsReference(HWND window, const char *name);

namespace
{

// Waits until get() gives want; if it never does, says what it gave last.
template <class Get, class T>::testing::AssertionResult Becomes(Get get, const T &want)
{
    T got = get();
    if (WaitFor([&] { return (got = get()) == want; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << ::testing::PrintToString(got) << ", expected "
           << ::testing::PrintToString(want) << " for " << WAIT_MS << " ms";
}

class VelornDialog : public ::testing::Test
{
  protected:
    // Starting Velorn under Wine is slow: once for all.
    static void SetUpTestSuite() { app = new Velorn; }
    static void TearDownTestSuite() { delete app; }
    void SetUp() override { ASSERT_TRUE(app) << "Velorn did not start"; }

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
    app->Press(LABEL_OK);
    EXPECT_TRUE(LooksAsReference(app->Dialog(), "dialog-result"));
}

TEST_F(VelornDialog, TabAndShiftTabGoRoundTheControlsInTemplateOrder)
{
    const HWND field = app->Item(IDC_RYCHLOST), ok = app->Button(LABEL_OK),
               storno = app->Button(LABEL_STORNO), help = app->Button(LABEL_NAPOVEDA),
               about = app->Button(LABEL_OPROGRAMU);
    ClickAt(Centre(field));
    // Five Tabs round, then five Shift+Tabs back.
    const HWND order[] = {ok, storno, help, about, field, about, help, storno, ok, field};
    GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    for (int key = 0; key < 10; ++key) {
        key < 5 ? Keys({VK_TAB}) : Keys({VK_SHIFT, VK_TAB});
        EXPECT_TRUE(Becomes(
            [&] { return GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr; }, order[key]))
            << "the focus (control " << GetDlgCtrlID(gui.hwndFocus) << ") after key " << key;
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
        EXPECT_TRUE(Becomes([&] { return app->Text(IDC_ENERGIE); }, Wide(calculated)));
    }
}

// Each box, opened by a key or click on a control, looks as its reference,
// owned by the dialog, or by nobody if it asks to quit, with No preselected:
// Enter keeps all, as does Esc, which Wine makes IDCANCEL. The close box
// takes Alt+F4's way (SC_CLOSE); the pictures show it drawn. Closed, a box
// leaves the screen as `after`: the dialog alone as left (a stray OK would
// show).
TEST_F(VelornDialog, EveryBoxLooksAsItsReferenceAndLeavesTheDialogAsItWas)
{
    const HWND field = app->Item(IDC_RYCHLOST);
    const struct {
        const char *way;
        HWND control;
        WORD modifier, key;
        const char *caption, *picture;
        WORD answer;
        const char *after;
    } ways[] = {
        {"Enter on Nápověda", app->Button(LABEL_NAPOVEDA), 0, VK_RETURN, HELP_CAPTION, "box-help",
         VK_RETURN, "screen-after-help"},
        {"Enter on O programu", app->Button(LABEL_OPROGRAMU), 0, VK_RETURN, ABOUT_CAPTION,
         "box-about", VK_ESCAPE, "screen-after-about"},
        {"Esc in the field", field, 0, VK_ESCAPE, QUIT_CAPTION, "box-quit", VK_RETURN,
         "screen-after-quit-field"},
        {"Storno clicked", app->Button(LABEL_STORNO), 0, 0, QUIT_CAPTION, "box-quit", VK_ESCAPE,
         "screen-after-quit-storno"},
        {"Alt+F4", field, VK_MENU, VK_F4, QUIT_CAPTION, "box-quit", VK_RETURN,
         "screen-after-quit-field"},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        SetText(field, L"72");
        Send(app->Dialog(), WM_COMMAND, IDOK);
        SetText(field, L"100");
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(w.control), TRUE);
        if (!w.key)
            ClickAt(Centre(w.control));
        else
            w.modifier ? Keys({w.modifier, w.key}) : Keys({w.key});
        const HWND box = app->WaitBox(Wide(w.caption).c_str());
        ASSERT_TRUE(box) << "no box \"" << w.caption << "\" appeared within " << WAIT_MS << " ms";
        EXPECT_TRUE(LooksAsReference(box, w.picture));
        EXPECT_EQ(GetWindow(box, GW_OWNER), w.caption == QUIT_CAPTION ? nullptr : app->Dialog());
        Keys({w.answer}); // the picture shows the box active
        EXPECT_TRUE(Becomes([&] { return IsWindow(box) != FALSE; }, false)) << "the box is open";
        EXPECT_TRUE(app->Settle()) << "Velorn busy for " << WAIT_MS << " ms";
        EXPECT_TRUE(LooksAsReference(GetDesktopWindow(), w.after));
    }
}

// Stornos faster than any hand open MAX_CONFIRMATIONS boxes at most; OK,
// posted last, still calculates beneath them. Alt+F4 then brings the newest
// forward. No, Yes in the oldest, No: Velorn ends with 2.
TEST_F(VelornDialog, StornosOpenThreeBoxesAtMostAndOneYesQuitsWith2)
{
    const HWND dlg = app->Dialog();
    SetText(app->Item(IDC_RYCHLOST), L"36");
    for (int i = 0; i < 2000; ++i)
        Check(PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0), "PostMessageW", L"IDCANCEL");
    Check(PostMessageW(dlg, WM_COMMAND, IDOK, 0), "PostMessageW", L"IDOK");
    EXPECT_TRUE(Becomes([&] { return app->Text(IDC_ENERGIE); }, std::wstring(L"0.390000")));
    const std::vector<HWND> quits = WindowsOf(app->Pid(), Wide(QUIT_CAPTION).c_str());
    ASSERT_EQ(quits.size(), static_cast<size_t>(MAX_CONFIRMATIONS)); // newest first
    ClickAt(Centre(app->Item(IDC_RYCHLOST)));
    EXPECT_TRUE(Becomes(GetForegroundWindow, dlg)) << "the dialog active";
    Keys({VK_MENU, VK_F4});
    EXPECT_TRUE(Becomes(GetForegroundWindow, quits[0])) << "the newest box active";
    Answer(quits[0], IDNO);
    Answer(quits[2], IDYES); // the oldest
    Answer(quits[1], IDNO);
    EXPECT_EQ(app->WaitExit(), 2u);
}

} // namespace
