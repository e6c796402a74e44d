// The real Velorn.exe (beside this test, or as VELORN_EXE names it), worked
// with real clicks and keys; starting it is slow, so each launch checks much.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "driver.h"
#include "energy.h"
#include "resource.h"
#include "texts.h"

namespace
{

std::wstring Exe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
}

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

// Whether a message box shows this standard icon: it is drawn here as the
// box's icon control draws it, on the same background, and compared.
bool Shows(HWND box, LPCSTR icon)
{
    const Picture shown = Capture(GetDlgItem(box, 0x0440), true);
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, shown.width, shown.height);
    SelectObject(dc, bmp);
    const DWORD back = shown.width ? shown.At(0, 0) : 0;
    SetDCBrushColor(dc, RGB(back >> 16, back >> 8 & 0xFF, back & 0xFF));
    RECT all{0, 0, shown.width, shown.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    DrawIconEx(dc, 0, 0, LoadIconA(nullptr, icon), 0, 0, 0, nullptr, DI_NORMAL);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    const bool same = shown.width && Pixels(bmp).pixels == shown.pixels;
    DeleteObject(bmp);
    return same;
}

TEST(Velorn, StartsCentredTakesTheKeyboardPaintsAndEndsOnce)
{
    Velorn app(Exe());
    HWND dlg = app.Dialog(), field = app.Item(IDC_RYCHLOST);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(Centre(dlg).x, (work.left + work.right) / 2, 1);
    EXPECT_NEAR(Centre(dlg).y, (work.top + work.bottom) / 2, 1);
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"0.00");
    // No control is given the focus, so keys go nowhere until the field is
    // clicked. (Wine's dialog manager then focuses OK.)
    HWND ok = app.Button(L"OK"), focus = Focus(dlg);
    EXPECT_TRUE(focus == nullptr || focus == dlg || focus == ok);
    Type(L"5");
    ClickAt(Centre(field));

    // Speeds typed key by key, one far wider than the field, and results of
    // every length up to the longest finite one arrive whole. Tab goes round
    // every control that takes input in the template's order (Shift+Tab
    // back) and selects the field's text; Enter there is OK's command.
    HWND storno = app.Button(L"Storno"), help = app.Button(L"Nápověda"),
         about = app.Button(L"O programu");
    const HWND forth[] = {ok, storno, help, about, field},
               back[] = {about, help, storno, ok, field};
    const std::wstring speeds[] = {
        L"100", L"-20",     L"50,5",
        L"1e8", L"2.7e103", L"  00000000000000000000000000000000000009612.61000 km/h"};
    for (const std::wstring &speed : speeds) {
        SCOPED_TRACE(speed);
        for (HWND next : speed == speeds[2] ? back : forth)
            if (speed != speeds[0]) {
                speed == speeds[2] ? Keys({VK_SHIFT, VK_TAB}) : Keys({VK_TAB});
                ASSERT_TRUE(WaitFor([&] { return Focus(dlg) == next; }));
            }
        Type(speed);
        EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_RYCHLOST) == speed; }));
        Keys({VK_RETURN});
        WaitFor([&] { return app.Text(IDC_ENERGIE) == Calculated(speed); });
        EXPECT_EQ(app.Text(IDC_ENERGIE), Calculated(speed));
    }
    EXPECT_EQ(Calculated(speeds[3]).size(), 26u);
    EXPECT_EQ(Calculated(speeds[4]).size(), 313u);

    // At most 65,534 characters are read: pasted blanks (Wine lays out as
    // many digits slowly).
    for (int blanks : {65531, 65532}) {
        std::wstring speed = std::wstring(blanks, L' ') + L"100";
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(speed.c_str()));
        app.Press(L"OK");
        EXPECT_EQ(app.Text(IDC_ENERGIE), blanks == 65531 ? L"8.359053" : L"0.008359"); // 10
    }

    // The picture, scaled: 170 dialog units, at 8 to a line of the 8-point
    // font, are 170/72 of an inch high.
    Sleep(300); // the result field repaints
    Picture pic = Capture(dlg, true);
    EXPECT_GE(pic.height, MulDiv(170, GetDpiForSystem(), 72));
    // In the right sixth, beyond the buttons, only the exe's background
    // bitmap, tiled from the corner. (The bitmap stays loaded till the end.)
    const Picture tile =
        Pixels(LoadBitmapW(LoadLibraryExW(Exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
                           MAKEINTRESOURCEW(IDB_POZADI)));
    ASSERT_GT(tile.width, 0);
    int wrong = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = pic.width * 5 / 6; x < pic.width; ++x)
            wrong += pic.At(x, y) != tile.At(x % tile.width, y % tile.height);
    EXPECT_EQ(wrong, 0);
    // Light cyan letters straight on the pattern: in the labels, the group
    // box caption and the result, with no white behind the label's letters.
    for (int id : {65535, 65533, 65534, IDC_ENERGIE}) {
        const std::vector<DWORD> shown = Capture(GetDlgItem(dlg, id), true).pixels;
        EXPECT_GT(std::count(shown.begin(), shown.end(), 0xA0FFFFu), 30) << id;
        EXPECT_TRUE(id != 65535 || std::count(shown.begin(), shown.end(), 0xFFFFFFu) == 0);
    }

    // Stornos faster than any hand open three boxes at most, and OK still
    // calculates beneath them: posted last, it is handled last.
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"36"));
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

// Every box, opened in every way, shows its whole Windows-1250 text (right
// through code page 1250 under any locale), its icon and its buttons. Help
// and about are owned by the dialog; the quit box has no owner and No
// preselected, so Enter keeps all, as does Esc, which Wine makes IDCANCEL.
TEST(Velorn, Boxes)
{
    Velorn app(Exe());
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
    const struct {
        const char *way;
        std::function<void()> open;
        const char *caption, *text;
        WORD answer;
    } ways[] = {
        {"Enter on Nápověda", [&] { tabs(3, VK_RETURN); }, HELP_CAPTION, HELP_TEXT, VK_RETURN},
        {"Enter on O programu", [&] { tabs(1, VK_RETURN); }, ABOUT_CAPTION, ABOUT_TEXT, VK_ESCAPE},
        {"Esc in the field", [&] { tabs(1, VK_ESCAPE); }, QUIT_CAPTION, QUIT_TEXT, VK_RETURN},
        {"Enter on Storno", [&] { tabs(-3, VK_RETURN); }, QUIT_CAPTION, QUIT_TEXT, VK_ESCAPE},
        {"Storno clicked", [&] { app.Press(L"Storno"); }, QUIT_CAPTION, QUIT_TEXT, VK_RETURN},
        {"Alt+F4", [&] { tabs(0, VK_F4, VK_MENU); }, QUIT_CAPTION, QUIT_TEXT, VK_ESCAPE},
        {"close box", [&] { ClickAt(CloseBox(dlg)); }, QUIT_CAPTION, QUIT_TEXT, VK_RETURN},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        const bool quit = w.caption == QUIT_CAPTION;
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
        w.open();
        HWND box = app.WaitBox(Wide(w.caption).c_str());
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), Wide(w.text));
        EXPECT_TRUE(WaitFor([&] { return Shows(box, quit ? IDI_QUESTION : IDI_INFORMATION); }));
        std::set<int> buttons;
        for (HWND button : Buttons(box))
            buttons.insert(GetDlgCtrlID(button));
        EXPECT_EQ(buttons, (quit ? std::set<int>{IDYES, IDNO} : std::set<int>{IDOK}));
        EXPECT_EQ(GetWindow(box, GW_OWNER), quit ? nullptr : dlg);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
        Keys({w.answer});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(app.Text(IDC_RYCHLOST) + L" " + app.Text(IDC_ENERGIE), L"72 3.120000");
    }
}

} // namespace
