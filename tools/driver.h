// Works a running Velorn.exe from another process as a person does: the
// mouse on its buttons, keys into its field. The tests, the headless run of
// scripts/run.sh and the benchmark use it.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

std::wstring FolderOf(const std::wstring &path);
std::wstring ExeBesideMe(const wchar_t *name);
// The Velorn.exe that VELORN_EXE names, else the one beside this program.
std::wstring VelornExe();
// Every message to Velorn's windows goes through Send, which waits 5 s at
// most: a Velorn that hangs throws, so the test fails in the step it was in
// instead of at ctest's limit.
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring WindowText(HWND hwnd);
void SetText(HWND hwnd, const std::wstring &text);
// A UTF-8 text, such as those of texts.h, as a window shows it.
std::wstring Wide(const char *utf8);
// Visible dialogs and message boxes (#32770) of a process, topmost first;
// with a caption, only those that carry it.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption = nullptr);

// Throws if the Velorn being driven has ended: nothing it shows can change.
void ThrowIfEnded();
// Polls pred every 20 ms until it holds or ms have passed. Velorn answers
// within a tenth of a second; 5 s keeps a run of failed waits short.
template <class Pred> bool WaitFor(Pred pred, DWORD ms = 5000)
{
    for (DWORD start = GetTickCount(); !pred(); Sleep(20)) {
        ThrowIfEnded();
        if (GetTickCount() - start > ms)
            return false;
    }
    return true;
}

// Real input, through SendInput: the mouse goes to a point on the screen,
// keys go to whichever window has the keyboard focus.
POINT Centre(HWND hwnd); // on the screen
void ClickAt(POINT pt);
void Keys(std::initializer_list<WORD> keys); // pressed in order, released in reverse
void Type(const std::wstring &text);
// Clicks a button and waits until it has gone down and come up again: its
// command has run, or the box it opens is up. False if it never went down.
bool Press(HWND button);
// The visible buttons of a dialog or message box, and the one that shows
// this text.
std::vector<HWND> Buttons(HWND dialog);
HWND ButtonOf(HWND dialog, const wchar_t *text);
// Brings a message box to the front, as a click on it would, and clicks
// its button (IDYES, IDNO, IDOK); true once the box has gone.
bool Answer(HWND box, int button);

class Velorn
{
  public:
    // Starts the program in its own folder, as Explorer does, and waits up
    // to 20 s (Wine may first update its prefix) for its dialog to be shown
    // and active. It runs in a job that kills it when closed: by the
    // destructor, or by Windows when the driving process ends, even if killed.
    explicit Velorn(const std::wstring &exe = VelornExe());
    ~Velorn();
    Velorn(const Velorn &) = delete;
    Velorn &operator=(const Velorn &) = delete;

    HWND Dialog() const { return dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    DWORD Pid() const { return pi_.dwProcessId; }
    HWND Button(const wchar_t *text) const { return ButtonOf(dlg_, text); }
    bool Press(const wchar_t *button) const { return ::Press(Button(button)); }
    HWND WaitBox(const wchar_t *caption, DWORD ms = 5000) const; // topmost with this caption
    DWORD WaitExit() const; // exit status, STILL_ACTIVE after 5 s

  private:
    void End();
    HANDLE job_;
    PROCESS_INFORMATION pi_{};
    HWND dlg_ = nullptr;
};

// Pixels as 0x00RRGGBB, top-down rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD &At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Picture &o) const { return width == o.width && pixels == o.pixels; }
};
Picture Pixels(HBITMAP bmp);
Picture Capture(HWND hwnd); // the whole window, as the screen shows it
// Pictures go to and from PNG files through WIC, Windows' imaging component.
struct IWICImagingFactory;
IWICImagingFactory *Wic();
bool SavePng(const Picture &pic, const std::wstring &path);
