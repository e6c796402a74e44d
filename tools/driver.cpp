#include "driver.h"

#include <gdiplus.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <tuple>

#include "resource.h"
#include "texts.h"

void Fail(const char *call, const std::wstring &given, DWORD error)
{
    wchar_t text[512] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, 512, nullptr);
    std::wstring why = L": " + std::wstring(text);
    why.erase(why.find_last_not_of(L" \r\n:") + 1);
    char number[16];
    snprintf(number, sizeof number, error > 0xFFFF ? "0x%08lX" : "%lu", error);
    throw std::runtime_error(std::string(call, std::strcspn(call, "(")) + "(" + Narrow(given) +
                             "): error " + number + Narrow(why));
}

void CheckStatus(int status, const char *call, const std::string &given)
{
    if (status != Gdiplus::Ok)
        throw std::runtime_error(std::string(call, std::strcspn(call, "(")) + "(" + given +
                                 "): GDI+ status " + std::to_string(status));
}

namespace
{
HANDLE s_driven;    // the process of the Velorn being driven
std::string s_hung; // the message that this launch left unanswered, if any

std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring Named(HWND hwnd) // as a failure names it
{
    return L"window " + std::to_wstring(reinterpret_cast<UINT_PTR>(hwnd));
}

std::string Within(DWORD ms)
{
    return " within " + std::to_string(ms) + " ms";
}

POINT Centre(HWND hwnd)
{
    RECT rc{};
    CHECK(GetWindowRect(hwnd, &rc), Named(hwnd));
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void Mouse(POINT pt, DWORD flags)
{
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    INPUT in{INPUT_MOUSE, {}};
    in.mi.dx = MulDiv(pt.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(pt.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    CHECK(SendInput(1, &in, sizeof in), L"mouse");
}

void Key(WORD vk, wchar_t ch, DWORD up)
{
    INPUT in{INPUT_KEYBOARD, {}};
    in.ki = {vk, ch, up | (ch ? KEYEVENTF_UNICODE : 0), 0, 0};
    CHECK(SendInput(1, &in, sizeof in), L"key");
}
} // namespace

std::wstring ExeBesideMe(const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = CHECK(GetModuleFileNameW(nullptr, path, MAX_PATH), name);
    return FolderOf(std::wstring(path, length)) + L"\\" + name;
}

std::wstring VelornExe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
}

std::wstring Wide(const char *utf8)
{
    std::wstring text(CHECK(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L"UTF-8"),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), static_cast<int>(text.size()));
    text.pop_back(); // the terminator
    return text;
}

// Unchecked: failures use it to say what failed.
std::string Narrow(const std::wstring &text)
{
    std::string utf8(
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!s_hung.empty())
        throw std::runtime_error(s_hung);
    // A window that went away meanwhile answers nothing, which is no hang.
    if (SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, WAIT_MS, &result) ||
        !IsWindow(hwnd))
        return static_cast<LRESULT>(result);
    char what[160];
    snprintf(what, sizeof what, "Velorn hangs: its %s (control %d) left message 0x%04X unanswered",
             Narrow(Named(hwnd)).c_str(), GetDlgCtrlID(hwnd), msg);
    throw std::runtime_error(s_hung = what + Within(WAIT_MS));
}

std::wstring WindowText(HWND hwnd)
{
    // One message, which a change cannot tear, for up to 65,535 characters
    // (the tests' longest); the terminator goes where std::wstring keeps one.
    std::wstring text(65535, L'\0');
    text.resize(static_cast<size_t>(
        Send(hwnd, WM_GETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void SetText(HWND hwnd, const std::wstring &text)
{
    Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption)
{
    std::vector<HWND> found;
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, nullptr, caption))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd))
            found.push_back(hwnd);
    }
    return found;
}

bool WaitFor(const std::function<bool()> &pred, DWORD ms)
{
    for (DWORD start = GetTickCount(); !pred(); Sleep(5)) {
        DWORD status;
        if (!s_hung.empty()) // nothing a hung Velorn shows can change
            throw std::runtime_error(s_hung);
        if (s_driven && WaitForSingleObject(s_driven, 0) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(s_driven, &status)) {
            char what[64];
            snprintf(what, sizeof what, "Velorn ended, with status 0x%lX", status);
            throw std::runtime_error(what);
        }
        if (GetTickCount() - start > ms)
            return false;
    }
    return true;
}

void Await(const std::function<bool()> &pred, const std::string &what, DWORD ms)
{
    if (!WaitFor(pred, ms))
        throw std::runtime_error(what + Within(ms));
}

void Click(HWND hwnd)
{
    const POINT pt = Centre(hwnd);
    for (DWORD flags : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
        Mouse(pt, flags);
}

void Keys(std::initializer_list<WORD> keys)
{
    for (WORD vk : keys)
        Key(vk, 0, 0);
    for (auto vk = std::rbegin(keys); vk != std::rend(keys); ++vk)
        Key(*vk, 0, KEYEVENTF_KEYUP);
}

void Type(const std::wstring &text)
{
    for (wchar_t ch : text) {
        Key(0, ch, 0);
        Key(0, ch, KEYEVENTF_KEYUP);
    }
}

void Press(HWND button)
{
    // The button answers BM_GETSTATE only between messages: once up again,
    // its command has run, or opened a box whose loop answers for it.
    const auto pushed = [&] { return (Send(button, BM_GETSTATE) & BST_PUSHED) != 0; };
    const std::string name = "the button \"" + Narrow(WindowText(button)) + "\"";
    const POINT pt = Centre(button);
    Mouse(pt, 0);
    Mouse(pt, MOUSEEVENTF_LEFTDOWN);
    const bool down = WaitFor(pushed);
    Mouse(pt, MOUSEEVENTF_LEFTUP);
    Await([&] { return down && !pushed(); },
          name + (down ? " did not come up" : " did not go down"));
}

void Answer(HWND box, int button)
{
    const HWND item = CHECK(GetDlgItem(box, button), Named(box) + L", " + std::to_wstring(button));
    // Asynchronous, so that a hung Velorn cannot hold us: its thread raises
    // the box when it gets there, and the click waits until the button is
    // what lies under the mouse.
    CHECK(SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS),
          Named(box));
    Await([&] { return WindowFromPoint(Centre(item)) == item; },
          "Answer: the button " + std::to_string(button) + " did not come to the top");
    Press(item);
    Await([&] { return !IsWindowVisible(box); },
          "Answer: the box did not close after its button " + std::to_string(button));
}

Process::Process(const std::wstring &exe, const std::wstring &arguments)
    : job_(CHECK(CreateJobObjectW(nullptr, nullptr), exe))
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    CHECK(SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit),
          L"kill on close");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    // Suspended until it is in the job, so no process of its escapes it.
    CHECK(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                         nullptr, FolderOf(exe).c_str(), &si, &pi_),
          exe);
    CHECK(AssignProcessToJobObject(job_, pi_.hProcess), exe);
    CHECK(ResumeThread(pi_.hThread) != static_cast<DWORD>(-1), exe);
}

Process::~Process()
{
    CloseHandle(job_); // which ends what still runs in it
    if (WaitForSingleObject(pi_.hProcess, WAIT_MS) != WAIT_OBJECT_0)
        fprintf(stderr, "LEFT RUNNING: process %lu, its job closed%s\n", Id(),
                Within(WAIT_MS).c_str());
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

SIZE_T Process::PrivateBytes() const
{
    PROCESS_MEMORY_COUNTERS mem{};
    CHECK(GetProcessMemoryInfo(pi_.hProcess, &mem, sizeof mem), std::to_wstring(Id()));
    return mem.PagefileUsage;
}

Velorn::Velorn(const std::wstring &exe, const std::wstring &arguments)
    : Process(exe, arguments), previous_(s_driven)
{
    s_driven = Handle();
    s_hung.clear(); // a launch starts clean, whatever an earlier one did
    try {
        // Input reaches Velorn once its dialog is active and its thread knows so.
        std::vector<HWND> shown;
        Await([&] { return !(shown = WindowsOf(Id())).empty(); }, "Velorn showed no dialog",
              START_WAIT_MS);
        dlg_ = shown[0];
        Await([&] { return GetForegroundWindow() == dlg_ && Settle(); },
              "Velorn's dialog did not become active");
    } catch (...) {
        s_driven = previous_;
        throw;
    }
}

Velorn::~Velorn()
{
    s_driven = previous_;
    s_hung.clear(); // the launch is over
    if (Running())
        fprintf(stderr, "LEFT RUNNING: Velorn, process %lu, when its test was done\n", Id());
}

HWND Velorn::WaitBox(const char *caption) const
{
    std::vector<HWND> boxes;
    Await([&] { return !(boxes = WindowsOf(Id(), Wide(caption).c_str())).empty(); },
          std::string("no box \"") + caption + "\" appeared");
    return boxes[0];
}

DWORD Velorn::WaitExit() const
{
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(Handle(), WAIT_MS) == WAIT_OBJECT_0)
        CHECK(GetExitCodeProcess(Handle(), &status), std::to_wstring(Id()));
    return status;
}

DWORD Velorn::Quit() const
{
    ::Press(Item(IDCANCEL));
    Answer(WaitBox(QUIT_CAPTION), IDYES);
    return WaitExit();
}

bool Velorn::Settle() const
{
    const HWND field = Item(IDC_RYCHLOST);
    Send(field, EM_SETMODIFY, FALSE);
    CHECK(PostMessageW(field, EM_SETMODIFY, TRUE, 0), L"EM_SETMODIFY");
    return WaitFor([&] { return Send(field, EM_GETMODIFY) != 0; });
}

void Velorn::Use(int rounds) const
{
    const auto post = [](HWND hwnd, int command) {
        CHECK(PostMessageW(hwnd, WM_COMMAND, command, 0), std::to_wstring(command));
    };
    for (int round = 1; round <= rounds; ++round) {
        const std::string where = "long use, round " + std::to_string(round) + ": ";
        for (const wchar_t *speed : {L"100", L"2.7e103", L"-20"}) {
            SetText(Item(IDC_RYCHLOST), speed);
            for (int i = 0; i < 100; ++i)
                post(dlg_, IDOK);
            Await([&] { return Settle(); }, where + "100 OKs not handled");
            CHECK(RedrawWindow(dlg_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN),
                  Named(dlg_));
        }
        for (auto [command, caption, answer] : {std::tuple{IDC_NAPOVEDA, HELP_CAPTION, IDOK},
                                                std::tuple{IDC_OPROGRAMU, ABOUT_CAPTION, IDOK},
                                                std::tuple{IDCANCEL, QUIT_CAPTION, IDNO}}) {
            post(dlg_, command);
            const HWND box = WaitBox(caption);
            post(box, answer);
            Await([&] { return !IsWindow(box); }, where + "the box stayed open: " + caption);
        }
    }
}

Picture Capture(HWND hwnd, const std::function<void(HDC)> &draw)
{
    RECT rc{};
    CHECK(GetClientRect(hwnd, &rc), Named(hwnd));
    POINT origin{}; // of the client area, whose rectangle starts at 0, 0
    CHECK(ClientToScreen(hwnd, &origin), Named(hwnd));
    Picture pic{rc.right, rc.bottom, {}};
    pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height);
    BITMAPINFO bi{{sizeof bi.bmiHeader, pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    // Should a call fail, what the ones before took stays taken; its test fails.
    const std::wstring under = L"the screen under " + Named(hwnd);
    const HDC screen = CHECK(GetDC(nullptr), under), mem = CHECK(CreateCompatibleDC(screen), under);
    const HBITMAP bmp = CHECK(CreateCompatibleBitmap(screen, pic.width, pic.height), under);
    const HGDIOBJ old = CHECK(SelectObject(mem, bmp), under);
    if (draw)
        draw(mem);
    else
        CHECK(BitBlt(mem, 0, 0, pic.width, pic.height, screen, origin.x, origin.y, SRCCOPY), under);
    CHECK(SelectObject(mem, old), under);
    CHECK(GetDIBits(screen, bmp, 0, pic.height, pic.pixels.data(), &bi, DIB_RGB_COLORS), under);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

void StartGdiplus()
{
    static ULONG_PTR s_token = 0; // till this process ends
    const Gdiplus::GdiplusStartupInput input;
    if (!s_token)
        CHECK_GDIPLUS(Gdiplus::GdiplusStartup(&s_token, &input, nullptr), "");
}

std::string SavePng(const Picture &pic, const std::string &path)
{
    const CLSID png = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    StartGdiplus();
    Gdiplus::Bitmap bitmap(pic.width, pic.height, 4 * pic.width, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE *>(const_cast<DWORD *>(pic.pixels.data())));
    CHECK_GDIPLUS(bitmap.Save(Wide(path.c_str()).c_str(), &png, nullptr), path);
    return path;
}
