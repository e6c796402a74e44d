// The real program against hostile texts, long use and odd orders of
// commands and boxes.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "energy.h"
#include "resource.h"

namespace
{

const std::wstring kQuit = L"Potvrzení ukončení";

// What the calculation makes of the field as the program reads it: ANSI,
// at most 65,534 characters.
std::wstring Expected(const Velorn &app)
{
    std::vector<char> text(65536);
    SendMessageA(app.Item(IDC_RYCHLOST), WM_GETTEXT, 65535, (LPARAM)text.data());
    char out[ENERGY_TEXT_MAX];
    FormatEnergy(text.data(), out, sizeof out);
    return std::wstring(out, out + strlen(out));
}

bool Responsive(const Velorn &app)
{
    DWORD_PTR r;
    return SendMessageTimeoutW(app.Dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) != 0;
}

TEST(Robust, HostileTextsFollowTheCalculation)
{
    Velorn app;
    const struct {
        std::wstring text;
        const wchar_t *result; // nullptr: whatever the field's ANSI text gives
    } cases[] = {
        // Blanks, not digits: Wine's edit control takes seconds to lay out
        // tens of thousands of glyphs.
        {std::wstring(65531, L' ') + L"100", L"8.359053"}, // the longest text read
        {std::wstring(65534, L' ') + L"100", L"0.000000"}, // the number lies beyond it
        {L"1e999" + std::wstring(70000, L' '), L"inf"},
        {L"100č", L"8.359053"},
        {L"č100", L"0.000000"},
        {L"\u00A0100", L"0.000000"}, // no-break space is not white space to atof
        {L"€100", L"0.000000"},
        {L"中100", L"0.000000"}, // not in code page 1250
        {L"\t100", L"8.359053"},
        {L"\x01\x02\x1B", L"0.000000"},
        {L"100\x7F", L"8.359053"},
        {L" \t  \t   ", L"0.000000"},
        {L"\r\n100", nullptr},
        {L"1e2" + std::wstring(200000, L' ') + L"9", L"8.359053"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.text.size() << " characters starting " << (int)c.text[0]);
        std::wstring result = app.Calculate(c.text);
        ASSERT_TRUE(Responsive(app));
        EXPECT_EQ(result, Expected(app));
        if (c.result) {
            EXPECT_EQ(result, c.result);
        }
    }
}

struct Usage {
    SIZE_T privateBytes;
    DWORD handles, gdi, user;
};

Usage Measure(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS mem{};
    GetProcessMemoryInfo(process, &mem, sizeof mem);
    Usage u{mem.PagefileUsage, 0, GetGuiResources(process, GR_GDIOBJECTS),
            GetGuiResources(process, GR_USEROBJECTS)};
    GetProcessHandleCount(process, &u.handles);
    return u;
}

TEST(Robust, TenThousandPressesLeaveMemoryAndHandlesFlat)
{
    Velorn app;
    for (int i = 0; i < 100; ++i) // warm up
        app.Calculate(std::to_wstring(i));
    Usage before = Measure(app.Process());
    for (int i = 0; i < 10000; ++i) {
        std::wstring result = app.Calculate(std::to_wstring(i % 400) + L"." + std::to_wstring(i));
        if (i % 1000 == 0) {
            ASSERT_EQ(result, Expected(app)) << i;
        }
    }
    Usage after = Measure(app.Process());
    printf("private bytes %zu -> %zu, handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu\n",
           before.privateBytes, after.privateBytes, before.handles, after.handles, before.gdi,
           after.gdi, before.user, after.user);
    EXPECT_LT(after.privateBytes, before.privateBytes + 256 * 1024);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_TRUE(Responsive(app));
}

TEST(Robust, ThreeConfirmationsOneYesOneExit)
{
    Velorn app;
    std::vector<HWND> boxes;
    for (int i = 0; i < 3; ++i) {
        app.Click(IDCANCEL);
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            for (HWND h : app.Boxes(kQuit))
                if (std::find(boxes.begin(), boxes.end(), h) == boxes.end())
                    box = h;
            return box != nullptr;
        }));
        boxes.push_back(box);
        // OK still calculates while the ownerless boxes are up.
        EXPECT_EQ(app.Calculate(std::to_wstring(36 * (i + 1))), i == 0   ? L"0.390000"
                                                                : i == 1 ? L"3.120000"
                                                                         : L"10.530000");
    }
    Velorn::Answer(boxes[1], IDYES);
    Velorn::Answer(boxes[2], IDNO);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Dialog()); }));
    EXPECT_TRUE(app.Running()); // the oldest box is still up
    Velorn::Answer(boxes[0], IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

TEST(Robust, HelpInsideAConfirmationAndAConfirmationInsideHelp)
{
    Velorn app;
    // All answers No: the dialog carries on as before.
    HWND quit = app.Open(IDCANCEL, kQuit);
    ASSERT_TRUE(quit);
    HWND help = app.Open(IDC_NAPOVEDA, L"Návod");
    ASSERT_TRUE(help);
    EXPECT_FALSE(IsWindowEnabled(app.Dialog()));
    Velorn::Answer(help, IDOK);
    Velorn::Answer(quit, IDNO);
    EXPECT_TRUE(WaitFor([&] { return app.Boxes(kQuit).empty() && IsWindowEnabled(app.Dialog()); }));
    EXPECT_EQ(app.Calculate(L"144"), L"24.960000");

    // A confirmation opened while the about box is up, inside another one.
    HWND outer = app.Open(IDCANCEL, kQuit);
    ASSERT_TRUE(outer);
    HWND about = app.Open(IDC_OPROGRAMU, L"O programu Velorn");
    ASSERT_TRUE(about);
    HWND inner = app.Open(IDCANCEL, kQuit, outer);
    ASSERT_TRUE(inner);
    Velorn::Answer(inner, IDYES);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Dialog()); }));
    EXPECT_TRUE(app.Running());
    Velorn::Answer(about, IDOK);
    Velorn::Answer(outer, IDNO);
    EXPECT_EQ(app.WaitExit(), 2u);
}

} // namespace
