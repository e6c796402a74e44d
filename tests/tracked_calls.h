// Force-included before ui/WinAPI_27.cpp, and read by its test: the test keeps
// what the program must give back, and answers its boxes; nothing throws
// through Windows' frames.
#pragma once
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

inline std::set<const void *> g_live; // taken and not yet given back
inline int g_strays;
inline int g_answer; // what every box answers

// A freed block is kept, filled, and must stay so: Wine's heap reports a
// write past a block's end, but not one into a block already freed.
inline std::map<BYTE *, std::ptrdiff_t> g_freed; // and its size
inline HGLOBAL KeepFilled(HGLOBAL memory) noexcept
{
    auto *block = static_cast<BYTE *>(memory);
    std::fill_n(block, g_freed[block] = static_cast<std::ptrdiff_t>(GlobalSize(memory)), 0xDD);
    return nullptr;
}

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
