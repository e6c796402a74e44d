// Force-included before ui/WinAPI_27.cpp: memory and boxes go through the test.
#include <windows.h>

HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem);
int WINAPI TestMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define GlobalAlloc TestGlobalAlloc
#define GlobalFree TestGlobalFree
#define MessageBoxA TestMessageBoxA
