// Drives a running Velorn.exe from another process, as Windows would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring ExeBesideMe(const wchar_t *name);
std::wstring WindowText(HWND hwnd);

// Polls pred every 20 ms until it holds or ms have passed.
template <class Pred> bool WaitFor(Pred pred, DWORD ms = 10000)
{
    for (DWORD start = GetTickCount(); !pred();) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(20);
    }
    return true;
}

class Velorn
{
  public:
    Velorn();  // launches the program and waits for its visible dialog
    ~Velorn(); // kills it if it still runs, so a hang fails only its test

    HWND Dialog() const { return dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    void SetSpeed(const std::wstring &speed) const;
    void Click(int id) const;                                // posted: the click may open a box
    std::wstring Calculate(const std::wstring &speed) const; // type, press OK

    // Visible message boxes of this process with the given caption, newest first.
    std::vector<HWND> Boxes(const std::wstring &caption) const;
    HWND WaitBox(const std::wstring &caption, HWND other = nullptr) const;
    // Clicks a button and waits for the box it opens (not other).
    HWND Open(int id, const std::wstring &caption, HWND other = nullptr) const
    {
        Click(id);
        return WaitBox(caption, other);
    }
    static void Answer(HWND box, int button);

    HANDLE Process() const { return pi_.hProcess; }
    bool Running() const;
    DWORD WaitExit(DWORD ms = 10000) const; // exit status, STILL_ACTIVE on timeout

  private:
    PROCESS_INFORMATION pi_{};
    HWND dlg_ = nullptr;
};

// The window as it is on the screen, top-down rows of 0x00RRGGBB pixels.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Picture Capture(HWND hwnd, bool clientOnly);
bool SaveBmp(const Picture &picture, const wchar_t *path);
