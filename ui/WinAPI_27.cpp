// Velorn: the main dialog. WinMain runs it modally; DialogProc reacts to
// the calculation, quit, help and about commands and paints the background.
#include "WinAPI_27.h"

#include "energy.h"
#include "resource.h"
#include "texts.h"

HINSTANCE g_hInst;
HBRUSH g_hbPozadi;

namespace
{

// Light cyan: red 0xA0, green 0xFF, blue 0xFF
constexpr COLORREF TEXT_COLOUR = RGB(0xA0, 0xFF, 0xFF);

void Calculate(HWND hDlg)
{
    auto *pszSpeed = static_cast<char *>(GlobalAlloc(GPTR, BUFFER_SIZE));
    auto *pszEnergy = pszSpeed ? static_cast<char *>(GlobalAlloc(GPTR, BUFFER_SIZE)) : nullptr;

    // Without memory there is nothing sound to show: keep the old result.
    if (pszEnergy) {
        SendDlgItemMessageA(hDlg, IDC_RYCHLOST, WM_GETTEXT, BUFFER_SIZE - 1,
                            reinterpret_cast<LPARAM>(pszSpeed));
        FormatEnergy(pszSpeed, pszEnergy, BUFFER_SIZE);
        SendDlgItemMessageA(hDlg, IDC_ENERGIE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszEnergy));
        GlobalFree(pszEnergy);
    }
    if (pszSpeed)
        GlobalFree(pszSpeed);
}

// The quit confirmations under way. Each box has no owner, so the dialog
// stays usable while it is up and a second Storno asks again. Each box also
// runs a message loop nested in the one below it, on the single thread's
// stack, which about a thousand of them overflow: so at most three are
// open at once, the two that a second Storno gives and one to spare, and a
// Storno beyond that brings the newest box forward instead. s_ahwndQuit
// holds them oldest first; an answered box stays counted while a newer one
// is nested above it, since its MessageBoxA returns only after theirs.
HWND s_ahwndQuit[MAX_CONFIRMATIONS];
int s_nQuit;

// Hooked while a confirmation is asked: remembers the first window made
// after it is counted in, which is the box that MessageBoxA creates.
LRESULT CALLBACK RememberQuitBox(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && !s_ahwndQuit[s_nQuit - 1])
        s_ahwndQuit[s_nQuit - 1] = reinterpret_cast<HWND>(wParam);
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void ConfirmQuit(HWND hDlg)
{
    if (s_nQuit == MAX_CONFIRMATIONS) {
        SetForegroundWindow(s_ahwndQuit[s_nQuit - 1]);
        return;
    }
    s_ahwndQuit[s_nQuit++] = nullptr;
    HHOOK hhk = SetWindowsHookExA(WH_CBT, RememberQuitBox, nullptr, GetCurrentThreadId());
    const int nAnswer =
        MessageBoxA(nullptr, QUIT_TEXT, QUIT_CAPTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    UnhookWindowsHookEx(hhk);
    s_nQuit--;
    // Only a Yes quits: not a box that failed (0), nor one that Wine lets
    // Esc or its close button answer with IDCANCEL.
    if (nAnswer != IDYES)
        return;
    // Another confirmation box may still be open and keep the dialog
    // painting; it must not be handed the deleted brush.
    if (g_hbPozadi) {
        DeleteObject(g_hbPozadi);
        g_hbPozadi = nullptr;
    }
    EndDialog(hDlg, IDCANCEL);
}

// Started from a Downloads folder, Velorn must run no DLL that a web page
// saved beside it. Windows looks beside the exe first for any DLL that is
// not one of its KnownDLLs, so every DLL loaded from here on, by Velorn or
// by Windows for it, comes from the system folder alone. A Windows 7
// without KB2533623 lacks the call: Velorn starts all the same.
void LoadDllsFromSystemOnly()
{
    using SetDirectories = BOOL(WINAPI *)(DWORD);
    const auto pfnSet = reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (pfnSet)
        pfnSet(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The common controls are not a KnownDLL: taken by their full path in the
// system folder, not through the import table, which names them alone.
void InitCommonControlsFromSystem()
{
    static const wchar_t szName[] = L"\\comctl32.dll";
    wchar_t szPath[MAX_PATH];
    const UINT cch = GetSystemDirectoryW(szPath, MAX_PATH);
    if (cch == 0 || cch + sizeof szName / sizeof *szName > MAX_PATH)
        return;
    lstrcatW(szPath, szName);
    using InitFn = void(WINAPI *)();
    const HMODULE hComctl = LoadLibraryW(szPath);
    const auto pfnInit = hComctl ? reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(hComctl, "InitCommonControls")))
                                 : nullptr;
    if (pfnInit)
        pfnInit();
}

} // namespace

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg) {
    case WM_INITDIALOG: {
        HBITMAP hbmPozadi = LoadBitmapA(g_hInst, MAKEINTRESOURCEA(IDB_POZADI));

        g_hbPozadi = CreatePatternBrush(hbmPozadi);
        // The brush holds its own copy of the pattern.
        DeleteObject(hbmPozadi);
        return FALSE;
    }

    case WM_CTLCOLORDLG:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(g_hbPozadi);

    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wParam), TEXT_COLOUR);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(g_hbPozadi);

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Calculate(hDlg);
            break;
        case IDCANCEL:
            ConfirmQuit(hDlg);
            break;
        case IDC_NAPOVEDA:
            MessageBoxA(hDlg, HELP_TEXT, HELP_CAPTION, MB_OK | MB_ICONINFORMATION);
            break;
        case IDC_OPROGRAMU:
            MessageBoxA(hDlg, ABOUT_TEXT, ABOUT_CAPTION, MB_OK | MB_ICONINFORMATION);
            break;
        }
        return 0;
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    LoadDllsFromSystemOnly();
    g_hInst = hInstance;
    InitCommonControlsFromSystem();
    return static_cast<int>(
        DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0));
}
