// What only Windows acts on, in both exes, read as Windows reads it
// (tools/windows_reads.h). Held to what a user needs, or to the one source:
// VELORN_CODE_PAGE in CMakeLists.txt, the version of project().
#include <gtest/gtest.h>

#include "driver.h"
#include "version.h"
#include "windows_reads.h"

TEST(ExeAsWindowsReadsIt, RunsAsInvokerDpiAwareInItsTextsCodePageWithItsVersion)
{
    for (const std::wstring &exe : {Wide("Z:" VELORN_EXE32), ExeBesideMe(L"Velorn.exe")}) {
        const WindowsReads r = ReadAsWindows(exe);
        wchar_t translation[16], czech[16];
        swprintf(translation, 16, L"%04x %u", r.language, r.textsCodePage);
        swprintf(czech, 16, L"%04x %u", MAKELANGID(LANG_CZECH, SUBLANG_DEFAULT), VELORN_CODE_PAGE);
        const struct {
            const char *what;
            std::wstring got, expected;
            const char *otherwise;
        } readings[] = {
            {"run level", r.runLevel, L"asInvoker",
             "it would ask for an administrator at every start, or (uiAccess) not start unsigned"},
            {"dpiAware", r.dpiAware, L"true",
             "at 150 % the dialog would be drawn small and blurred"},
            {"activeCodePage", r.activeCodePage + L" " + std::to_wstring(r.codePage),
             L"cs-CZ " + std::to_wstring(VELORN_CODE_PAGE),
             "Windows 11 would take the system's code page: the Czech letters of the boxes garbled "
             "wherever another is set for non-Unicode programs"},
            {"supported systems", r.supportedSystems, L"7 8 8.1 10/11",
             "a Windows not listed would run Velorn with the settings for an older Windows"},
            {"translation", translation, czech,
             "Explorer would look for the texts under another language or code page: none, or not "
             "these"},
            {"FileDescription", r.description == L"none" ? L"none" : L"a text", L"a text",
             "the Details page and Task Manager would show no description"},
            {"file and product version", r.fileVersion + L" " + r.productVersion,
             Wide(VELORN_VERSION_QUAD " " VELORN_VERSION),
             "the Details page would show another version than the dialog's caption"},
        };
        for (const auto &reading : readings)
            EXPECT_EQ(Narrow(reading.got), Narrow(reading.expected))
                << Narrow(exe) << ": " << reading.what << "; on Windows: " << reading.otherwise;
    }
}
