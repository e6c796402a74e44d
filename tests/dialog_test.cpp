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

void Key(HWND hwnd, UINT vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
}

// A control's whole or client rectangle, in its dialog's client coordinates.
RECT Place(HWND control, bool client)
{
    RECT rc;
    if (client)
        GetClientRect(control, &rc);
    else
        GetWindowRect(control, &rc);
    MapWindowPoints(client ? control : nullptr, GetParent(control), (POINT *)&rc, 2);
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
        {L"-20", L"0.000000"},
        {L"-0", L"-0.000000"},
        {L"- 5", L"0.000000"},
        {L"1e104", L"inf"},
        {L"č100", L"0.000000"},
        {std::wstring(65531, L' ') + L"100", L"8.359053"},
        {std::wstring(65532, L' ') + L"100", L"0.008359"}, // read as 10
    };
    for (const auto &p : presses)
        EXPECT_EQ(app.Calculate(p.speed), p.result) << p.speed.size() << " characters";
    // Enter in the speed field is the default button's command.
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)L"36");
    Key(app.Item(IDC_RYCHLOST), VK_RETURN);
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
        controls.push_back(Place(c, false));
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
    // straight on the pattern. An opaque text background would be white,
    // which no mix of cyan with red or black is (the group box's etched
    // frame has white of its own).
    for (int id : {65535, 65534, IDC_ENERGIE, 65533}) {
        RECT rc = Place(GetDlgItem(dlg, id), true), shown = {0, 0, pic.width, pic.height};
        IntersectRect(&rc, &rc, &shown);
        int cyan = 0, white = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                cyan += pic.At(x, y) == kCyan;
                white += pic.At(x, y) == 0xFFFFFF;
            }
        EXPECT_GT(cyan, 30) << id;
        EXPECT_EQ(id == 65534 ? 0 : white, 0) << id;
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
        const wchar_t *caption, *begins, *contains;
    } boxes[] = {
        {IDC_NAPOVEDA, L"Návod", L"\nProgram je stále ve fázi testování, proto autor nenese\n",
         L"průřezem 2metry\nčtvereční.\n"},
        {IDC_OPROGRAMU, L"O programu Velorn", L"Version \nVelorn.0.1\n\n\nDěkuji", L"\n2005"},
    };
    for (const auto &b : boxes) {
        HWND box = app.Open(b.button, b.caption);
        ASSERT_TRUE(box) << b.button;
        EXPECT_EQ(GetWindow(box, GW_OWNER), app.Dialog());
        EXPECT_FALSE(IsWindowEnabled(app.Dialog()));
        std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        EXPECT_EQ(text.find(b.begins), 0u);
        EXPECT_NE(text.find(b.contains), std::wstring::npos);
        Velorn::Answer(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Dialog()); }));
    }
    // Each way to quit asks, ownerless with No preselected; No keeps all.
    const struct {
        const char *name;
        UINT msg;
        WPARAM wParam;
    } ways[] = {
        {"Storno", WM_COMMAND, IDCANCEL},
        {"Esc", WM_KEYDOWN, VK_ESCAPE},
        {"close box", WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.name);
        PostMessageW(app.Dialog(), w.msg, w.wParam, 0);
        HWND box = app.WaitBox(kQuit);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
                  L"Opravdu si přejete ukončit tento program?");
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(box, IDNO));
        Velorn::Answer(box, IDNO);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    }
    EXPECT_TRUE(IsWindowVisible(app.Dialog()));
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"3.120000");
    // Three confirmations at once, OK still calculating beneath them: Yes
    // in the oldest, No in the others, ends Velorn once, with status 2.
    std::vector<HWND> quits;
    for (int i = 0; i < 3; ++i) {
        app.Click(IDCANCEL);
        EXPECT_TRUE(
            WaitFor([&] { return (quits = WindowsOf(app.Pid(), kQuit)).size() > (size_t)i; }));
    }
    ASSERT_EQ(quits.size(), 3u);
    EXPECT_EQ(app.Calculate(L"36"), L"0.390000");
    Velorn::Answer(quits[2], IDYES);
    Velorn::Answer(quits[0], IDNO);
    Velorn::Answer(quits[1], IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

} // namespace
