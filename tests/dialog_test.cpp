// The real Velorn.exe under Wine (beside this test, or as VELORN_EXE names
// it), worked as a person works it: buttons found by their text and clicked,
// keys typed. Starting it is the slow part, so each launch checks much.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "resource.h"
#include "texts.h"

namespace
{

const std::wstring kQuit = Wide(QUIT_CAPTION);

std::wstring Exe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
}

// Puts the speed into the field, as a paste would, and presses OK.
std::wstring Calculate(const Velorn &app, const std::wstring &speed)
{
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(speed.c_str()));
    app.Press(L"OK");
    return app.Text(IDC_ENERGIE);
}

// A control's rectangle in its dialog's client area.
RECT Place(HWND control)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT *>(&rc), 2);
    return rc;
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

TEST(Velorn, StartsCentredCalculatesAndPaints)
{
    Velorn app(Exe());
    HWND dlg = app.Dialog();
    RECT rc, screen;
    GetWindowRect(dlg, &rc);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    EXPECT_NEAR(rc.left + rc.right, screen.left + screen.right, 1);
    EXPECT_NEAR(rc.top + rc.bottom, screen.top + screen.bottom, 1);
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"0.00");
    // No control is given the focus at start, so what is typed goes nowhere
    // until the field is clicked. (As it activates the dialog, Wine's dialog
    // manager puts the focus on the first tab stop, OK.)
    GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gui);
    EXPECT_TRUE(gui.hwndFocus == nullptr || gui.hwndFocus == dlg ||
                gui.hwndFocus == app.Button(L"OK"));
    Type(L"5");
    ClickAt(Centre(app.Item(IDC_RYCHLOST)));
    Type(L"100");
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_RYCHLOST) == L"100"; }));
    // Enter in the field is the default button's command.
    Keys({VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"8.359053"; }));

    // Every press of OK reads the field anew; the field gives at most
    // 65,534 characters. Blanks, not digits: Wine's edit control takes
    // seconds to lay out tens of thousands of glyphs.
    const struct {
        std::wstring speed;
        const wchar_t *result;
    } presses[] = {
        {L"9612.61", L"7424736.964118"}, // the order of the arithmetic shows
        {std::wstring(65531, L' ') + L"100", L"8.359053"},
        {std::wstring(65532, L' ') + L"100", L"0.008359"}, // read as 10
    };
    for (const auto &p : presses)
        EXPECT_EQ(Calculate(app, p.speed), p.result) << p.speed.size() << " characters";

    // The picture, scaled: the 8-point font is 8/72 of an inch high, 8
    // vertical dialog units, so the 170 of the client area take 170/72 inch.
    Sleep(300); // the result field repaints
    Picture pic = Capture(dlg, true);
    EXPECT_GE(pic.height, MulDiv(170, GetDpiForSystem(), 72));
    // Outside the controls: the background bitmap, tiled from the corner.
    HMODULE exe = LoadLibraryExW(Exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP bmp = LoadBitmapW(exe, MAKEINTRESOURCEW(IDB_POZADI));
    Picture tile = Pixels(bmp);
    DeleteObject(bmp);
    FreeLibrary(exe);
    ASSERT_GT(tile.width, 0);
    std::vector<RECT> controls;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        controls.push_back(Place(c));
    int background = 0, wrong = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            POINT pt = {x, y};
            if (std::none_of(controls.begin(), controls.end(),
                             [&](const RECT &r) { return PtInRect(&r, pt); })) {
                ++background;
                wrong += pic.At(x, y) != tile.At(x % tile.width, y % tile.height);
            }
        }
    EXPECT_GT(background, pic.width * pic.height / 2);
    EXPECT_EQ(wrong, 0);
    // The labels, the group box caption and the result: light cyan letters
    // straight on the pattern. Behind the labels' letters no white, which
    // an opaque text background would be (the other two have white edges).
    for (int id : {65535, 65533, 65534, IDC_ENERGIE}) {
        RECT r = Place(GetDlgItem(dlg, id)), shown = {0, 0, pic.width, pic.height};
        IntersectRect(&r, &r, &shown);
        int cyan = 0, white = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                cyan += pic.At(x, y) == 0xA0FFFF;
                white += pic.At(x, y) == 0xFFFFFF;
            }
        EXPECT_GT(cyan, 30) << id;
        if (id == 65535 || id == 65533) {
            EXPECT_EQ(white, 0) << id;
        }
    }
}

TEST(Velorn, BoxesAndQuitting)
{
    Velorn app(Exe());
    HWND dlg = app.Dialog();
    EXPECT_EQ(Calculate(app, L"72"), L"3.120000");
    // Help and about: Windows-1250 texts, read right through code page 1250
    // under any locale; owned by the dialog, which waits, unchanged.
    const struct {
        const wchar_t *button, *caption, *begins;
    } boxes[] = {
        {L"Nápověda", L"Návod",
         L"\nProgram je stále ve fázi testování, proto autor nenese\n žádnou odpovědnost"},
        {L"O programu", L"O programu Velorn", L"Version \nVelorn.0.1\n\n\nDěkuji"},
    };
    for (const auto &b : boxes) {
        SCOPED_TRACE(b.button);
        ASSERT_TRUE(app.Press(b.button));
        HWND box = app.WaitBox(b.caption);
        ASSERT_TRUE(box);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dlg);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).find(b.begins), 0u);
        EXPECT_TRUE(Answer(box, IDOK));
    }
    // Every way to quit asks first, in a box without owner and with No
    // preselected: Enter there keeps all, and so does Esc, which Wine
    // answers with IDCANCEL.
    auto asks = [&](const char *way, WORD answer, auto quit) {
        SCOPED_TRACE(way);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
        quit();
        HWND box = app.WaitBox(kQuit.c_str());
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), Wide(QUIT_TEXT));
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
        Keys({answer});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    };
    asks("Storno", VK_RETURN, [&] { app.Press(L"Storno"); });
    asks("Esc", VK_RETURN, [] { Keys({VK_ESCAPE}); });
    asks("Alt+F4", VK_ESCAPE, [] { Keys({VK_MENU, VK_F4}); });
    asks("close box", VK_RETURN, [&] { ClickAt(CloseBox(dlg)); });
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"3.120000");

    // A storm of Stornos, faster than any hand, opens three boxes at most,
    // and OK still calculates beneath them: posted last, it is handled last.
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"36"));
    for (int i = 0; i < 2000; ++i)
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }));
    std::vector<HWND> quits = WindowsOf(app.Pid(), kQuit.c_str()); // newest first
    ASSERT_EQ(quits.size(), 3u);
    // One more, through the close box, which the boxes leave uncovered,
    // brings the newest to the front instead.
    ClickAt(Centre(app.Item(IDC_RYCHLOST)));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dlg; }));
    ClickAt(CloseBox(dlg));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == quits[0]; }));
    // Its close box, which Wine answers with IDCANCEL, quits nothing. Yes in
    // the oldest and No in the other end Velorn once, with status 2.
    ClickAt(CloseBox(quits[0]));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(quits[0]); }));
    EXPECT_TRUE(Answer(quits[2], IDYES));
    EXPECT_TRUE(Answer(quits[1], IDNO));
    EXPECT_EQ(app.WaitExit(), 2u);
}

} // namespace
