// DialogProc in this process, on a dialog from the real template, where the
// test can fail an allocation, guard the buffers and answer the boxes.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resource.h"

extern "C" {
extern HINSTANCE g_hInst;
extern HBRUSH g_hbPozadi;
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
}

namespace
{

const SIZE_T kGuard = 64; // bytes after each block that must stay untouched
int g_failAlloc = -1, g_allocs, g_overruns;
std::map<HGLOBAL, SIZE_T> g_live;
std::function<int()> g_answer;
std::vector<HGDIOBJ> g_deleted;

} // namespace

extern "C" HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes)
{
    HGLOBAL mem = g_allocs++ == g_failAlloc ? nullptr : GlobalAlloc(flags, bytes + kGuard);
    if (mem) {
        g_live[mem] = bytes;
        memset((char *)mem + bytes, 0xAB, kGuard);
    }
    return mem;
}

extern "C" HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem)
{
    const char *guard = (const char *)mem + g_live[mem];
    g_overruns += std::count(guard, guard + kGuard, (char)0xAB) != (long)kGuard;
    g_live.erase(mem);
    return GlobalFree(mem);
}

extern "C" int WINAPI TestMessageBoxA(HWND, LPCSTR, LPCSTR, UINT)
{
    return g_answer();
}

extern "C" BOOL WINAPI TestDeleteObject(HGDIOBJ obj)
{
    g_deleted.push_back(obj);
    return DeleteObject(obj);
}

namespace
{

class DialogProcTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_hInst = GetModuleHandleW(nullptr);
        dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
        ShowWindow(dlg, SW_SHOW);
    }
    void TearDown() override { DestroyWindow(dlg); }
    void Command(int id) { SendMessageA(dlg, WM_COMMAND, id, 0); }
    std::string Result()
    {
        char text[64] = {};
        GetDlgItemTextA(dlg, IDC_ENERGIE, text, sizeof text);
        return text;
    }
    HWND dlg = nullptr;
};

TEST_F(DialogProcTest, BuffersHoldTheLongestTextAndAFailedOneKeepsTheResult)
{
    const struct {
        std::string text, result;
    } cases[] = {
        {std::string(65531, ' ') + "100", "8.359053"}, // all of it is read
        {std::string(65534, ' ') + "100", "0.000000"}, // the number lies beyond
    };
    for (const auto &c : cases) {
        SetDlgItemTextA(dlg, IDC_RYCHLOST, c.text.c_str());
        Command(IDOK);
        EXPECT_EQ(Result(), c.result);
    }
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "36");
    for (int fail : {0, 1}) {
        g_allocs = 0;
        g_failAlloc = fail;
        Command(IDOK);
        EXPECT_EQ(Result(), "0.000000") << "failed allocation " << fail;
    }
    g_failAlloc = -1;
    EXPECT_TRUE(g_live.empty());
    EXPECT_EQ(g_overruns, 0);
}

TEST_F(DialogProcTest, NestedConfirmationsDeleteTheBrushOnceAndNeverHandItOut)
{
    HBRUSH brush = g_hbPozadi;
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, 0), (INT_PTR)brush);
    // Storno comes again while each box is open, three deep; the two newer
    // boxes say Yes, the first one No.
    int depth = 0;
    g_answer = [&] {
        int mine = ++depth;
        if (mine < 3)
            Command(IDCANCEL);
        return mine == 1 ? IDNO : IDYES;
    };
    Command(IDCANCEL);
    EXPECT_EQ(depth, 3);
    EXPECT_EQ(std::count(g_deleted.begin(), g_deleted.end(), (HGDIOBJ)brush), 1);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, 0), 0);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORDLG, (WPARAM)dc, 0), 0);
    DeleteDC(dc);
}

} // namespace
