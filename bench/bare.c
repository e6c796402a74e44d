/* The yardstick for Velorn's start-up: a modal dialog from an empty
   template, nothing else. Built a second time with WITH_COMCTL, to show
   what loading the common controls costs. */
#include <windows.h>
#include <commctrl.h>

static INT_PTR CALLBACK BareProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)hDlg;
    (void)wParam;
    (void)lParam;
    return uMsg == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
#ifdef WITH_COMCTL
    InitCommonControls();
#endif
    return (int)DialogBoxParamA(hInstance, MAKEINTRESOURCEA(1), NULL, BareProc, 0);
}
