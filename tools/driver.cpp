#include "driver.h"

#include <stdexcept>

#include "resource.h"

std::wstring ExeBesideMe(const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

std::wstring WindowText(HWND hwnd)
{
    std::wstring text(70000, L'\0');
    text.resize((size_t)SendMessageW(hwnd, WM_GETTEXT, text.size(), (LPARAM)text.data()));
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
            Search *s = (Search *)lParam;
            DWORD owner = 0;
            wchar_t cls[16] = {};
            GetWindowThreadProcessId(hwnd, &owner);
            GetClassNameW(hwnd, cls, 16);
            if (owner == s->pid && IsWindowVisible(hwnd) &&
                (!s->caption || (!wcscmp(cls, L"#32770") && WindowText(hwnd) == s->caption)))
                s->windows.push_back(hwnd);
            return TRUE;
        },
        (LPARAM)&search);
    return search.windows;
}

Velorn::Velorn(const std::wstring &exe)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi_))
        throw std::runtime_error("cannot start Velorn.exe");
    dlg_ = WaitBox(L"Velorn1.0.0", 60000);
    if (!dlg_)
        throw std::runtime_error("Velorn's dialog did not appear");
}

Velorn::~Velorn()
{
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

void Velorn::Click(int id) const
{
    PostMessageW(dlg_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id));
}

std::wstring Velorn::Calculate(const std::wstring &speed) const
{
    SendMessageW(Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)speed.c_str());
    // OK opens no box, so a sent click returns once the result is written.
    SendMessageW(dlg_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)Item(IDOK));
    return Text(IDC_ENERGIE);
}

HWND Velorn::WaitBox(const wchar_t *caption, DWORD ms) const
{
    std::vector<HWND> boxes;
    WaitFor([&] { return !(boxes = WindowsOf(pi_.dwProcessId, caption)).empty(); }, ms);
    return boxes.empty() ? nullptr : boxes[0];
}

void Velorn::Answer(HWND box, int button)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
}

DWORD Velorn::WaitExit() const
{
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(pi_.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi_.hProcess, &status);
    return status;
}

Picture Pixels(HBITMAP bmp)
{
    BITMAP info{};
    GetObjectW(bmp, sizeof info, &info);
    Picture pic;
    pic.width = info.bmWidth;
    pic.height = info.bmHeight;
    pic.pixels.resize((size_t)pic.width * pic.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, pic.height, pic.pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

Picture Capture(HWND hwnd, bool clientOnly)
{
    RECT rc;
    if (clientOnly) {
        GetClientRect(hwnd, &rc);
        MapWindowPoints(hwnd, nullptr, (POINT *)&rc, 2);
    } else {
        GetWindowRect(hwnd, &rc);
    }
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
