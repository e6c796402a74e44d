// Launches Velorn.exe, the bare dialog and the bare dialog with common
// controls beside it, in turn, and prints medians: start to visible dialog,
// start to first result after OK, and the running program's private memory.
// Usage: velorn_bench.exe [launches]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver.h"
#include "resource.h"

namespace
{

struct Launch {
    double visibleMs = 0, resultMs = 0;
    double privateKiB = 0;
};

double Now()
{
    static LARGE_INTEGER freq;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

Launch Run(const wchar_t *exe, bool calculate)
{
    std::wstring path = ExeBesideMe(exe);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Launch l;
    double start = Now();
    if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        fwprintf(stderr, L"cannot start %ls\n", path.c_str());
        std::exit(1);
    }
    // Polled every millisecond, for 20 s at most: a program that never
    // shows its dialog stops the figures rather than hangs them.
    std::vector<HWND> shown;
    while ((shown = WindowsOf(pi.dwProcessId)).empty() && Now() - start < 20000)
        Sleep(1);
    if (shown.empty()) {
        fwprintf(stderr, L"%ls showed no dialog within 20 s\n", path.c_str());
        std::exit(1);
    }
    l.visibleMs = Now() - start;
    if (calculate) {
        SetText(GetDlgItem(shown[0], IDC_RYCHLOST), L"100");
        Send(shown[0], WM_COMMAND, IDOK);
        l.resultMs = Now() - start;
    }
    PROCESS_MEMORY_COUNTERS_EX mem{};
    GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&mem),
                         sizeof mem);
    // Private bytes: Wine fills PagefileUsage (the same figure on Windows)
    // but leaves PrivateUsage at 0.
    l.privateKiB = static_cast<double>(mem.PagefileUsage) / 1024.0;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return l;
}

double Median(std::vector<Launch> &v, double Launch::*field)
{
    std::sort(v.begin(), v.end(),
              [&](const Launch &a, const Launch &b) { return a.*field < b.*field; });
    return v[v.size() / 2].*field;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    int n = argc > 1 ? _wtoi(argv[1]) : 15;
    std::vector<Launch> bare, comctl, velorn;
    Run(L"bare.exe", false); // warm the file cache for all
    Run(L"bare_comctl.exe", false);
    Run(L"Velorn.exe", true);
    for (int i = 0; i < n; ++i) {
        bare.push_back(Run(L"bare.exe", false));
        comctl.push_back(Run(L"bare_comctl.exe", false));
        velorn.push_back(Run(L"Velorn.exe", true));
    }
    double bareVisible = Median(bare, &Launch::visibleMs);
    double comctlVisible = Median(comctl, &Launch::visibleMs);
    double visible = Median(velorn, &Launch::visibleMs);
    double result = Median(velorn, &Launch::resultMs);
    printf("launches each:                %d\n", n);
    printf("bare dialog visible:          %.1f ms\n", bareVisible);
    printf("bare dialog + comctl32:       %.1f ms  (ratio %.3f)\n", comctlVisible,
           comctlVisible / bareVisible);
    printf("Velorn dialog visible:        %.1f ms  (ratio %.3f)\n", visible, visible / bareVisible);
    printf("Velorn first result after OK: %.1f ms  (ratio %.3f)\n", result, result / bareVisible);
    printf("private memory, Velorn:       %.0f KiB\n", Median(velorn, &Launch::privateKiB));
    printf("private memory, bare dialog:  %.0f KiB\n", Median(bare, &Launch::privateKiB));
    return 0;
}
