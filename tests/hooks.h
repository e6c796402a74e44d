// Force-included before ui/WinAPI_27.cpp: the test tracks each memory block,
// hook and GDI object, and answers the boxes.
#include <windows.h>

#include <set>

extern std::set<const void *> g_live; // taken and not yet given back
extern int g_strays;
int TestMessageBox();
void *GuardedAlloc(UINT flags, SIZE_T bytes);
HGLOBAL CheckAndKeep(HGLOBAL block);

template <class Handle> Handle Take(Handle handle)
{
    if (handle)
        g_live.insert(handle);
    return handle;
}

// What is given back twice, or was never taken, is counted and kept.
template <class Handle, class Real> auto GiveBack(Handle handle, Real real)
{
    return g_live.erase(handle) ? real(handle) : (++g_strays, decltype(real(handle)){});
}

#define GlobalAlloc(...) Take(GuardedAlloc(__VA_ARGS__))
#define GlobalFree(mem) GiveBack(mem, CheckAndKeep)
#define SetWindowsHookExA(...) Take(SetWindowsHookExA(__VA_ARGS__))
#define UnhookWindowsHookEx(hook) GiveBack(hook, UnhookWindowsHookEx)
#define LoadBitmapA(...) Take(LoadBitmapA(__VA_ARGS__))
#define CreatePatternBrush(bitmap) Take(CreatePatternBrush(bitmap))
#define DeleteObject(object) GiveBack(object, DeleteObject)
#define MessageBoxA(...) TestMessageBox()
