#include "driver.h"

#include <stdexcept>

#include "resource.h"

std::wstring ExeBesideMe(const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

std::wstring WindowText(HWND hwnd)
{
    std::wstring text(70000, L'\0');
    LRESULT n = SendMessageW(hwnd, WM_GETTEXT, text.size(), (LPARAM)text.data());
    text.resize((size_t)n);
    return text;
}

namespace
{

struct Search {
    DWORD pid;
    const std::wstring *caption;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam)
{
    Search *s = (Search *)lParam;
    DWORD pid = 0;
    wchar_t cls[16];
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 16) &&
        wcscmp(cls, L"#32770") == 0 && WindowText(hwnd) == *s->caption)
        s->found.push_back(hwnd);
    return TRUE;
}

} // namespace

Velorn::Velorn()
{
    std::wstring exe = ExeBesideMe(L"Velorn.exe");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi_))
        throw std::runtime_error("cannot start Velorn.exe");
    const std::wstring caption = L"Velorn1.0.0";
    WaitFor(
        [&] {
            std::vector<HWND> found = Boxes(caption);
            dlg_ = found.empty() ? nullptr : found.front();
            return dlg_ != nullptr;
        },
        30000);
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

void Velorn::SetSpeed(const std::wstring &speed) const
{
    SendMessageW(Item(IDC_RYCHLOST), WM_SETTEXT, 0, (LPARAM)speed.c_str());
}

void Velorn::Click(int id) const
{
    PostMessageW(dlg_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id));
}

std::wstring Velorn::Calculate(const std::wstring &speed) const
{
    SetSpeed(speed);
    // OK opens no box, so a sent click returns once the result is written.
    SendMessageW(dlg_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)Item(IDOK));
    return Text(IDC_ENERGIE);
}

std::vector<HWND> Velorn::Boxes(const std::wstring &caption) const
{
    Search s{pi_.dwProcessId, &caption, {}};
    EnumWindows(Collect, (LPARAM)&s);
    return s.found;
}

HWND Velorn::WaitBox(const std::wstring &caption, HWND other) const
{
    HWND box = nullptr;
    WaitFor([&] {
        for (HWND h : Boxes(caption))
            if (h != other)
                box = h;
        return box != nullptr;
    });
    return box;
}

void Velorn::Answer(HWND box, int button)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
}

bool Velorn::Running() const
{
    return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Velorn::WaitExit(DWORD ms) const
{
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi_.hProcess, &status);
    return status;
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
    Picture pic;
    pic.width = rc.right - rc.left;
    pic.height = rc.bottom - rc.top;
    pic.pixels.resize((size_t)pic.width * pic.height);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, pic.width, pic.height);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, pic.width, pic.height, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = pic.width;
    bi.bmiHeader.biHeight = -pic.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(mem, bmp, 0, pic.height, pic.pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

bool SaveBmp(const Picture &pic, const wchar_t *path)
{
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = pic.width;
    info.biHeight = -pic.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    DWORD bytes = (DWORD)(pic.pixels.size() * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bytes;
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n;
    bool ok = WriteFile(h, &file, sizeof file, &n, nullptr) &&
              WriteFile(h, &info, sizeof info, &n, nullptr) &&
              WriteFile(h, pic.pixels.data(), bytes, &n, nullptr);
    CloseHandle(h);
    return ok;
}
