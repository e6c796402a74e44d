// DialogProc in this process on the real template, watched (tracked_calls.h).
#include <windows.h>

#include <gtest/gtest.h>

#include "WinAPI_27.h"
#include "resource.h"
#include "tracked_calls.h"

TEST(DialogProc, GivesBackWhatItTakesQuitsOnlyOnYesKeepsNoDeletedBrush)
{
    g_hInst = GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
    ASSERT_TRUE(dlg) << "CreateDialogParamA(IDD_HLAVNI): error " << GetLastError();
    ShowWindow(dlg, SW_SHOW);
    auto command = [&](int id) { SendMessageA(dlg, WM_COMMAND, id, 0); };

    SetDlgItemTextA(dlg, IDC_RYCHLOST, "100");
    command(IDOK);
    // Only Yes quits: not a box that failed (0), nor Esc under Wine, nor No.
    for (int answer : {0, IDCANCEL, IDNO}) {
        g_answer = answer;
        for (int id : {IDCANCEL, IDC_NAPOVEDA, IDC_OPROGRAMU})
            command(id);
    }
    EXPECT_TRUE(IsWindowVisible(dlg));

    // Yes ends the dialog and deletes the brush, which is never handed out.
    HBRUSH brush = g_hbPozadi;
    g_answer = IDYES;
    command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, 0, 0), 0);
    DestroyWindow(dlg);
    // Each buffer, hook and GDI object given back once; no freed block written.
    EXPECT_EQ(g_live.size(), 0u) << "taken and never given back";
    EXPECT_EQ(g_strays, 0) << "given back twice, or never taken";
    for (const auto &[block, bytes] : g_freed)
        EXPECT_EQ(std::count(block, block + bytes, 0xDD), bytes)
            << "the heap: a freed block of " << bytes << " bytes, written";
}
