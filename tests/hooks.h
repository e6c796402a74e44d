/* Force-included before ui/WinAPI_27.c in the in-process test: memory,
   message boxes and object deletion go through the test. */
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem);
int WINAPI TestMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL WINAPI TestDeleteObject(HGDIOBJ obj);
#ifdef __cplusplus
}
#endif

#define GlobalAlloc TestGlobalAlloc
#define GlobalFree TestGlobalFree
#define MessageBoxA TestMessageBoxA
#define DeleteObject TestDeleteObject
