// Launches Velorn.exe, the bare dialog and the bare dialog with common
// controls beside it, in turn, and prints medians: start to visible dialog,
// start to first result after OK, and the running program's private memory;
// then what long use does to Velorn's memory, and what Velorn (both exes, if
// given the 32-bit one) and the bare dialog cost while they wait, untouched.
// Usage: velorn_bench.exe [launches [32-bit Velorn.exe]]
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
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

// Polled every millisecond, for START_WAIT_MS at most: a program that never
// shows its dialog stops the figures rather than hangs them.
HWND Shown(const Process &process, double start)
{
    std::vector<HWND> shown;
    while ((shown = WindowsOf(process.Id())).empty() && Now() - start < START_WAIT_MS)
        Sleep(1);
    if (shown.empty())
        throw std::runtime_error("process " + std::to_string(process.Id()) + " showed no dialog");
    return shown[0];
}

Launch Run(const wchar_t *exe, bool calculate)
{
    Launch l;
    const double start = Now();
    const Process process(ExeBesideMe(exe), L"");
    const HWND dialog = Shown(process, start);
    l.visibleMs = Now() - start;
    if (calculate) {
        SetText(GetDlgItem(dialog, IDC_RYCHLOST), L"100");
        Send(dialog, WM_COMMAND, IDOK);
        l.resultMs = Now() - start;
    }
    l.privateKiB = static_cast<double>(process.PrivateBytes()) / 1024.0;
    return l;
}

// What Linux counts for a process's threads: their context switches, each a
// wake-up, and the time they spent on a CPU.
struct Busy {
    unsigned long long wakeups = 0;
    double cpuMs = 0;
};

std::string Slurp(const std::string &path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The /proc folder (Z: is /) of the Wine process started with mark as its last
// argument: Linux shows the Windows command line as the process's own.
std::string ProcOf(const std::string &mark)
{
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    std::string dir;
    for (bool more = find != INVALID_HANDLE_VALUE; more && dir.empty();
         more = FindNextFileA(find, &found)) {
        const std::string candidate = std::string("Z:\\proc\\") + found.cFileName;
        if (isdigit(found.cFileName[0]) &&
            Slurp(candidate + "\\cmdline").find(mark + '\0') != std::string::npos)
            dir = candidate;
    }
    FindClose(find);
    if (dir.empty())
        throw std::runtime_error("no Linux process runs " + mark);
    return dir;
}

Busy BusyOf(const std::string &proc)
{
    Busy busy;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((proc + "\\task\\*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
        const std::string task = proc + "\\task\\" + found.cFileName;
        if (!isdigit(found.cFileName[0]))
            continue;
        std::istringstream status(Slurp(task + "\\status"));
        for (std::string key; status >> key;)
            if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") {
                unsigned long long n = 0;
                status >> n;
                busy.wakeups += n;
            }
        double ns = 0; // on a CPU: schedstat's first field
        std::istringstream(Slurp(task + "\\schedstat")) >> ns;
        busy.cpuMs += ns / 1e6;
    }
    FindClose(find);
    return busy;
}

// A program's dialog shown and, after a second for its start to settle, left
// alone for IDLE_MS: what that costs.
constexpr DWORD IDLE_MS = 10000;
Busy Idle(const std::wstring &exe)
{
    static int s_launch;
    const std::wstring mark = L"velorn-bench-idle-" + std::to_wstring(++s_launch);
    const Process process(exe, mark);
    Shown(process, Now());
    Sleep(1000);
    const std::string proc = ProcOf(Narrow(mark));
    const Busy before = BusyOf(proc);
    Sleep(IDLE_MS);
    const Busy after = BusyOf(proc);
    return {after.wakeups - before.wakeups, after.cpuMs - before.cpuMs};
}

void PrintIdle(const char *what, const std::wstring &exe)
{
    const Busy idle = Idle(exe);
    printf("idle %lu s, %-19s %llu wake-ups, %.1f ms CPU\n", IDLE_MS / 1000, what, idle.wakeups,
           idle.cpuMs);
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
    if (used.Quit() != 2)
        return 1;
    PrintIdle("Velorn x86_64:", ExeBesideMe(L"Velorn.exe"));
    if (argc > 2)
        PrintIdle("Velorn i686:", argv[2]);
    PrintIdle("bare dialog:", ExeBesideMe(L"bare.exe"));
    return 0;
} catch (const std::exception &e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
}
