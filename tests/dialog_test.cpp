// Launches the real Velorn.exe and drives it from outside, as a user would.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "resource.h"

namespace
{

const std::wstring kQuitCaption = L"Potvrzení ukončení";
const std::wstring kQuitText = L"Opravdu si přejete ukončit tento program?";

struct Control {
    DWORD id;
    WORD classAtom; // 0x80 button, 0x81 edit, 0x82 static
    const wchar_t *cls;
    const wchar_t *text;
    DWORD style;
    RECT units; // x, y, width, height in dialog units
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const Control kControls[] = {
    {IDOK, 0x80, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, {130, 54, 40, 14}},
    {IDCANCEL, 0x80, L"Button", L"Storno", kChild | BS_PUSHBUTTON | WS_TABSTOP, {130, 73, 40, 14}},
    {IDC_NAPOVEDA,
     0x80,
     L"Button",
     L"Nápověda",
     kChild | BS_PUSHBUTTON | WS_TABSTOP,
     {130, 94, 40, 14}},
    {IDC_OPROGRAMU,
     0x80,
     L"Button",
     L"O programu",
     kChild | BS_PUSHBUTTON | WS_TABSTOP,
     {130, 115, 40, 14}},
    {65535,
     0x82,
     L"Static",
     L"Rychlost v kilometrech",
     kChild | SS_LEFT | WS_GROUP,
     {7, 9, 120, 12}},
    {IDC_RYCHLOST,
     0x81,
     L"Edit",
     L"",
     kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
     {7, 21, 70, 12}},
    {65534,
     0x80,
     L"Button",
     L"Energie nutná k vyrovnání odporu vzduchu v kWh",
     kChild | BS_GROUPBOX,
     {7, 36, 109, 35}},
    {IDC_ENERGIE, 0x82, L"Static", L"0.00", kChild | SS_CENTER | WS_BORDER, {16, 50, 90, 12}},
    {65533,
     0x82,
     L"Static",
     L"Orientační výpočet pro osobní automobily",
     kChild | SS_CENTER | WS_GROUP,
     {10, 145, 109, 35}},
};
const DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;

// Reader for the extended dialog template as stored in the exe.
struct TemplateReader {
    const BYTE *p;
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    template <class T> T Take()
    {
        T v;
        memcpy(&v, p, sizeof v);
        p += sizeof v;
        return v;
    }
    // A string or, after 0xFFFF, an ordinal written as "#n".
    std::wstring SzOrOrd()
    {
        if (Word() == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        p -= 2;
        std::wstring s((const wchar_t *)p);
        p += (s.size() + 1) * 2;
        return s;
    }
    void Align(const BYTE *base) { p += (4 - (p - base) % 4) % 4; }
};

TEST(Template, StoresTheDialogAsSpecified)
{
    HMODULE exe =
        LoadLibraryExW(ExeBesideMe(L"Velorn.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(IDD_HLAVNI), (LPCWSTR)RT_DIALOG);
    ASSERT_TRUE(res);
    const BYTE *base = (const BYTE *)LockResource(LoadResource(exe, res));
    TemplateReader r{base};
    EXPECT_EQ(r.Word(), 1);      // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF); // extended form
    r.Dword();                   // help id
    EXPECT_EQ(r.Dword(), 0u);    // no extended styles
    EXPECT_EQ(r.Dword(), kDialogStyle);
    ASSERT_EQ(r.Word(), std::size(kControls));
    EXPECT_EQ(r.Take<short>(), 0);
    EXPECT_EQ(r.Take<short>(), 0);
    EXPECT_EQ(r.Take<short>(), 210);
    EXPECT_EQ(r.Take<short>(), 170);
    EXPECT_EQ(r.SzOrOrd(), L""); // no menu
    EXPECT_EQ(r.SzOrOrd(), L""); // default dialog class
    EXPECT_EQ(r.SzOrOrd(), L"Velorn1.0.0");
    EXPECT_EQ(r.Word(), 8);       // points
    EXPECT_EQ(r.Word(), 400);     // weight
    EXPECT_EQ(r.Take<BYTE>(), 0); // not italic
    EXPECT_EQ(r.Take<BYTE>(), EASTEUROPE_CHARSET);
    EXPECT_EQ(r.SzOrOrd(), L"Microsoft Sans Serif");
    for (const Control &c : kControls) {
        r.Align(base);
        SCOPED_TRACE(c.text);
        r.Dword(); // help id
        EXPECT_EQ(r.Dword(), 0u);
        EXPECT_EQ(r.Dword(), c.style);
        EXPECT_EQ(r.Take<short>(), c.units.left);
        EXPECT_EQ(r.Take<short>(), c.units.top);
        EXPECT_EQ(r.Take<short>(), c.units.right);
        EXPECT_EQ(r.Take<short>(), c.units.bottom);
        EXPECT_EQ(r.Dword(), c.id);
        EXPECT_EQ(r.SzOrOrd(), L"#" + std::to_wstring(c.classAtom));
        EXPECT_EQ(r.SzOrOrd(), c.text);
        r.p += r.Word(); // creation data
    }
    FreeLibrary(exe);
}

// Pixel rectangles of the table's dialog units, measured on a copy of the
// template made here, since MapDialogRect works only in the owning process.
std::vector<RECT> PixelRects()
{
    HMODULE exe =
        LoadLibraryExW(ExeBesideMe(L"Velorn.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND copy = CreateDialogParamW(
        exe, MAKEINTRESOURCEW(IDD_HLAVNI), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    std::vector<RECT> rects;
    for (const Control &c : kControls) {
        // Position and size convert separately, as the dialog manager does.
        RECT rc = c.units;
        MapDialogRect(copy, &rc);
        rects.push_back(rc);
    }
    DestroyWindow(copy);
    FreeLibrary(exe);
    return rects;
}

TEST(Dialog, StartsWithItsControlsAndCalculates)
{
    Velorn app;
    HWND dlg = app.Dialog();
    EXPECT_EQ((DWORD)GetWindowLongW(dlg, GWL_STYLE) & kDialogStyle, kDialogStyle);
    EXPECT_EQ(GetWindowLongW(dlg, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              0);
    EXPECT_EQ(GetWindow(dlg, GW_OWNER), nullptr);

    // Centred on the screen.
    RECT wr;
    GetWindowRect(dlg, &wr);
    EXPECT_NEAR((wr.left + wr.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((wr.top + wr.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Children in tab order, with the template's classes, texts and places.
    std::vector<RECT> rects = PixelRects();
    HWND child = GetWindow(dlg, GW_CHILD);
    for (size_t i = 0; i < std::size(kControls); ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const Control &c = kControls[i];
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(child);
        EXPECT_EQ((DWORD)GetDlgCtrlID(child), c.id);
        wchar_t cls[32];
        GetClassNameW(child, cls, 32);
        EXPECT_STREQ(cls, c.cls);
        EXPECT_EQ(WindowText(child), c.text);
        // The dialog manager may turn WS_BORDER into a sunken edge.
        DWORD style = (DWORD)GetWindowLongW(child, GWL_STYLE);
        if (GetWindowLongW(child, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))
            style |= WS_BORDER;
        EXPECT_EQ(style & c.style, c.style);
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, dlg, (POINT *)&rc, 2);
        EXPECT_EQ(rc.left, rects[i].left);
        EXPECT_EQ(rc.top, rects[i].top);
        EXPECT_EQ(rc.right - rc.left, rects[i].right);
        EXPECT_EQ(rc.bottom - rc.top, rects[i].bottom);
    }
    EXPECT_FALSE(child);

    // Results, recalculated from the field at every press.
    EXPECT_EQ(app.Text(IDC_ENERGIE), L"0.00");
    EXPECT_EQ(app.Calculate(L"100"), L"8.359053");
    EXPECT_EQ(app.Calculate(L"100"), L"8.359053");
    EXPECT_EQ(app.Calculate(L"  130 km/h"), L"18.364841");
    EXPECT_EQ(app.Calculate(L"50,5"), L"1.044882");
    EXPECT_EQ(app.Calculate(L"-20"), L"0.000000");
    EXPECT_EQ(app.Calculate(L"-0"), L"-0.000000");
    EXPECT_EQ(app.Calculate(L""), L"0.000000");
    EXPECT_EQ(app.Text(IDC_RYCHLOST), L"");

    // Enter in the speed field is the default button's command.
    app.SetSpeed(L"36");
    PostMessageW(app.Item(IDC_RYCHLOST), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(app.Item(IDC_RYCHLOST), WM_KEYUP, VK_RETURN, 0xC01C0001);
    EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_ENERGIE) == L"0.390000"; }))
        << "Enter gave " << app.Text(IDC_ENERGIE).size() << " characters";
    EXPECT_TRUE(app.Running());
}

TEST(Quit, EveryWayAsksAndOnlyYesEndsWithStatus2)
{
    Velorn app;
    EXPECT_EQ(app.Calculate(L"72"), L"3.120000");
    HWND edit = app.Item(IDC_RYCHLOST);
    struct Way {
        const char *name;
        void (*ask)(const Velorn &, HWND);
    };
    const Way ways[] = {
        {"Storno", [](const Velorn &a, HWND) { a.Click(IDCANCEL); }},
        {"Esc",
         [](const Velorn &, HWND e) {
             PostMessageW(e, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageW(e, WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box",
         [](const Velorn &a, HWND) { PostMessageW(a.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4",
         [](const Velorn &a, HWND) { PostMessageW(a.Dialog(), WM_SYSKEYDOWN, VK_F4, 0x203E0001); }},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        way.ask(app, edit);
        HWND box = app.WaitBox(kQuitCaption);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), kQuitText);
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_TRUE(IsWindowEnabled(app.Dialog())); // ownerless: dialog stays usable
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDYES)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDOK)));
        HWND no = GetDlgItem(box, IDNO);
        EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        GUITHREADINFO gui;
        ZeroMemory(&gui, sizeof gui);
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, no);
        Velorn::Answer(box, IDNO);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(IsWindowVisible(app.Dialog()));
        EXPECT_EQ(app.Text(IDC_RYCHLOST), L"72");
        EXPECT_EQ(app.Text(IDC_ENERGIE), L"3.120000");
    }
    HWND box = app.Open(IDCANCEL, kQuitCaption);
    ASSERT_TRUE(box);
    Velorn::Answer(box, IDYES);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Quit, TheQuitTextIsWindows1250)
{
    Velorn app;
    HWND box = app.Open(IDCANCEL, kQuitCaption);
    ASSERT_TRUE(box);
    // Read as ANSI bytes in this code page 1250 process.
    char text[128] = {}, caption[64] = {};
    SendMessageA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof text, (LPARAM)text);
    SendMessageA(box, WM_GETTEXT, sizeof caption, (LPARAM)caption);
    ASSERT_EQ(GetACP(), 1250u);
    EXPECT_STREQ(text, "Opravdu si p\xF8"
                       "ejete ukon\xE8it tento program?");
    EXPECT_STREQ(caption, "Potvrzen\xED ukon\xE8"
                          "en\xED");
    // Two boxes at once: Yes in the newer ends the dialog, the older one
    // then closes the program with status 2 whatever its answer.
    HWND second = app.Open(IDCANCEL, kQuitCaption, box);
    ASSERT_TRUE(second);
    Velorn::Answer(second, IDYES);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Dialog()); }));
    EXPECT_TRUE(app.Running()); // the older box is still up
    Velorn::Answer(box, IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

// The background tile, 128 x 128: red and black quadrants with their seams.
DWORD Tile(int x, int y)
{
    const DWORD red = 0xFF0000, black = 0;
    x %= 128;
    y %= 128;
    if (y < 64)
        return x < 63 ? red : black;
    if (y == 64)
        return red;
    return x < 64 ? black : red;
}

const DWORD kCyan = 0xA0FFFF;

int Channel(DWORD rgb, int shift)
{
    return (int)(rgb >> shift) & 0xFF;
}

// An antialiased edge pixel: each channel between the pattern's and the
// letters', green and blue equal as in both, and red and green telling of
// roughly the same coverage (white, an opaque text background, does not).
bool IsBlend(DWORD p, DWORD tile)
{
    for (int shift : {0, 8, 16}) {
        int v = Channel(p, shift), a = Channel(tile, shift), b = Channel(kCyan, shift);
        if (v < std::min(a, b) || v > std::max(a, b))
            return false;
    }
    double red = (Channel(p, 16) - Channel(tile, 16)) / double(0xA0 - Channel(tile, 16));
    double green = (Channel(p, 8) - Channel(tile, 8)) / double(0xFF - Channel(tile, 8));
    return std::abs(Channel(p, 8) - Channel(p, 0)) <= 2 && std::abs(red - green) <= 0.6;
}

struct Census {
    int pattern = 0, cyan = 0, fringe = 0, other = 0;
};

// Pixels of a static control's client area, as far as the dialog shows
// it: the pattern from the control's own top-left corner, or light cyan
// letters with their antialiased edges.
Census CountStatic(HWND control)
{
    Picture pic = Capture(control, true);
    RECT visible, dialog;
    GetClientRect(GetParent(control), &dialog);
    MapWindowPoints(GetParent(control), control, (POINT *)&dialog, 2);
    SetRect(&visible, 0, 0, pic.width, pic.height);
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

TEST(Looks, CheckerboardLightCyanTextAndAPlainSpeedField)
{
    Velorn app;
    EXPECT_EQ(app.Calculate(L"100"), L"8.359053");
    // Letters on the screen, then a moment for the rest of the repaint.
    EXPECT_TRUE(WaitFor([&] { return CountStatic(app.Item(IDC_ENERGIE)).cyan > 30; }));
    Sleep(200);

    // Outside the controls, the client area is the tile from its corner.
    Picture pic = Capture(app.Dialog(), true);
    std::vector<RECT> children;
    for (HWND c = GetWindow(app.Dialog(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT rc;
        GetWindowRect(c, &rc);
        MapWindowPoints(nullptr, app.Dialog(), (POINT *)&rc, 2);
        children.push_back(rc);
    }
    int checked = 0, wrong = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            POINT pt = {x, y};
            if (std::any_of(children.begin(), children.end(),
                            [&](const RECT &rc) { return PtInRect(&rc, pt); }))
                continue;
            ++checked;
            wrong += pic.At(x, y) != Tile(x, y);
        }
    EXPECT_GT(checked, pic.width * pic.height / 2);
    EXPECT_EQ(wrong, 0) << "of " << checked << " background pixels";

    for (int id : {65535, IDC_ENERGIE, 65533}) {
        Census c = CountStatic(app.Item(id));
        EXPECT_GT(c.cyan, 30) << id;
        EXPECT_GT(c.pattern, c.cyan + c.fringe) << id; // no box behind the letters
        EXPECT_LE(c.other, c.cyan / 10) << id;         // a stray edge pixel, not a box
    }

    // The group box caption: cyan letters, no grey box behind them.
    Picture group = Capture(app.Item(65534), false);
    int cyan = 0, face = 0;
    for (DWORD p : group.pixels) {
        cyan += p == kCyan;
        face += p == (GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
    }
    EXPECT_GT(cyan, 50);
    EXPECT_EQ(face, 0);

    // The speed field keeps the system's white field and black text.
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

// The help and about boxes as the user sees them: owned by the dialog,
// which is disabled meanwhile, and nothing in it changes.
TEST(Boxes, HelpAndAboutAreModalAndKeepTheFields)
{
    Velorn app;
    EXPECT_EQ(app.Calculate(L"144"), L"24.960000");
    const struct {
        int button;
        const wchar_t *caption;
    } boxes[] = {{IDC_NAPOVEDA, L"Návod"}, {IDC_OPROGRAMU, L"O programu Velorn"}};
    std::vector<std::wstring> texts;
    for (const auto &b : boxes) {
        HWND box = app.Open(b.button, b.caption);
        ASSERT_TRUE(box) << b.button;
        EXPECT_EQ(GetWindow(box, GW_OWNER), app.Dialog());
        EXPECT_FALSE(IsWindowEnabled(app.Dialog()));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL)));
        texts.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
        Velorn::Answer(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Dialog()); }));
        EXPECT_EQ(app.Text(IDC_RYCHLOST), L"144");
        EXPECT_EQ(app.Text(IDC_ENERGIE), L"24.960000");
    }
    EXPECT_EQ(texts[0].substr(0, 56),
              L"\nProgram je stále ve fázi testování, proto autor nenese\n");
    EXPECT_EQ(texts[0].substr(texts[0].size() - 29), L"\nHodnota je kilowatthodinách.");
    EXPECT_EQ(texts[1].substr(0, 22), L"Version \nVelorn.0.1\n\n\n");
    EXPECT_EQ(texts[1].substr(texts[1].size() - 5), L"\n2005");
    EXPECT_TRUE(app.Running());
}

} // namespace
