// What WinAPI_27.cpp shares with the test that runs its dialog procedure
// in process, as the exe does.
#ifndef VELORN_WINAPI_27_H
#define VELORN_WINAPI_27_H

#include <windows.h>

extern HINSTANCE g_hInst; // the module, whose resources the dialog loads
extern HBRUSH g_hbPozadi; // the background brush, till the confirmed quit

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The working buffers of a calculation. WM_GETTEXT's limit counts the
// terminator, so at most BUFFER_SIZE - 2 characters of the speed field are read.
constexpr SIZE_T BUFFER_SIZE = 65536;

// Quit confirmations open at once, at most (WinAPI_27.cpp says why).
constexpr int MAX_CONFIRMATIONS = 3;

#endif
