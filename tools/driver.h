// Drives a running Velorn.exe from another process, as Windows would: the
// tests, the headless run of scripts/run.sh and the benchmark use it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring ExeBesideMe(const wchar_t *name);
std::wstring WindowText(HWND hwnd);
// Visible top-level windows of a process, topmost first; with a caption,
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
    // Starts the program and waits for its dialog; the first start in a
    // new Wine prefix may take a while.
    explicit Velorn(const std::wstring &exe = ExeBesideMe(L"Velorn.exe"));
    ~Velorn(); // kills it if it still runs, so a hang fails only its test

    HWND Dialog() const { return dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    DWORD Pid() const { return pi_.dwProcessId; }
    void Click(int id) const;                                // posted: the click may open a box
    std::wstring Calculate(const std::wstring &speed) const; // type, press OK
    HWND WaitBox(const wchar_t *caption, DWORD ms = 10000) const; // topmost with this caption
    HWND Open(int id, const wchar_t *caption) const
    {
        Click(id);
        return WaitBox(caption);
    }
    static void Answer(HWND box, int button);
    DWORD WaitExit() const; // exit status, STILL_ACTIVE after 10 s

  private:
    PROCESS_INFORMATION pi_{};
    HWND dlg_ = nullptr;
};

// Pixels as 0x00RRGGBB, top-down rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Picture Pixels(HBITMAP bmp);
Picture Capture(HWND hwnd, bool clientOnly); // as the screen shows it
