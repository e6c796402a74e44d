// Launches the real Velorn.exe and drives it from outside, as a user would.
#include <windows.h>

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
    app.Click(IDCANCEL);
    HWND box = app.WaitBox(kQuitCaption);
    ASSERT_TRUE(box);
    Velorn::Answer(box, IDYES);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Quit, TheQuitTextIsWindows1250)
{
    Velorn app;
    app.Click(IDCANCEL);
    HWND box = app.WaitBox(kQuitCaption);
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
    app.Click(IDCANCEL);
    HWND second = app.WaitBox(kQuitCaption, box);
    ASSERT_TRUE(second);
    Velorn::Answer(second, IDYES);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Dialog()); }));
    EXPECT_TRUE(app.Running()); // the older box is still up
    Velorn::Answer(box, IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Quit, YesInTheOlderOfTwoBoxesEndsOnceTheNewerCloses)
{
    Velorn app;
    app.Click(IDCANCEL);
    HWND first = app.WaitBox(kQuitCaption);
    ASSERT_TRUE(first);
    app.Click(IDCANCEL);
    HWND second = app.WaitBox(kQuitCaption, first);
    ASSERT_TRUE(second);
    Velorn::Answer(first, IDYES);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(first); }));
    EXPECT_TRUE(app.Running());
    Velorn::Answer(second, IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

} // namespace
