// Force-included before ui/WinAPI_27.cpp: the test keeps what the program must
// give back, and answers its boxes; nothing throws through Windows' frames.
#include <windows.h>

#include <set>

extern std::set<const void *> g_live; // taken and not yet given back
extern int g_strays;
extern int g_answer;                        // what every box answers
HGLOBAL KeepFilled(HGLOBAL block) noexcept; // instead of freeing it

template <class Handle> Handle Take(Handle handle) noexcept
{
    if (handle)
        g_live.insert(handle);
    return handle;
}

// What is given back twice, or was never taken, is counted and kept.
template <class Handle, class Real> auto GiveBack(Handle handle, Real real) noexcept
{
    return g_live.erase(handle) ? real(handle) : (++g_strays, decltype(real(handle)){});
}

#define GlobalAlloc(...) Take(GlobalAlloc(__VA_ARGS__))
#define GlobalFree(mem) GiveBack(mem, KeepFilled)
#define SetWindowsHookExA(...) Take(SetWindowsHookExA(__VA_ARGS__))
#define UnhookWindowsHookEx(hook) GiveBack(hook, UnhookWindowsHookEx)
#define LoadBitmapA(...) Take(LoadBitmapA(__VA_ARGS__))
#define CreatePatternBrush(bitmap) Take(CreatePatternBrush(bitmap))
#define DeleteObject(object) GiveBack(object, DeleteObject)
#define MessageBoxA(...) [] { return g_answer; }()
