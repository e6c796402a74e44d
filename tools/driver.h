// Works a running Velorn.exe from another process as a person does, for the
// tests, the headless run of scripts/run.sh and the benchmark.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Every wait, each named once. Velorn answers within a tenth of a second.
constexpr DWORD WAIT_MS = 5000;         // an answer to a message, or a change Velorn shows
constexpr DWORD PICTURE_WAIT_MS = 3000; // a window to finish painting, a caret to blink round
constexpr DWORD START_WAIT_MS = 20000;  // the dialog at start: Wine may first update its prefix

// A failed call throws, naming it, what it was given and the error:
// "CreateProcessW(Z:\b\Velorn.exe): error 2: ...", "...: GDI+ status 2".
[[noreturn]] void Fail(const char *call, const std::wstring &given, DWORD error);
template <class T> T Check(T result, const char *call, const std::wstring &given)
{
    if (!result)
        Fail(call, given, GetLastError());
    return result;
}
#define CHECK(call, given) Check((call), #call, given)
void CheckStatus(int status, const char *call, const std::string &given);
#define CHECK_GDIPLUS(call, given) CheckStatus(static_cast<int>(call), #call, given)

std::wstring ExeBesideMe(const wchar_t *name);
std::wstring VelornExe();            // VELORN_EXE, else the Velorn.exe beside this one
std::wstring Wide(const char *utf8); // UTF-8, as in texts.h, to what windows show
std::string Narrow(const std::wstring &text);

// A message left unanswered for WAIT_MS throws, and so do all later ones.
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring WindowText(HWND hwnd);
void SetText(HWND hwnd, const std::wstring &text);
// The visible top-level windows of a process, topmost first.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption = nullptr);

// Polls pred till it holds, or for ms: false (Await throws, saying what).
// Throws once the Velorn driven has ended, or hangs.
bool WaitFor(const std::function<bool()> &pred, DWORD ms = WAIT_MS);
void Await(const std::function<bool()> &pred, const std::string &what, DWORD ms = WAIT_MS);

// Real input (SendInput): keys go to the window with the focus.
void Click(HWND hwnd);
void Keys(std::initializer_list<WORD> keys); // pressed in order, released in reverse
void Type(const std::wstring &text);
void Press(HWND button);           // back up, its command has run or its box is up
void Answer(HWND box, int button); // clicks IDYES, IDNO or IDOK; the box goes

// A program started as Explorer starts it, in its own folder, in a job that
// ends it when closed: by the destructor, or by Windows with this process.
class Process
{
  public:
    Process(const std::wstring &exe, const std::wstring &arguments);
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    HANDLE Handle() const { return pi_.hProcess; }
    DWORD Id() const { return pi_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    SIZE_T PrivateBytes() const; // PagefileUsage: Wine leaves PrivateUsage 0

  private:
    HANDLE job_;
    PROCESS_INFORMATION pi_{};
};

// A launch of Velorn, its dialog shown and active. If its test does not end
// it, it is killed, and said: "LEFT RUNNING" (tests/wine-test.sh fails on it).
class Velorn : public Process
{
  public:
    explicit Velorn(const std::wstring &exe = VelornExe(), const std::wstring &arguments = L"");
    ~Velorn();

    HWND Dialog() const { return dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    HWND WaitBox(const char *caption) const; // the topmost, as texts.h spells it
    DWORD WaitExit() const;                  // the exit status, STILL_ACTIVE if none
    DWORD Quit() const;                      // Storno, Yes, the exit status
    bool Settle() const;        // all sent or posted is handled, or false after WAIT_MS
    void Use(int rounds) const; // of 300 OKs, a repaint each 100, each box; by messages

  private:
    HWND dlg_ = nullptr;
    HANDLE previous_; // the launch driven before this one: two can run at once
};

// Pixels as 0x00RRGGBB, top-down rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    bool operator==(const Picture &o) const { return width == o.width && pixels == o.pixels; }
};
// The client area as the screen shows it, or as draw() paints a bitmap of its size.
Picture Capture(HWND hwnd, const std::function<void(HDC)> &draw = nullptr);
void StartGdiplus();
std::string SavePng(const Picture &pic, const std::string &path); // UTF-8; returns it
