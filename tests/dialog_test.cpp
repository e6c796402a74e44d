// Launches the real Velorn.exe under Wine and drives it as a user would.
// Each launch checks many things: starting Velorn is the slow part.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "energy.h"
#include "resource.h"

namespace
{

const wchar_t *kQuit = L"Potvrzení ukončení";
const DWORD kChild = WS_CHILD | WS_VISIBLE;
const struct Control {
    int id;
    const wchar_t *cls, *text;
    DWORD style;
    RECT units; // x, y, width, height in dialog units
} kControls[] = {
    {IDOK, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, {130, 54, 40, 14}},
    {IDCANCEL, L"Button", L"Storno", kChild | WS_TABSTOP, {130, 73, 40, 14}},
    {IDC_NAPOVEDA, L"Button", L"Nápověda", kChild | WS_TABSTOP, {130, 94, 40, 14}},
    {IDC_OPROGRAMU, L"Button", L"O programu", kChild | WS_TABSTOP, {130, 115, 40, 14}},
    {65535, L"Static", L"Rychlost v kilometrech", kChild | WS_GROUP, {7, 9, 120, 12}},
    {IDC_RYCHLOST, L"Edit", L"", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, {7, 21, 70, 12}},
    {65534,
     L"Button",
     L"Energie nutná k vyrovnání odporu vzduchu v kWh",
     kChild | BS_GROUPBOX,
     {7, 36, 109, 35}},
    {IDC_ENERGIE, L"Static", L"0.00", kChild | SS_CENTER | WS_BORDER, {16, 50, 90, 12}},
    {65533,
     L"Static",
     L"Orientační výpočet pro osobní automobily",
     kChild | SS_CENTER | WS_GROUP,
     {10, 145, 109, 35}},
};

void Key(HWND hwnd, UINT vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
}

// The background tile, 128 x 128: red and black quadrants with their seams.
DWORD Tile(int x, int y)
{
    x %= 128;
    y %= 128;
    bool red = y < 64 ? x < 63 : y == 64 || x >= 64;
    return red ? 0xFF0000 : 0;
}

const DWORD kCyan = 0xA0FFFF;
int Channel(DWORD rgb, int shift)
{
    return (int)(rgb >> shift) & 0xFF;
}

// An antialiased letter edge: each channel between the pattern's and the
// letters', green equal to blue, and red and green telling of roughly the
// same coverage (white, an opaque text background, does not).
bool IsBlend(DWORD p, DWORD tile)
{
    for (int shift : {0, 8, 16})
        if (Channel(p, shift) < std::min(Channel(tile, shift), Channel(kCyan, shift)) ||
            Channel(p, shift) > std::max(Channel(tile, shift), Channel(kCyan, shift)))
            return false;
    double red = (Channel(p, 16) - Channel(tile, 16)) / double(0xA0 - Channel(tile, 16));
    double green = (Channel(p, 8) - Channel(tile, 8)) / double(0xFF - Channel(tile, 8));
    return std::abs(Channel(p, 8) - Channel(p, 0)) <= 2 && std::abs(red - green) <= 0.6;
}

struct Census {
    int pattern = 0, cyan = 0, fringe = 0, other = 0;
};

// A static control's client area as far as the dialog shows it: the tile
// from the control's own corner, or light cyan letters and their edges.
Census CountStatic(HWND control)
{
    Picture pic = Capture(control, true);
    RECT visible = {0, 0, pic.width, pic.height}, dialog;
    GetClientRect(GetParent(control), &dialog);
    MapWindowPoints(GetParent(control), control, (POINT *)&dialog, 2);
    IntersectRect(&visible, &visible, &dialog);
    Census c;
    for (int y = visible.top; y < visible.bottom; ++y)
        for (int x = visible.left; x < visible.right; ++x) {
            DWORD p = pic.At(x, y);
            bool blend = IsBlend(p, 0xFF0000) || IsBlend(p, 0);
            (p == Tile(x, y) ? c.pattern : p == kCyan ? c.cyan : blend ? c.fringe : c.other)++;
        }
    return c;
}

TEST(Velorn, ShowsItsDialogCalculatesAndPaints)
{
    Velorn app;
    HWND dlg = app.Dialog();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    EXPECT_EQ((DWORD)GetWindowLongW(dlg, GWL_STYLE) & (style | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              style);
    RECT wr;
    GetWindowRect(dlg, &wr);
    EXPECT_NEAR(wr.left + wr.right, GetSystemMetrics(SM_CXSCREEN), 2);
    EXPECT_NEAR(wr.top + wr.bottom, GetSystemMetrics(SM_CYSCREEN), 2);

    // A copy of the template in this process, for dialog units in pixels:
    // MapDialogRect works only in the owning process.
    HMODULE exe =
        LoadLibraryExW(ExeBesideMe(L"Velorn.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND copy = CreateDialogParamW(
        exe, MAKEINTRESOURCEW(IDD_HLAVNI), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
    HWND child = GetWindow(dlg, GW_CHILD);
    for (const Control &c : kControls) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(child);
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        wchar_t cls[32];
        GetClassNameW(child, cls, 32);
        EXPECT_STREQ(cls, c.cls);
        EXPECT_EQ(WindowText(child), c.text);
        DWORD st = (DWORD)GetWindowLongW(child, GWL_STYLE);
        if (GetWindowLongW(child, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))
            st |= WS_BORDER; // the dialog manager may turn a border into an edge
        EXPECT_EQ(st & c.style, c.style);
        RECT want = c.units, got; // position and size convert separately
        MapDialogRect(copy, &want);
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dlg, (POINT *)&got, 2);
        got = {got.left, got.top, got.right - got.left, got.bottom - got.top};
        EXPECT_TRUE(EqualRect(&got, &want));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_FALSE(child);
    DestroyWindow(copy);
    FreeLibrary(exe);

    // Every press reads the field anew, hostile texts included.
    const struct {
        std::wstring speed;
        const wchar_t *result;
    } presses[] = {
        {L"100", L"8.359053"},
        {L"100", L"8.359053"},
        {L"  130 km/h", L"18.364841"},
        {L"-0", L"-0.000000"},
        {L"", L"0.000000"},
        // Blanks, not digits: Wine's edit control takes seconds to lay out
        // tens of thousands of glyphs.
        {std::wstring(65531, L' ') + L"100", L"8.359053"}, // the longest text read
        {std::wstring(65534, L' ') + L"100", L"0.000000"}, // the number lies beyond
        {L"1e999" + std::wstring(200000, L' '), L"inf"},
        {L"100č", L"8.359053"},
        {L"č100", L"0.000000"},
        {L"中100", L"0.000000"}, // not in code page 1250
        {L"\x01\x1B", L"0.000000"},
    };
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"0.00");
    for (const auto &p : presses)
        EXPECT_EQ(app.Calculate(p.speed), p.result) << p.speed.size() << " characters";
    // Enter in the speed field is the default button's command.
    SendMessageW(app.Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)L"36");
    Key(app.Item(IDC_RYCHLOST), VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }));

    // The picture: outside the controls the tile from the client's corner,
    // light cyan letters with nothing behind them, a plain white field.
    EXPECT_TRUE(WaitFor([&] { return CountStatic(app.Item(IDC_ENERGIE)).cyan > 30; }));
    Sleep(200);
    std::vector<RECT> controls;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        controls.emplace_back();
        GetWindowRect(c, &controls.back());
        MapWindowPoints(nullptr, dlg, (POINT *)&controls.back(), 2);
    }
    Picture pic = Capture(dlg, true);
    int background = 0, wrong = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            POINT pt = {x, y};
            if (std::any_of(controls.begin(), controls.end(),
                            [&](const RECT &rc) { return PtInRect(&rc, pt); }))
                continue;
            ++background;
            wrong += pic.At(x, y) != Tile(x, y);
        }
    EXPECT_GT(background, pic.width * pic.height / 2);
    EXPECT_EQ(wrong, 0);
    for (int id : {65535, IDC_ENERGIE, 65533}) {
        Census c = CountStatic(app.Item(id));
        EXPECT_GT(c.cyan, 30) << id;
        EXPECT_GT(c.pattern, c.cyan + c.fringe) << id;
        EXPECT_LE(c.other, c.cyan / 10) << id; // a stray edge pixel, not a box
    }
    Picture group = Capture(app.Item(65534), false);
    EXPECT_GT(std::count(group.pixels.begin(), group.pixels.end(), kCyan), 50);
    EXPECT_EQ(
        std::count(group.pixels.begin(), group.pixels.end(), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF),
        0);
    Picture edit = Capture(app.Item(IDC_RYCHLOST), true);
    int white = 0, dark = 0, tinted = 0;
    for (DWORD p : edit.pixels) {
        white += p == 0xFFFFFF;
        dark += p < 0x404040;
        tinted += Channel(p, 0) != Channel(p, 8) || Channel(p, 8) != Channel(p, 16);
    }
    EXPECT_GT(white, (int)edit.pixels.size() * 3 / 4);
    EXPECT_GT(dark, 10);
    EXPECT_EQ(tinted, 0);
}

TEST(Velorn, BoxesAndEveryWayToQuit)
{
    Velorn app;
    EXPECT_EQ(app.Calculate(L"72"), L"3.120000");
    // Help and about: owned by the dialog, which waits, unchanged.
    const struct {
        int button;
        const wchar_t *caption, *begins, *ends;
    } boxes[] = {
        {IDC_NAPOVEDA, L"Návod", L"\nProgram je stále ve fázi testování, proto autor nenese\n",
         L"\nHodnota je kilowatthodinách."},
        {IDC_OPROGRAMU, L"O programu Velorn", L"Version \nVelorn.0.1\n\n\n", L"\n2005"},
    };
    for (const auto &b : boxes) {
        HWND box = app.Open(b.button, b.caption);
        ASSERT_TRUE(box) << b.button;
        EXPECT_EQ(GetWindow(box, GW_OWNER), app.Dialog());
        EXPECT_FALSE(IsWindowEnabled(app.Dialog()));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL))); // OK only
        std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        EXPECT_EQ(text.find(b.begins), 0u);
        EXPECT_EQ(text.rfind(b.ends), text.size() - wcslen(b.ends));
        Velorn::Answer(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Dialog()); }));
    }
    // Each way to quit asks, ownerless with No preselected; No changes nothing.
    const struct {
        const char *name;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool toEdit;
    } ways[] = {
        {"Storno", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, false},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, 1, true},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 0x20000001, false},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.name);
        PostMessageW(w.toEdit ? app.Item(IDC_RYCHLOST) : app.Dialog(), w.msg, w.wParam, w.lParam);
        HWND box = app.WaitBox(kQuit);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
                  L"Opravdu si přejete ukončit tento program?");
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_TRUE(IsWindowEnabled(app.Dialog()));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDYES)));
        HWND no = GetDlgItem(box, IDNO);
        EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, no);
        Velorn::Answer(box, IDNO);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindowVisible(app.Dialog()));
        EXPECT_EQ(app.Text(IDC_RYCHLOST), L"72");
        EXPECT_EQ(app.Text(IDC_ENERGIE), L"3.120000");
    }
    Velorn::Answer(app.Open(IDCANCEL, kQuit), IDYES);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Velorn, BoxesInsideBoxesEndOnceWithStatus2)
{
    Velorn app;
    // A confirmation inside the about box, and help inside a confirmation.
    HWND about = app.Open(IDC_OPROGRAMU, L"O programu Velorn");
    HWND inside = app.Open(IDCANCEL, kQuit);
    Velorn::Answer(inside, IDNO);
    Velorn::Answer(about, IDOK);
    std::vector<HWND> quits = {app.Open(IDCANCEL, kQuit, {inside})};
    Velorn::Answer(app.Open(IDC_NAPOVEDA, L"Návod"), IDOK);
    // Two more confirmations; OK still calculates while they are up.
    for (int i = 1; i < 3; ++i) {
        quits.push_back(app.Open(IDCANCEL, kQuit, quits));
        EXPECT_EQ(app.Calculate(std::to_wstring(36 * i)), i == 1 ? L"0.390000" : L"3.120000");
    }
    ASSERT_TRUE(quits[0] && quits[1] && quits[2]);
    Velorn::Answer(quits[1], IDYES);
    Velorn::Answer(quits[2], IDNO);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Dialog()); }));
    EXPECT_TRUE(app.Running()); // the oldest box is still up
    Velorn::Answer(quits[0], IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Velorn, TenThousandPressesLeaveMemoryFlat)
{
    Velorn app;
    auto privateBytes = [&] {
        PROCESS_MEMORY_COUNTERS mem{};
        GetProcessMemoryInfo(app.Process(), &mem, sizeof mem);
        return mem.PagefileUsage; // Wine leaves PrivateUsage at 0
    };
    for (int i = 0; i < 100; ++i) // warm up
        app.Calculate(std::to_wstring(i));
    SIZE_T before = privateBytes();
    DWORD handles = 0, handlesAfter = 0;
    GetProcessHandleCount(app.Process(), &handles);
    for (int i = 0; i < 10000; ++i) {
        std::string speed = std::to_string(i % 400) + "." + std::to_string(i);
        char want[ENERGY_TEXT_MAX];
        FormatEnergy(speed.c_str(), want, sizeof want);
        ASSERT_EQ(app.Calculate(std::wstring(speed.begin(), speed.end())),
                  std::wstring(want, want + strlen(want)));
    }
    SIZE_T after = privateBytes();
    GetProcessHandleCount(app.Process(), &handlesAfter); // Wine reports 0
    printf("private bytes %zu -> %zu, handles %lu -> %lu\n", before, after, handles, handlesAfter);
    EXPECT_LT(after, before + 256 * 1024);
    EXPECT_LE(handlesAfter, handles);
}

} // namespace
