// DialogProc in this process, on a dialog from the real template, where the
// test can fail an allocation and answer the message boxes itself.
#include <windows.h>

#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "resource.h"

extern HINSTANCE g_hInst;
extern HBRUSH g_hbPozadi;
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

namespace
{
int g_allocs, g_failAlloc = -1, g_strayFrees;
std::set<HGLOBAL> g_live; // blocks obtained and not yet freed
std::function<int()> g_answer;
} // namespace

HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes)
{
    HGLOBAL mem = g_allocs++ == g_failAlloc ? nullptr : GlobalAlloc(flags, bytes);
    if (mem)
        g_live.insert(mem);
    return mem;
}

// A block freed twice, or never obtained, is counted and left alone.
HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem)
{
    if (!g_live.erase(mem)) {
        ++g_strayFrees;
        return mem;
    }
    return GlobalFree(mem);
}

int WINAPI TestMessageBoxA(HWND, LPCSTR, LPCSTR, UINT)
{
    return g_answer();
}

TEST(DialogProc, SurvivesFailuresQuitsOnlyOnYesAndNeverHandsOutTheDeletedBrush)
{
    g_hInst = GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
    ShowWindow(dlg, SW_SHOW);
    auto command = [&](int id) { SendMessageA(dlg, WM_COMMAND, id, 0); };
    char result[16];

    // Each press frees both its buffers, once each. A failed allocation,
    // the first or the second, keeps the last result and frees the buffer
    // that was obtained.
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "36");
    command(IDOK);
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "100");
    for (int fail : {0, 1}) {
        g_failAlloc = g_allocs + fail;
        command(IDOK);
        GetDlgItemTextA(dlg, IDC_ENERGIE, result, sizeof result);
        EXPECT_STREQ(result, "0.390000") << "allocation " << fail << " failed";
    }
    g_failAlloc = -1;
    EXPECT_TRUE(g_live.empty());
    EXPECT_EQ(g_strayFrees, 0);

    // Only Yes quits: not a box that failed (0), nor Esc under Wine, nor No.
    HBRUSH brush = g_hbPozadi;
    for (int answer : {0, IDCANCEL, IDNO}) {
        g_answer = [=] { return answer; };
        command(IDCANCEL);
        EXPECT_TRUE(IsWindowVisible(dlg)) << answer;
    }
    // Yes ends the dialog and deletes the brush; colour messages that still
    // come never hand out the deleted handle.
    g_answer = [] { return IDYES; };
    command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, 0, 0), 0);
    DestroyWindow(dlg);
}
