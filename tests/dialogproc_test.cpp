// DialogProc in this process, on a dialog from the real template, with the
// program's memory, hooks and boxes in the test's hands (hooks.h).
#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "WinAPI_27.h"
#include "resource.h"

int g_strays;
std::set<const void *> g_live;
std::function<int()> g_answer;

// As MessageBoxA does: a window is made, then the answer comes.
int TestMessageBox()
{
    DestroyWindow(CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    return g_answer();
}

TEST(DialogProc, ReadsItsLimitGivesBackWhatItTakesQuitsOnlyOnYesKeepsNoDeletedBrush)
{
    g_hInst = GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
    ShowWindow(dlg, SW_SHOW);
    auto command = [&](int id) { SendMessageA(dlg, WM_COMMAND, id, 0); };

    // At most 65,534 characters are read: of 65,535, 100 loses its last 0.
    char result[16];
    for (int blanks : {65531, 65532}) {
        SetDlgItemTextA(dlg, IDC_RYCHLOST, (std::string(blanks, ' ') + "100").c_str());
        command(IDOK);
        GetDlgItemTextA(dlg, IDC_ENERGIE, result, sizeof result);
        EXPECT_STREQ(result, blanks == 65531 ? "8.359053" : "0.008359");
    }
    // Only Yes quits: not a box that failed (0), nor Esc under Wine, nor No.
    // Nothing piles up over many confirmations, among help and about boxes.
    const int answers[] = {0, IDCANCEL, IDNO};
    for (int i = 0; i < 99; ++i) {
        g_answer = [&] { return answers[i % 3]; };
        command(IDCANCEL);
        command(i % 2 ? IDC_NAPOVEDA : IDC_OPROGRAMU);
    }
    EXPECT_TRUE(IsWindowVisible(dlg));
    // Every buffer and hook that a command took it has given back, once.
    EXPECT_TRUE(g_live.empty());
    EXPECT_EQ(g_strays, 0);

    // Yes ends the dialog and deletes the brush, which is never handed out.
    HBRUSH brush = g_hbPozadi;
    g_answer = [] { return IDYES; };
    command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, 0, 0), 0);
    DestroyWindow(dlg);
}
