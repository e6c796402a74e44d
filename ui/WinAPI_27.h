// What WinAPI_27.cpp shares with the test that runs its dialog procedure
// in process, as the exe does.
#ifndef VELORN_WINAPI_27_H
#define VELORN_WINAPI_27_H

#include <windows.h>

extern HINSTANCE g_hInst; // the module, whose resources the dialog loads
extern HBRUSH g_hbPozadi; // the background brush, till the confirmed quit

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

#endif
