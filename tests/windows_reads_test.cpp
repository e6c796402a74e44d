// What only Windows acts on, read from both exes as Windows reads it, held to
// what a user needs, or to VELORN_CODE_PAGE and project()'s version: the
// manifest as the loader reads it, the version resource as Explorer does.
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "version.h"

namespace
{
// A setting of the manifest, from the namespace of the year that brought it.
std::wstring Setting(HANDLE context, const wchar_t *year, const wchar_t *name)
{
    const std::wstring ns =
        L"http://schemas.microsoft.com/SMI/" + std::wstring(year) + L"/WindowsSettings";
    wchar_t value[64] = L"none";
    SIZE_T size = 0;
    if (!QueryActCtxSettingsW(0, context, ns.c_str(), name, value, 64, &size) &&
        GetLastError() != ERROR_SXS_KEY_NOT_FOUND)
        Fail("QueryActCtxSettingsW", name, GetLastError());
    return value;
}

void ExpectAsWindowsReads(const std::wstring &exe)
{
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1); // the one the loader reads at start
    const HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        Fail("CreateActCtxW", exe, GetLastError());
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    CHECK(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                       sizeof level, nullptr),
          exe);
    EXPECT_TRUE(level.RunLevel == ACTCTX_RUN_LEVEL_AS_INVOKER && !level.UiAccess)
        << "run level " << level.RunLevel << ", uiAccess " << level.UiAccess
        << ": it would ask for an administrator at every start, or (uiAccess) not start unsigned";
    // As Windows 10 1607 and later decide it.
    std::wstring dpi = Setting(context, L"2016", L"dpiAwareness");
    if (dpi == L"none")
        dpi = Setting(context, L"2005", L"dpiAware") == L"true" ? L"system" : L"unaware";
    EXPECT_EQ(dpi, L"system")
        << "Windows 10 and 11 would draw Velorn, which does not handle WM_DPICHANGED, "
           "blurred at 150 % if unaware, at the first screen's size on another if per monitor";
    const std::wstring locale = Setting(context, L"2019", L"activeCodePage");
    UINT codePage = 0;
    GetLocaleInfoEx(locale.c_str(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                    reinterpret_cast<wchar_t *>(&codePage), 2);
    EXPECT_EQ(locale + L" " + std::to_wstring(codePage),
              L"cs-CZ " + std::to_wstring(VELORN_CODE_PAGE))
        << "Windows 11 would garble the boxes' Czech letters under another system code page";
    struct { // as Windows 10 and later write it; MinGW's header lacks MaxVersionTested
        DWORD count;
        struct {
            GUID id;
            DWORD type;
            ULONGLONG maxVersionTested;
        } systems[16];
    } supported{};
    CHECK(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, &supported,
                       sizeof supported, nullptr),
          exe);
    ReleaseActCtx(context);
    std::wstring systems;
    for (DWORD i = 0; i < supported.count && i < 16; ++i) {
        wchar_t id[40] = {};
        StringFromGUID2(supported.systems[i].id, id, 40);
        systems += id;
    }
    EXPECT_EQ(systems, L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}"  // 7
                       L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}"  // 8
                       L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}"  // 8.1
                       L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}") // 10 and 11
        << "a Windows not listed would run Velorn with the settings for an older Windows";

    DWORD unused = 0;
    std::vector<BYTE> info(CHECK(GetFileVersionInfoSizeW(exe.c_str(), &unused), exe));
    CHECK(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()), exe);
    const auto value = [&](const std::wstring &path) {
        void *found = nullptr;
        UINT size = 0;
        return VerQueryValueW(info.data(), path.c_str(), &found, &size) && size ? found : nullptr;
    };
    // The first translation, which Explorer follows to the texts.
    const auto *translation = static_cast<const WORD *>(value(L"\\VarFileInfo\\Translation"));
    const auto *file = static_cast<const VS_FIXEDFILEINFO *>(value(L"\\"));
    ASSERT_TRUE(translation && file) << "no translation, or no fixed file information";
    EXPECT_EQ(translation[0], 0x0405) << "Explorer would look for the texts in another language";
    EXPECT_EQ(translation[1], VELORN_CODE_PAGE) << "Explorer would read the texts as garbled";
    wchar_t text[64];
    swprintf(text, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const auto string = [&](const wchar_t *name) {
        const void *got = value(text + std::wstring(name));
        return std::wstring(got ? static_cast<const wchar_t *>(got) : L"none");
    };
    EXPECT_EQ(string(L"FileDescription"),
              Wide("Velorn – odhad energie na překonání odporu vzduchu"))
        << "the name under which Task Manager lists Velorn, and the Details page describes it";
    const std::wstring product = string(L"ProductVersion");
    swprintf(text, 64, L"%u.%u.%u.%u ", HIWORD(file->dwFileVersionMS),
             LOWORD(file->dwFileVersionMS), HIWORD(file->dwFileVersionLS),
             LOWORD(file->dwFileVersionLS));
    EXPECT_EQ(text + product, Wide(VELORN_VERSION_QUAD " " VELORN_VERSION))
        << "the Details page would show another version than the dialog's caption";
}
} // namespace

TEST(ExeAsWindowsReadsIt, RunsAsInvokerSystemDpiAwareInItsTextsCodePageWithItsVersion)
{
    for (const std::wstring &exe : {Wide("Z:" VELORN_EXE32), ExeBesideMe(L"Velorn.exe")}) {
        SCOPED_TRACE(Narrow(exe));
        ExpectAsWindowsReads(exe);
    }
}
