// The real Velorn.exe under Wine, driven from this process as a user would:
// the 64-bit one beside this test, or the one VELORN_EXE names. Starting
// Velorn is the slow part, so each launch checks many things.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "resource.h"

namespace
{

const wchar_t *kQuit = L"Potvrzení ukončení";
const DWORD kCyan = 0xA0FFFF;

std::wstring Exe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
}

// A control's rectangle in its dialog's client area.
RECT Place(HWND control)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, GetParent(control), (POINT *)&rc, 2);
    return rc;
}

TEST(Velorn, CalculatesAndPaints)
{
    Velorn app(Exe());
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"0.00");
    // Every press reads the field anew; the field gives at most 65,534
    // characters. Blanks, not digits: Wine's edit control takes seconds to
    // lay out tens of thousands of glyphs.
    const struct {
        std::wstring speed;
        const wchar_t *result;
    } presses[] = {
        {L"100", L"8.359053"},
        {L"  130 km/h", L"18.364841"},
        {L"-0", L"-0.000000"},
        {L"4536.02", L"780156.959445"}, // the order of the arithmetic shows
        {L"č100", L"0.000000"},
        {std::wstring(65531, L' ') + L"100", L"8.359053"},
        {std::wstring(65532, L' ') + L"100", L"0.008359"}, // read as 10
    };
    for (const auto &p : presses)
        EXPECT_EQ(app.Calculate(p.speed), p.result) << p.speed.size() << " characters";
    // Enter in the speed field is the default button's command.
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)L"36");
    PostMessageW(app.Item(IDC_RYCHLOST), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }));

    // The picture. The Wine prefix of the tests runs at 144 DPI, where an
    // 8-point font is 16 pixels high: the 170 dialog units of the client
    // area are at least 170 * 16 / 8 pixels.
    HWND dlg = app.Dialog();
    Sleep(300); // the result field repaints
    Picture pic = Capture(dlg, true);
    EXPECT_GE(pic.height, 340);
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
                             [&](const RECT &rc) { return PtInRect(&rc, pt); })) {
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
        RECT rc = Place(GetDlgItem(dlg, id)), shown = {0, 0, pic.width, pic.height};
        IntersectRect(&rc, &rc, &shown);
        int cyan = 0, white = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                cyan += pic.At(x, y) == kCyan;
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
    EXPECT_EQ(app.Calculate(L"72"), L"3.120000");
    // Help and about: Windows-1250 texts, shown here in UTF-16 by Wine's
    // code page 1250; owned by the dialog, which waits, unchanged.
    const struct {
        int button;
        const wchar_t *caption, *begins;
    } boxes[] = {
        {IDC_NAPOVEDA, L"Návod", L"\nProgram je stále ve fázi testování, proto autor nenese\n"},
        {IDC_OPROGRAMU, L"O programu Velorn", L"Version \nVelorn.0.1\n\n\nDěkuji"},
    };
    for (const auto &b : boxes) {
        HWND box = app.Open(b.button, b.caption);
        ASSERT_TRUE(box) << b.button;
        EXPECT_EQ(GetWindow(box, GW_OWNER), app.Dialog());
        EXPECT_FALSE(IsWindowEnabled(app.Dialog()));
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).find(b.begins), 0u);
        Velorn::Answer(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Dialog()); }));
    }
    // Storno, Esc and the close box ask, ownerless with No preselected; No
    // keeps all.
    const UINT ways[][2] = {
        {WM_COMMAND, IDCANCEL}, {WM_KEYDOWN, VK_ESCAPE}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto &w : ways) {
        SCOPED_TRACE(w[0]);
        PostMessageW(app.Dialog(), w[0], w[1], 0);
        HWND box = app.WaitBox(kQuit);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
                  L"Opravdu si přejete ukončit tento program?");
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_EQ(GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        Velorn::Answer(box, IDNO);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    }
    EXPECT_TRUE(IsWindowVisible(app.Dialog()));
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"3.120000");
    // A storm of Stornos opens three boxes at most, and OK still calculates
    // beneath them: posted last, it is handled last.
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)L"36");
    for (int i = 0; i < 2000; ++i)
        app.Click(IDCANCEL);
    app.Click(IDOK);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }));
    std::vector<HWND> quits = WindowsOf(app.Pid(), kQuit); // newest first
    ASSERT_EQ(quits.size(), 3u);
    // One more Storno brings the newest to the front instead.
    SetForegroundWindow(app.Dialog());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.Dialog(); }));
    app.Click(IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == quits[0]; }));
    // Esc there, which Wine answers with IDCANCEL, quits nothing. Yes in the
    // oldest and No in the other end Velorn once, with status 2.
    PostMessageW(quits[0], WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(quits[0]); }));
    EXPECT_EQ(app.Calculate(L"72"), L"3.120000");
    EXPECT_TRUE(IsWindowVisible(app.Dialog()));
    Velorn::Answer(quits[2], IDYES);
    Velorn::Answer(quits[1], IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

} // namespace
