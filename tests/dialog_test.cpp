// The real Velorn.exe (beside this test, or as VELORN_EXE names it), worked
// with real clicks and keys; starting it is slow, so each launch checks much.
#include <windows.h>

#include <functional>

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

// The control that the next key goes to.
HWND Focus(HWND dlg)
{
    GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gui);
    return gui.hwndFocus;
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

TEST(Velorn, StartsCentredTakesTheKeyboardPaintsAndEndsOnce)
{
    Velorn app;
    HWND dlg = app.Dialog(), field = app.Item(IDC_RYCHLOST);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(Centre(dlg).x, (work.left + work.right) / 2, 1);
    EXPECT_NEAR(Centre(dlg).y, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(LooksAsReference(dlg, "dialog-start"));
    // No control is given the focus, so keys go nowhere until the field is
    // clicked. (Wine's dialog manager then focuses OK.)
    HWND ok = app.Button(L"OK"), focus = Focus(dlg);
    EXPECT_TRUE(focus == nullptr || focus == dlg || focus == ok);
    Type(L"5");
    ClickAt(Centre(field));
    // A speed typed and OK clicked: the whole dialog with its result.
    Type(L"100");
    app.Press(L"OK");
    EXPECT_TRUE(LooksAsReference(dlg, "dialog-result"));
    ClickAt(Centre(field));

    // Speeds typed key by key, one far wider than the field, and results of
    // every length up to the longest finite one arrive whole. Tab goes round
    // every control that takes input in the template's order (Shift+Tab
    // back) and selects the field's text; Enter there is OK's command.
    HWND storno = app.Button(L"Storno"), help = app.Button(L"Nápověda"),
         about = app.Button(L"O programu");
    const HWND forth[] = {ok, storno, help, about, field},
               back[] = {about, help, storno, ok, field};
    const std::wstring speeds[] = {L"-20", L"50,5", L"1e8", L"2.7e103",
                                   L"  00000000000000000000000000000000000009612.61000 km/h"};
    for (const std::wstring &speed : speeds) {
        SCOPED_TRACE(speed);
        for (HWND next : speed == speeds[1] ? back : forth) {
            speed == speeds[1] ? Keys({VK_SHIFT, VK_TAB}) : Keys({VK_TAB});
            ASSERT_TRUE(WaitFor([&] { return Focus(dlg) == next; }));
        }
        Type(speed);
        EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_RYCHLOST) == speed; }));
        Keys({VK_RETURN});
        WaitFor([&] { return app.Text(IDC_ENERGIE) == Calculated(speed); });
        EXPECT_EQ(app.Text(IDC_ENERGIE), Calculated(speed));
    }
    EXPECT_EQ(Calculated(speeds[2]).size(), 26u);
    EXPECT_EQ(Calculated(speeds[3]).size(), 313u);

    // At most 65,534 characters are read: pasted blanks (Wine lays out as
    // many digits slowly).
    for (int blanks : {65531, 65532}) {
        std::wstring speed = std::wstring(blanks, L' ') + L"100";
        SetText(field, speed);
        app.Press(L"OK");
        EXPECT_EQ(app.Text(IDC_ENERGIE), blanks == 65531 ? L"8.359053" : L"0.008359"); // 10
    }

    // Stornos faster than any hand open three boxes at most, and OK still
    // calculates beneath them: posted last, it is handled last.
    SetText(field, L"36");
    for (int i = 0; i < 2000; ++i)
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }));
    std::vector<HWND> quits = WindowsOf(app.Pid(), Wide(QUIT_CAPTION).c_str()); // newest first
    ASSERT_EQ(quits.size(), 3u);
    // One more, through the close box, brings the newest to the front.
    ClickAt(Centre(field));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
    ClickAt(CloseBox(dlg));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == quits[0]; }));
    // No in the newest, Yes in the oldest, No: Velorn ends once, with 2.
    for (int box : {0, 2, 1})
        EXPECT_TRUE(Answer(quits[box], box == 2 ? IDYES : IDNO)) << box;
    EXPECT_EQ(app.WaitExit(), 2u);
}

// Every box, opened in every way, looks as its reference: its Windows-1250
// text (right through code page 1250 under any locale), its icon and its
// buttons. Help and about are owned by the dialog; the quit box has no owner
// and No preselected, so Enter keeps all, as does Esc, which Wine makes
// IDCANCEL. Yes and No are Windows' words, in the user's language.
TEST(Velorn, Boxes)
{
    Velorn app;
    HWND dlg = app.Dialog();
    ClickAt(Centre(app.Item(IDC_RYCHLOST)));
    Type(L"72");
    Keys({VK_RETURN});
    // Tab n times (Shift+Tab where n < 0), then a key, with Alt if asked.
    auto tabs = [](int n, WORD key, WORD alt = 0) {
        for (; n > 0; --n)
            Keys({VK_TAB});
        for (; n < 0; ++n)
            Keys({VK_SHIFT, VK_TAB});
        alt ? Keys({alt, key}) : Keys({key});
    };
    const char *quit =
        PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CZECH ? "box-quit" : "box-quit-en";
    const struct {
        const char *way;
        std::function<void()> open;
        const char *caption, *picture;
        WORD answer;
    } ways[] = {
        {"Enter on Nápověda", [&] { tabs(3, VK_RETURN); }, HELP_CAPTION, "box-help", VK_RETURN},
        {"Enter on O programu", [&] { tabs(1, VK_RETURN); }, ABOUT_CAPTION, "box-about", VK_ESCAPE},
        {"Esc in the field", [&] { tabs(1, VK_ESCAPE); }, QUIT_CAPTION, quit, VK_RETURN},
        {"Enter on Storno", [&] { tabs(-3, VK_RETURN); }, QUIT_CAPTION, quit, VK_ESCAPE},
        {"Storno clicked", [&] { app.Press(L"Storno"); }, QUIT_CAPTION, quit, VK_RETURN},
        {"Alt+F4", [&] { tabs(0, VK_F4, VK_MENU); }, QUIT_CAPTION, quit, VK_ESCAPE},
        {"close box", [&] { ClickAt(CloseBox(dlg)); }, QUIT_CAPTION, quit, VK_RETURN},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
        w.open();
        HWND box = app.WaitBox(Wide(w.caption).c_str());
        ASSERT_TRUE(box);
        EXPECT_TRUE(LooksAsReference(box, w.picture));
        EXPECT_EQ(GetWindow(box, GW_OWNER), w.caption == QUIT_CAPTION ? nullptr : dlg);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
        Keys({w.answer});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(app.Text(IDC_RYCHLOST) + L" " + app.Text(IDC_ENERGIE), L"72 3.120000");
    }
}

} // namespace
