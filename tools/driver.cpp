#include "driver.h"

#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwctype>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "resource.h"

void Fail(const char *call, const std::wstring &given, DWORD error)
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring why = text ? text : L"";
    LocalFree(text);
    while (!why.empty() && std::iswspace(why.back()))
        why.pop_back();
    char number[16];
    snprintf(number, sizeof number, error > 0xFFFF ? "0x%08lX" : "%lu", error);
    throw std::runtime_error(std::string(call) + "(" + Narrow(given) + "): error " + number +
                             (why.empty() ? "" : ": " + Narrow(why)));
}

void CheckHr(HRESULT hr, const char *call, const std::wstring &given)
{
    if (FAILED(hr))
        Fail(call, given, static_cast<DWORD>(hr));
}

namespace
{
std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L"\\/"));
}

// A window as a failure names it: its handle and class.
std::wstring Named(HWND hwnd)
{
    wchar_t name[64] = {};
    int length = swprintf(name, 64, L"window %p ", static_cast<void *>(hwnd));
    GetClassNameW(hwnd, name + length, 64 - length);
    return name;
}

HANDLE s_driven; // the process of the Velorn being driven
} // namespace

std::wstring ExeBesideMe(const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = Check(GetModuleFileNameW(nullptr, path, MAX_PATH), "GetModuleFileNameW");
    return FolderOf(std::wstring(path, length)) + L"\\" + name;
}

std::wstring Wide(const char *utf8)
{
    std::wstring text(Check(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0),
                            "MultiByteToWideChar", L"UTF-8 text"),
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
    // Once Velorn has hung, every later message fails at once, not in WAIT_MS.
    static char s_hung[128];
    DWORD_PTR result = 0;
    if (*s_hung)
        throw std::runtime_error(s_hung);
    // A window that went away meanwhile answers nothing, which is no hang.
    if (SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, WAIT_MS, &result) ||
        !IsWindow(hwnd))
        return static_cast<LRESULT>(result);
    snprintf(s_hung, sizeof s_hung,
             "Velorn hangs: its %s (control %d) left message 0x%04X unanswered for %lu ms",
             Narrow(Named(hwnd)).c_str(), GetDlgCtrlID(hwnd), msg, WAIT_MS);
    throw std::runtime_error(s_hung);
}

std::wstring WindowText(HWND hwnd)
{
    std::wstring text(static_cast<size_t>(Send(hwnd, WM_GETTEXTLENGTH)), L'\0');
    // The terminator that WM_GETTEXT adds goes where std::wstring keeps one.
    const LRESULT got =
        Send(hwnd, WM_GETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

void SetText(HWND hwnd, const std::wstring &text)
{
    Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> windows;
        std::exception_ptr error;
    } search{pid, {}, nullptr};
    // Windows calls this back: it asks only the window manager, sends
    // nothing to Velorn, and lets no exception through user32's frames.
    const BOOL done = EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<Search *>(lParam);
            try {
                DWORD owner = 0;
                wchar_t cls[16] = {};
                GetWindowThreadProcessId(hwnd, &owner);
                GetClassNameW(hwnd, cls, 16);
                if (owner == s->pid && IsWindowVisible(hwnd) && !wcscmp(cls, L"#32770"))
                    s->windows.push_back(hwnd);
                return TRUE;
            } catch (...) {
                s->error = std::current_exception();
                return FALSE;
            }
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.error)
        std::rethrow_exception(search.error);
    if (!done)
        Fail("EnumWindows", L"", GetLastError());
    std::vector<HWND> found;
    for (HWND hwnd : search.windows)
        if (!caption || WindowText(hwnd) == caption)
            found.push_back(hwnd);
    return found;
}

bool WaitFor(const std::function<bool()> &pred, DWORD ms)
{
    for (DWORD start = GetTickCount(); !pred(); Sleep(5)) {
        DWORD status;
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

namespace
{
void Input(INPUT in)
{
    Check(SendInput(1, &in, sizeof in), "SendInput");
}

void Mouse(POINT pt, DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    in.mi.dx = MulDiv(pt.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(pt.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    Input(in);
}

void Key(WORD vk, wchar_t ch, DWORD up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = ch;
    in.ki.dwFlags = up | (ch ? KEYEVENTF_UNICODE : 0);
    Input(in);
}

bool Pushed(HWND button)
{
    return Send(button, BM_GETSTATE) & BST_PUSHED;
}
} // namespace

POINT Centre(HWND hwnd)
{
    RECT rc{};
    Check(GetWindowRect(hwnd, &rc), "GetWindowRect", Named(hwnd));
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void ClickAt(POINT pt)
{
    Mouse(pt, 0);
    Mouse(pt, MOUSEEVENTF_LEFTDOWN);
    Mouse(pt, MOUSEEVENTF_LEFTUP);
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
    // The button answers BM_GETSTATE only between messages, so once it
    // reads as up again the click's command has been handled, or has
    // opened a box whose loop answers for it.
    if (!button)
        throw std::runtime_error("Press: no such button");
    POINT pt = Centre(button);
    Mouse(pt, 0);
    Mouse(pt, MOUSEEVENTF_LEFTDOWN);
    const bool down = WaitFor([&] { return Pushed(button); });
    Mouse(pt, MOUSEEVENTF_LEFTUP);
    if (!down || !WaitFor([&] { return !Pushed(button); }))
        throw std::runtime_error("Press: the button \"" + Narrow(WindowText(button)) + "\" " +
                                 (down ? "stayed down" : "never went down") + " for " +
                                 std::to_string(WAIT_MS) + " ms");
}

void Answer(HWND box, int button)
{
    const HWND item = GetDlgItem(box, button);
    if (!item)
        Fail("GetDlgItem", Named(box) + L", button " + std::to_wstring(button), GetLastError());
    // Asynchronous, so that a hung Velorn cannot hold us: its thread raises
    // the box when it gets there, and the click waits until the button is
    // what lies under the mouse.
    Check(SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS),
          "SetWindowPos", Named(box));
    HWND under = nullptr;
    if (!WaitFor([&] { return (under = WindowFromPoint(Centre(item))) == item; }))
        throw std::runtime_error("Answer: " + Narrow(Named(under)) + " lay over the button for " +
                                 std::to_string(WAIT_MS) + " ms");
    Press(item);
    if (!WaitFor([&] { return !IsWindowVisible(box); }))
        throw std::runtime_error("Answer: the box stayed open " + std::to_string(WAIT_MS) +
                                 " ms after its button " + std::to_string(button));
}

Process::Process(const std::wstring &exe, const std::wstring &arguments)
    : job_(Check(CreateJobObjectW(nullptr, nullptr), "CreateJobObjectW"))
{
    const auto fail = [&](const char *call, const std::wstring &given) {
        const DWORD error = GetLastError();
        if (pi_.hProcess)
            TerminateProcess(pi_.hProcess, 1);
        Close();
        Fail(call, given, error);
    };
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit))
        fail("SetInformationJobObject", L"kill on close");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    // Suspended until it is in the job, so no process of its escapes it.
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, FolderOf(exe).c_str(), &si, &pi_))
        fail("CreateProcessW", exe);
    if (!AssignProcessToJobObject(job_, pi_.hProcess))
        fail("AssignProcessToJobObject", exe);
    if (ResumeThread(pi_.hThread) == static_cast<DWORD>(-1))
        fail("ResumeThread", exe);
}

Process::~Process()
{
    Close();
}

void Process::Close()
{
    CloseHandle(job_);
    if (!pi_.hProcess)
        return;
    WaitForSingleObject(pi_.hProcess, WAIT_MS);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

SIZE_T Process::PrivateBytes() const
{
    PROCESS_MEMORY_COUNTERS mem{};
    Check(GetProcessMemoryInfo(pi_.hProcess, &mem, sizeof mem), "GetProcessMemoryInfo");
    return mem.PagefileUsage;
}

namespace
{
std::wstring VelornExe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
}
} // namespace

Velorn::Velorn(const std::wstring &arguments) : process_(VelornExe(), arguments)
{
    s_driven = process_.Handle();
    try {
        // At start the program's only window is its dialog.
        std::vector<HWND> shown;
        WaitFor([&] { return !(shown = WindowsOf(Pid())).empty(); }, START_WAIT_MS);
        if (shown.empty())
            throw std::runtime_error("Velorn showed no dialog within " +
                                     std::to_string(START_WAIT_MS) + " ms");
        dlg_ = shown[0];
        // Until it is active, a click may land on whatever was there before,
        // and until its thread has handled that, keys may go where X last
        // had the focus.
        if (!WaitFor([&] { return GetForegroundWindow() == dlg_; }) || !Settle())
            throw std::runtime_error("Velorn's dialog did not become active within " +
                                     std::to_string(WAIT_MS) + " ms");
    } catch (...) {
        s_driven = nullptr;
        throw;
    }
}

Velorn::~Velorn()
{
    s_driven = nullptr;
}

HWND Velorn::Button(const char *label) const
{
    for (HWND c = GetWindow(dlg_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (!_wcsicmp(cls, L"Button") && IsWindowVisible(c) && WindowText(c) == Wide(label))
            return c;
    }
    return nullptr;
}

HWND Velorn::WaitBox(const wchar_t *caption) const
{
    std::vector<HWND> boxes;
    WaitFor([&] { return !(boxes = WindowsOf(Pid(), caption)).empty(); });
    return boxes.empty() ? nullptr : boxes[0];
}

DWORD Velorn::WaitExit() const
{
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(process_.Handle(), WAIT_MS) == WAIT_OBJECT_0)
        Check(GetExitCodeProcess(process_.Handle(), &status), "GetExitCodeProcess");
    return status;
}

bool Velorn::Settle() const
{
    const HWND field = Item(IDC_RYCHLOST);
    Send(field, EM_SETMODIFY, FALSE);
    Check(PostMessageW(field, EM_SETMODIFY, TRUE, 0), "PostMessageW", L"EM_SETMODIFY");
    return WaitFor([&] { return Send(field, EM_GETMODIFY) != 0; });
}

void Velorn::Use(int rounds) const
{
    auto post = [](HWND hwnd, int command) {
        Check(PostMessageW(hwnd, WM_COMMAND, command, 0), "PostMessageW", L"WM_COMMAND");
    };
    for (int round = 1; round <= rounds; ++round) {
        const std::string where = "long use, round " + std::to_string(round) + ": ";
        for (const wchar_t *speed : {L"100", L"2.7e103", L"-20"}) {
            SetText(Item(IDC_RYCHLOST), speed);
            for (int i = 0; i < 100; ++i)
                post(dlg_, IDOK);
            if (!Settle())
                throw std::runtime_error(where + "OKs not handled within WAIT_MS");
            Check(RedrawWindow(dlg_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN),
                  "RedrawWindow", Named(dlg_));
        }
        // Each box is the one of two windows that is not the dialog (the quit
        // box, having no owner, need not be above it); answered, it goes.
        for (auto [command, answer] : {std::pair{IDC_NAPOVEDA, IDOK},
                                       std::pair{IDC_OPROGRAMU, IDOK}, std::pair{IDCANCEL, IDNO}}) {
            std::vector<HWND> shown;
            post(dlg_, command);
            if (!WaitFor([&] { return (shown = WindowsOf(Pid())).size() == 2; }))
                throw std::runtime_error(where + "no box for command " + std::to_string(command));
            post(shown[shown[0] == dlg_], answer);
            if (!WaitFor([&] { return WindowsOf(Pid()).size() == 1; }))
                throw std::runtime_error(where + "the box of command " + std::to_string(command) +
                                         " stayed open");
        }
    }
}

Picture Capture(HWND hwnd)
{
    RECT rc{};
    Check(GetWindowRect(hwnd, &rc), "GetWindowRect", Named(hwnd));
    Picture pic{rc.right - rc.left, rc.bottom - rc.top, {}};
    pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    // The first call that fails is named once all are given back.
    HDC screen = GetDC(nullptr), mem = screen ? CreateCompatibleDC(screen) : nullptr;
    HBITMAP bmp = mem ? CreateCompatibleBitmap(screen, pic.width, pic.height) : nullptr;
    HGDIOBJ old = bmp ? SelectObject(mem, bmp) : nullptr;
    const char *failed =
        !screen ? "GetDC"
        : !mem  ? "CreateCompatibleDC"
        : !bmp  ? "CreateCompatibleBitmap"
        : !old  ? "SelectObject"
        : !BitBlt(mem, 0, 0, pic.width, pic.height, screen, rc.left, rc.top, SRCCOPY) ? "BitBlt"
        : !SelectObject(mem, old) ? "SelectObject"
        : !GetDIBits(screen, bmp, 0, pic.height, pic.pixels.data(), &bi, DIB_RGB_COLORS)
            ? "GetDIBits"
            : nullptr;
    const DWORD error = GetLastError();
    if (bmp)
        DeleteObject(bmp);
    if (mem)
        DeleteDC(mem);
    if (screen)
        ReleaseDC(nullptr, screen);
    if (failed)
        Fail(failed, L"the screen under " + Named(hwnd), error);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

IWICImagingFactory *Wic()
{
    static IWICImagingFactory *factory = [] {
        IWICImagingFactory *f = nullptr;
        CheckHr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
        CheckHr(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&f)),
                "CoCreateInstance", L"CLSID_WICImagingFactory");
        return f;
    }();
    return factory;
}

void SavePng(const Picture &pic, const std::wstring &path)
{
    Microsoft::WRL::ComPtr<IWICStream> stream;
    Microsoft::WRL::ComPtr<IWICBitmapEncoder> png;
    Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame;
    Microsoft::WRL::ComPtr<IWICBitmap> bitmap;
    auto *bits = reinterpret_cast<BYTE *>(const_cast<DWORD *>(pic.pixels.data()));
    const UINT stride = 4 * pic.width;
    CheckHr(Wic()->CreateStream(&stream), "IWICImagingFactory::CreateStream");
    CheckHr(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE),
            "IWICStream::InitializeFromFilename", path);
    CheckHr(Wic()->CreateEncoder(GUID_ContainerFormatPng, nullptr, &png),
            "IWICImagingFactory::CreateEncoder", L"PNG");
    CheckHr(png->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize",
            path);
    CheckHr(png->CreateNewFrame(&frame, nullptr), "IWICBitmapEncoder::CreateNewFrame", path);
    CheckHr(frame->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize", path);
    CheckHr(Wic()->CreateBitmapFromMemory(pic.width, pic.height, GUID_WICPixelFormat32bppBGR,
                                          stride, stride * pic.height, bits, &bitmap),
            "IWICImagingFactory::CreateBitmapFromMemory", path);
    CheckHr(frame->WriteSource(bitmap.Get(), nullptr), "IWICBitmapFrameEncode::WriteSource", path);
    CheckHr(frame->Commit(), "IWICBitmapFrameEncode::Commit", path);
    CheckHr(png->Commit(), "IWICBitmapEncoder::Commit", path);
}
