// What Windows shows of Velorn.exe before it runs, read as Explorer reads
// it: the Details page of its properties and the file's icon.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "version.h"

TEST(VelornFile, DetailsPageShowsItsVersionResource)
{
    const std::wstring exe = VelornExe();
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data());
    auto query = [&](const std::wstring &path) {
        void *value = nullptr;
        UINT size = 0;
        return VerQueryValueW(info.data(), path.c_str(), &value, &size) ? value : nullptr;
    };
    // The translation table first: its language and code page name the
    // block of strings that Explorer shows.
    const auto *translation = static_cast<const WORD *>(query(L"\\VarFileInfo\\Translation"));
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query(L"\\"));
    ASSERT_TRUE(translation && fixed);
    auto string = [&](const wchar_t *name) {
        wchar_t path[64];
        swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                 name);
        const auto *value = static_cast<const wchar_t *>(query(path));
        return std::wstring(value ? value : L"(none)") + L"\n";
    };
    wchar_t fileVersion[32], language[32];
    swprintf(fileVersion, 32, L"%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
             LOWORD(fixed->dwFileVersionLS));
    VerLanguageNameW(translation[0], language, 32);
    const std::wstring version = Wide(VELORN_VERSION);
    EXPECT_EQ(string(L"FileDescription") + fileVersion + string(L"FileVersion") +
                  string(L"ProductName") + string(L"ProductVersion") + string(L"LegalCopyright") +
                  language + L"\n" + string(L"OriginalFilename"),
              L"Velorn – odhad energie na překonání odporu vzduchu\n" + version + L".0\n" +
                  version + L".0\nVelorn\n" + version +
                  L"\nCopyright © 2005 autoři programu Velorn\nCzech\nVelorn.exe\n");
}

// The first icon group, at the size Explorer shows, is res/ikona.ico: the
// same colours and the same mask.
TEST(VelornFile, ExplorerShowsTheBookIcon)
{
    HICON shown = nullptr;
    ASSERT_EQ(ExtractIconExW(VelornExe().c_str(), 0, &shown, nullptr, 1), 1u);
    auto ico = static_cast<HICON>(
        LoadImageW(nullptr, L"Z:" VELORN_ICON, IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    ICONINFO a{}, b{};
    ASSERT_TRUE(GetIconInfo(shown, &a) && GetIconInfo(ico, &b));
    EXPECT_TRUE(Pixels(a.hbmColor) == Pixels(b.hbmColor) && Pixels(a.hbmMask) == Pixels(b.hbmMask));
}
