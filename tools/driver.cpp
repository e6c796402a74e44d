#include "driver.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <iterator>
#include <stdexcept>

std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring ExeBesideMe(const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    return FolderOf(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH))) + L"\\" + name;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Once Velorn has hung, every later message fails at once, not in 5 s.
    static char s_hung[128];
    DWORD_PTR result = 0;
    if (*s_hung)
        throw std::runtime_error(s_hung);
    // A window that went away meanwhile answers nothing, which is no hang.
    if (SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ||
        !IsWindow(hwnd))
        return static_cast<LRESULT>(result);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    snprintf(s_hung, sizeof s_hung,
             "Velorn hangs: its %s window %d left message 0x%04X unanswered for 5 s", cls,
             GetDlgCtrlID(hwnd), msg);
    throw std::runtime_error(s_hung);
}

std::wstring VelornExe()
{
    const wchar_t *exe = _wgetenv(L"VELORN_EXE");
    return exe ? exe : ExeBesideMe(L"Velorn.exe");
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

std::wstring Wide(const char *utf8)
{
    std::wstring text(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), static_cast<int>(text.size()));
    text.pop_back(); // the terminator
    return text;
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t *caption)
{
    struct Search {
        DWORD pid;
        const wchar_t *caption;
        std::vector<HWND> windows;
    } search{pid, caption, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<Search *>(lParam);
            DWORD owner = 0;
            wchar_t cls[16] = {};
            GetWindowThreadProcessId(hwnd, &owner);
            GetClassNameW(hwnd, cls, 16);
            if (owner == s->pid && IsWindowVisible(hwnd) && !wcscmp(cls, L"#32770") &&
                (!s->caption || WindowText(hwnd) == s->caption))
                s->windows.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

namespace
{
void Mouse(POINT pt, DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    in.mi.dx = MulDiv(pt.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(pt.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    SendInput(1, &in, sizeof in);
}

bool Pushed(HWND button)
{
    return Send(button, BM_GETSTATE) & BST_PUSHED;
}

HANDLE s_driven; // the process of the Velorn being driven

void Key(WORD vk, wchar_t ch, DWORD up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = ch;
    in.ki.dwFlags = up | (ch ? KEYEVENTF_UNICODE : 0);
    SendInput(1, &in, sizeof in);
}
} // namespace

POINT Centre(HWND hwnd)
{
    RECT rc{};
    GetWindowRect(hwnd, &rc);
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

bool Press(HWND button)
{
    // The button answers BM_GETSTATE only between messages, so once it
    // reads as up again the click's command has been handled, or has
    // opened a box whose loop answers for it.
    if (!button)
        return false;
    POINT pt = Centre(button);
    Mouse(pt, 0);
    Mouse(pt, MOUSEEVENTF_LEFTDOWN);
    bool down = WaitFor([&] { return Pushed(button); });
    Mouse(pt, MOUSEEVENTF_LEFTUP);
    return down && WaitFor([&] { return !Pushed(button); });
}

std::vector<HWND> Buttons(HWND dialog)
{
    std::vector<HWND> buttons;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (!_wcsicmp(cls, L"Button") && IsWindowVisible(c))
            buttons.push_back(c);
    }
    return buttons;
}

HWND ButtonOf(HWND dialog, const wchar_t *text)
{
    for (HWND button : Buttons(dialog))
        if (WindowText(button) == text)
            return button;
    return nullptr;
}

bool Answer(HWND box, int button)
{
    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return Press(GetDlgItem(box, button)) && WaitFor([&] { return !IsWindowVisible(box); });
}

void ThrowIfEnded()
{
    DWORD status;
    if (s_driven && WaitForSingleObject(s_driven, 0) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(s_driven, &status)) {
        char what[64];
        snprintf(what, sizeof what, "Velorn ended, with status 0x%lX", status);
        throw std::runtime_error(what);
    }
}

Velorn::Velorn(const std::wstring &exe) : job_(CreateJobObjectW(nullptr, nullptr))
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    // Suspended until it is in the job, so no process of its escapes it.
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        FolderOf(exe).c_str(), &si, &pi_)) {
        CloseHandle(job_);
        throw std::runtime_error("cannot start Velorn.exe");
    }
    AssignProcessToJobObject(job_, pi_.hProcess);
    ResumeThread(pi_.hThread);
    s_driven = pi_.hProcess;
    // At start the program's only window is its dialog.
    std::vector<HWND> shown;
    WaitFor([&] { return !(shown = WindowsOf(pi_.dwProcessId)).empty(); }, 20000);
    dlg_ = shown.empty() ? nullptr : shown[0];
    // Input reaches it once it is active; until then a click may land on
    // whatever the screen showed before.
    if (!dlg_ || !WaitFor([&] { return GetForegroundWindow() == dlg_; })) {
        End();
        throw std::runtime_error("Velorn's dialog did not appear and become active");
    }
}

Velorn::~Velorn()
{
    End();
}

void Velorn::End()
{
    s_driven = nullptr;
    CloseHandle(job_);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

HWND Velorn::WaitBox(const wchar_t *caption, DWORD ms) const
{
    std::vector<HWND> boxes;
    WaitFor([&] { return !(boxes = WindowsOf(pi_.dwProcessId, caption)).empty(); }, ms);
    return boxes.empty() ? nullptr : boxes[0];
}

DWORD Velorn::WaitExit() const
{
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(pi_.hProcess, 5000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi_.hProcess, &status);
    return status;
}

Picture Pixels(HBITMAP bmp)
{
    BITMAP info{};
    GetObjectW(bmp, sizeof info, &info);
    Picture pic{info.bmWidth, info.bmHeight, std::vector<DWORD>(info.bmWidth * info.bmHeight)};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, pic.height, pic.pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

Picture Capture(HWND hwnd)
{
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right - rc.left, rc.bottom - rc.top);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, rc.right - rc.left, rc.bottom - rc.top, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(mem, old);
    Picture pic = Pixels(bmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pic;
}

IWICImagingFactory *Wic()
{
    static IWICImagingFactory *factory = [] {
        IWICImagingFactory *f = nullptr;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&f));
        return f;
    }();
    return factory;
}

bool SavePng(const Picture &pic, const std::wstring &path)
{
    Microsoft::WRL::ComPtr<IWICStream> stream;
    Microsoft::WRL::ComPtr<IWICBitmapEncoder> png;
    Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame;
    Microsoft::WRL::ComPtr<IWICBitmap> bitmap;
    auto *bits = reinterpret_cast<BYTE *>(const_cast<DWORD *>(pic.pixels.data()));
    const UINT stride = 4 * pic.width;
    return Wic() && SUCCEEDED(Wic()->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(Wic()->CreateEncoder(GUID_ContainerFormatPng, nullptr, &png)) &&
           SUCCEEDED(png->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(png->CreateNewFrame(&frame, nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(Wic()->CreateBitmapFromMemory(pic.width, pic.height,
                                                   GUID_WICPixelFormat32bppBGR, stride,
                                                   stride * pic.height, bits, &bitmap)) &&
           SUCCEEDED(frame->WriteSource(bitmap.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(png->Commit());
}
