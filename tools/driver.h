// Works a running Velorn.exe from another process as a person does: the
// mouse on its buttons, keys into its field. The tests, the headless run of
// scripts/run.sh and the benchmark use it.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Every wait of the driver and the tests, each named once. Velorn answers
// within a tenth of a second; the limits keep a run of failed waits short.
constexpr DWORD WAIT_MS = 5000;         // an answer to a message, or a change Velorn shows
constexpr DWORD PICTURE_WAIT_MS = 3000; // a window to finish painting, a caret to blink round
constexpr DWORD START_WAIT_MS = 20000;  // the dialog at start: Wine may first update its prefix

// A platform call that failed throws, naming the call, what it was given
// and the error: "CreateProcessW(Z:\b\Velorn.exe): error 2: ...".
[[noreturn]] void Fail(const char *call, const std::wstring &given, DWORD error);
template <class T> T Check(T result, const char *call, const std::wstring &given = {})
{
    if (!result)
        Fail(call, given, GetLastError());
    return result;
}
void CheckHr(HRESULT hr, const char *call, const std::wstring &given = {});

std::wstring ExeBesideMe(const wchar_t *name);
// A UTF-8 text, such as those of texts.h, as a window shows it, and back.
std::wstring Wide(const char *utf8);
std::string Narrow(const std::wstring &text);

// Every message to Velorn's windows goes through Send, which waits WAIT_MS
// at most: a Velorn that hangs throws, so the test fails in the step it was
// in instead of at ctest's limit.
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring WindowText(HWND hwnd);
void SetText(HWND hwnd, const std::wstring &text);
// Visible dialogs and message boxes (#32770) of a process, topmost first;
// with a caption, only those that carry it.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption = nullptr);

// Polls pred every 5 ms until it holds (true) or ms have passed (false).
// Throws once the Velorn being driven has ended: nothing it shows can change.
bool WaitFor(const std::function<bool()> &pred, DWORD ms = WAIT_MS);

// Real input, through SendInput: the mouse goes to a point on the screen,
// keys go to whichever window has the keyboard focus.
POINT Centre(HWND hwnd); // on the screen
void ClickAt(POINT pt);
void Keys(std::initializer_list<WORD> keys); // pressed in order, released in reverse
void Type(const std::wstring &text);
// Clicks a button and waits until it has gone down and come up again: its
// command has run, or the box it opens is up. Throws, saying which, if not.
void Press(HWND button);
// Brings a message box to the front, as a click on it would, clicks its
// button (IDYES, IDNO, IDOK) and waits for the box to go; throws if not.
void Answer(HWND box, int button);

// A program started as Explorer starts it: in its own folder, with its
// quoted path and then the arguments as its command line. It runs in a job
// that ends it when closed: by the destructor, or by Windows when this
// process ends, even if killed.
class Process
{
  public:
    Process(const std::wstring &exe, const std::wstring &arguments);
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    HANDLE Handle() const { return pi_.hProcess; }
    DWORD Id() const { return pi_.dwProcessId; }
    // What it has committed for itself. Wine fills PagefileUsage (the same
    // figure on Windows) but leaves PrivateUsage at 0.
    SIZE_T PrivateBytes() const;

  private:
    void Close();
    HANDLE job_;
    PROCESS_INFORMATION pi_{};
};

// The Velorn.exe that VELORN_EXE names, else the one beside this program.
class Velorn
{
  public:
    // Starts it and waits up to START_WAIT_MS for its dialog to be shown and
    // active, so that input reaches it.
    explicit Velorn(const std::wstring &arguments = L"");
    ~Velorn();

    HWND Dialog() const { return dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    DWORD Pid() const { return process_.Id(); }
    SIZE_T PrivateBytes() const { return process_.PrivateBytes(); }
    HWND Button(const char *label) const; // the one that shows this label (UTF-8, as resource.h)
    void Press(const char *label) const { ::Press(Button(label)); }
    HWND WaitBox(const wchar_t *caption) const; // topmost with this caption, or null
    DWORD WaitExit() const;                     // exit status, STILL_ACTIVE if none
    // Velorn has handled all that was sent or posted to it once the speed
    // field's flag, posted last, reads back set; false if not within WAIT_MS.
    bool Settle() const;
    // Long use, through messages where real input would be slow: rounds of
    // 300 OKs, the dialog repainted after each 100, then the help, about and
    // quit boxes, each answered. Throws, saying where, if Velorn falls behind.
    void Use(int rounds) const;

  private:
    Process process_;
    HWND dlg_ = nullptr;
};

// Pixels as 0x00RRGGBB, top-down rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD &At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Picture &o) const { return width == o.width && pixels == o.pixels; }
};
Picture Capture(HWND hwnd); // the whole window, as the screen shows it
// Pictures go to and from PNG files through WIC, Windows' imaging component.
struct IWICImagingFactory;
IWICImagingFactory *Wic();
void SavePng(const Picture &pic, const std::wstring &path);
