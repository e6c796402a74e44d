// Drives a running Velorn.exe from another process, as Windows would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring ExeBesideMe(const wchar_t *name);
std::wstring WindowText(HWND hwnd);
// Visible top-level windows of a process, newest first; with a caption,
// only the dialogs and message boxes that carry it.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption = nullptr);

// Polls pred every 20 ms until it holds or ms have passed.
template <class Pred> bool WaitFor(Pred pred, DWORD ms = 10000)
{
    for (DWORD start = GetTickCount(); !pred(); Sleep(20))
        if (GetTickCount() - start > ms)
            return false;
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
    HANDLE Process() const { return pi_.hProcess; }
    void Click(int id) const;                                // posted: the click may open a box
    std::wstring Calculate(const std::wstring &speed) const; // type, press OK
    // A box with this caption that is not one of those known, waited for.
    HWND WaitBox(const wchar_t *caption, const std::vector<HWND> &known = {}) const;
    HWND Open(int id, const wchar_t *caption, const std::vector<HWND> &known = {}) const
    {
        Click(id);
        return WaitBox(caption, known);
    }
    static void Answer(HWND box, int button);
    bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD WaitExit() const; // exit status, STILL_ACTIVE after 10 s

  private:
    PROCESS_INFORMATION pi_{};
    HWND dlg_ = nullptr;
};

// The window's pixels on the screen, top-down rows of 0x00RRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Picture Capture(HWND hwnd, bool clientOnly);
