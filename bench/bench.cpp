// Launches Velorn.exe, the bare dialog and the bare dialog with common
// controls beside it, in turn, and prints medians: start to visible dialog,
// start to first result after OK, and the running program's private memory;
// then what long use does to Velorn's memory.
// Usage: velorn_bench.exe [launches]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
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
    Launch l;
    const double start = Now();
    const Process process(ExeBesideMe(exe), L"");
    // Polled every millisecond, for START_WAIT_MS at most: a program that
    // never shows its dialog stops the figures rather than hangs them.
    std::vector<HWND> shown;
    while ((shown = WindowsOf(process.Id())).empty() && Now() - start < START_WAIT_MS)
        Sleep(1);
    if (shown.empty())
        throw std::runtime_error(Narrow(exe) + " showed no dialog");
    l.visibleMs = Now() - start;
    if (calculate) {
        SetText(GetDlgItem(shown[0], IDC_RYCHLOST), L"100");
        Send(shown[0], WM_COMMAND, IDOK);
        l.resultMs = Now() - start;
    }
    l.privateKiB = static_cast<double>(process.PrivateBytes()) / 1024.0;
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
try {
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
    // Long use as the tests work it: what stays after two rounds, and after six more.
    const Velorn used;
    used.Use(2);
    const SIZE_T warm = used.PrivateBytes();
    used.Use(6);
    printf("private memory, long use:     %zu KiB after 600 OKs, %+lld KiB over 1800 more\n",
           warm / 1024,
           (static_cast<long long>(used.PrivateBytes()) - static_cast<long long>(warm)) / 1024);
    return used.Quit() == 2 ? 0 : 1;
} catch (const std::exception &e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
}
