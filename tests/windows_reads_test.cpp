// What only Windows acts on, read from both exes as Windows reads it, held to
// what a user needs, or to VELORN_CODE_PAGE and project()'s version.
#include <gtest/gtest.h>

#include "driver.h"
#include "version.h"

TEST(ExeAsWindowsReadsIt, RunsAsInvokerSystemDpiAwareInItsTextsCodePageWithItsVersion)
{
    for (const std::wstring &exe : {Wide("Z:" VELORN_EXE32), ExeBesideMe(L"Velorn.exe")}) {
        SCOPED_TRACE(Narrow(exe));
        const WindowsReads r = ReadAsWindows(exe);
        EXPECT_EQ(r.runLevel, L"asInvoker")
            << "it would ask for an administrator at every start, or (uiAccess) not start unsigned";
        EXPECT_EQ(r.dpiAwareness, L"system")
            << "Windows 10 and 11 would draw Velorn, which does not handle WM_DPICHANGED, "
               "blurred at 150 % if unaware, at the first screen's size on another if per monitor";
        EXPECT_EQ(r.activeCodePage, L"cs-CZ " + std::to_wstring(VELORN_CODE_PAGE))
            << "Windows 11 would garble the boxes' Czech letters under another system code page";
        EXPECT_EQ(r.systems, L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}"  // 7
                             L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}"  // 8
                             L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}"  // 8.1
                             L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}") // 10 and 11
            << "a Windows not listed would run Velorn with the settings for an older Windows";
        EXPECT_EQ(r.translation, L"0405 " + std::to_wstring(VELORN_CODE_PAGE)) // Czech
            << "Explorer would look for the texts under another language or code page";
        EXPECT_EQ(r.description, Wide("Velorn – odhad energie na překonání odporu vzduchu"))
            << "the name under which Task Manager lists Velorn, and the Details page describes it";
        EXPECT_EQ(r.versions, Wide(VELORN_VERSION_QUAD " " VELORN_VERSION))
            << "the Details page would show another version than the dialog's caption";
    }
}
