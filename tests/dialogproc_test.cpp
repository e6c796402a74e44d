// DialogProc in this process, on a dialog from the real template, where the
// test can fail an allocation and answer the message boxes itself.
#include <windows.h>

#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "resource.h"

extern "C" {
extern HINSTANCE g_hInst;
extern HBRUSH g_hbPozadi;
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
}

namespace
{
int g_allocs, g_failAlloc = -1;
std::set<HGLOBAL> g_live;
std::function<int()> g_answer;
} // namespace

extern "C" HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes)
{
    HGLOBAL mem = g_allocs++ == g_failAlloc ? nullptr : GlobalAlloc(flags, bytes);
    if (mem)
        g_live.insert(mem);
    return mem;
}

extern "C" HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem)
{
    g_live.erase(mem);
    return GlobalFree(mem);
}

extern "C" int WINAPI TestMessageBoxA(HWND, LPCSTR, LPCSTR, UINT)
{
    return g_answer();
}

TEST(DialogProc, KeepsTheResultWithoutMemoryAndDeletesTheBrushOnce)
{
    g_hInst = GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
    ShowWindow(dlg, SW_SHOW);
    auto command = [&](int id) { SendMessageA(dlg, WM_COMMAND, id, 0); };
    char result[16];

    // A failed allocation, the first or the second, keeps the last result
    // and frees the buffer that was obtained.
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "36");
    command(IDOK);
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "100");
    for (int fail : {0, 1}) {
        g_allocs = 0;
        g_failAlloc = fail;
        command(IDOK);
        GetDlgItemTextA(dlg, IDC_ENERGIE, result, sizeof result);
        EXPECT_STREQ(result, "0.390000") << "allocation " << fail << " failed";
    }
    g_failAlloc = -1;
    EXPECT_TRUE(g_live.empty());

    // Storno comes again while each box is open, three deep; the two newer
    // boxes say Yes, the first one No. The brush goes once, and the colour
    // messages never hand out the deleted handle.
    HBRUSH brush = g_hbPozadi;
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, 0), (INT_PTR)brush);
    int depth = 0;
    g_answer = [&] {
        int mine = ++depth;
        if (mine < 3)
            command(IDCANCEL);
        return mine == 1 ? IDNO : IDYES;
    };
    command(IDCANCEL);
    EXPECT_EQ(depth, 3);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, 0), 0);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORDLG, (WPARAM)dc, 0), 0);
    DeleteDC(dc);
    DestroyWindow(dlg);
}
