/*
 * Velorn: the main dialog. WinMain runs it modally; DialogProc reacts to
 * the calculation, quit, help and about commands and paints the background.
 */
#include <windows.h>
#include <commctrl.h>

#include "energy.h"
#include "resource.h"

/* 65,535 characters of field text plus the terminator */
#define BUFFER_SIZE 65536

/* Light cyan: red 0xA0, green 0xFF, blue 0xFF */
#define TEXT_COLOUR RGB(0xA0, 0xFF, 0xFF)

HINSTANCE g_hInst;
HBRUSH g_hbPozadi;

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

/* Texts of the message boxes, Windows-1250 bytes for the ANSI calls */
static const char QUIT_TEXT[] = "Opravdu si p\xF8"
                                "ejete ukon\xE8it tento program?";
static const char QUIT_CAPTION[] = "Potvrzen\xED ukon\xE8"
                                   "en\xED";

static void Calculate(HWND hDlg)
{
    char *pszSpeed = (char *)GlobalAlloc(GPTR, BUFFER_SIZE);
    char *pszEnergy = (char *)GlobalAlloc(GPTR, BUFFER_SIZE);

    /* Without memory there is nothing sound to show: keep the old result. */
    if (pszSpeed && pszEnergy) {
        SendDlgItemMessageA(hDlg, IDC_RYCHLOST, WM_GETTEXT, BUFFER_SIZE - 1, (LPARAM)pszSpeed);
        FormatEnergy(pszSpeed, pszEnergy, BUFFER_SIZE);
        SendDlgItemMessageA(hDlg, IDC_ENERGIE, WM_SETTEXT, 0, (LPARAM)pszEnergy);
    }
    if (pszSpeed)
        GlobalFree(pszSpeed);
    if (pszEnergy)
        GlobalFree(pszEnergy);
}

static void ConfirmQuit(HWND hDlg)
{
    /* No owner: the dialog stays usable while the question is up. */
    if (MessageBoxA(NULL, QUIT_TEXT, QUIT_CAPTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
        IDNO)
        return;
    /* Another confirmation box may still be open and keep the dialog
       painting; it must not be handed the deleted brush. */
    if (g_hbPozadi) {
        DeleteObject(g_hbPozadi);
        g_hbPozadi = NULL;
    }
    EndDialog(hDlg, IDCANCEL);
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        return FALSE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Calculate(hDlg);
            break;
        case IDCANCEL:
            ConfirmQuit(hDlg);
            break;
        }
        return 0;
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    g_hInst = hInstance;
    InitCommonControls();
    return (int)DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), NULL, DialogProc, 0);
}
