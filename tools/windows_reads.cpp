#include "windows_reads.h"

#include <map>
#include <vector>

#include "driver.h"

namespace
{

void ReadManifest(const std::wstring &exe, WindowsReads &reads)
{
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1); // the one the loader reads at start
    const HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        Fail("CreateActCtxW", exe, GetLastError());
    auto setting = [&](const wchar_t *ns, const wchar_t *name) {
        wchar_t value[64] = L"none";
        SIZE_T size = 0;
        if (!QueryActCtxSettingsW(0, context, ns, name, value, 64, &size) &&
            GetLastError() != ERROR_SXS_KEY_NOT_FOUND)
            Fail("QueryActCtxSettingsW", name, GetLastError());
        return std::wstring(value);
    };
    reads.dpiAware = setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware");
    reads.activeCodePage =
        setting(L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"activeCodePage");
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    struct { // as Windows 10 and later write it; MinGW's header lacks MaxVersionTested
        DWORD count;
        struct {
            GUID id;
            DWORD type;
            ULONGLONG maxVersionTested;
        } systems[16];
    } supported{};
    const BOOL read = QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                                   &level, sizeof level, nullptr) &&
                      QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                                   &supported, sizeof supported, nullptr);
    const DWORD error = GetLastError();
    ReleaseActCtx(context);
    if (!read)
        Fail("QueryActCtxW", exe, error);
    const wchar_t *levels[] = {L"unspecified", L"asInvoker", L"highestAvailable",
                               L"requireAdministrator"};
    reads.runLevel =
        levels[level.RunLevel & 3] + std::wstring(level.UiAccess ? L", uiAccess" : L"");
    const std::map<std::wstring, const wchar_t *> names = {
        {L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}", L"7"},
        {L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}", L"8"},
        {L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}", L"8.1"},
        {L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}", L"10/11"}};
    for (DWORD i = 0; i < supported.count && i < 16; ++i) {
        wchar_t id[40] = {};
        StringFromGUID2(supported.systems[i].id, id, 40);
        reads.supportedSystems += (reads.supportedSystems.empty() ? L"" : L" ") +
                                  std::wstring(names.count(id) ? names.at(id) : id);
    }
    // Windows 11 gives the program the ANSI code page of the locale named.
    if (reads.activeCodePage != L"none" &&
        !GetLocaleInfoEx(reads.activeCodePage.c_str(),
                         LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<wchar_t *>(&reads.codePage), 2))
        reads.codePage = 0;
}

void ReadVersion(const std::wstring &exe, WindowsReads &reads)
{
    DWORD unused = 0;
    std::vector<BYTE> info(
        Check(GetFileVersionInfoSizeW(exe.c_str(), &unused), "GetFileVersionInfoSizeW", exe));
    Check(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()),
          "GetFileVersionInfoW", exe);
    auto value = [&](const std::wstring &path) -> const void * {
        void *found = nullptr;
        UINT size = 0;
        return VerQueryValueW(info.data(), path.c_str(), &found, &size) && size ? found : nullptr;
    };
    if (const auto *translation = static_cast<const WORD *>(value(L"\\VarFileInfo\\Translation")))
        reads.language = translation[0], reads.textsCodePage = translation[1];
    wchar_t texts[40];
    swprintf(texts, 40, L"\\StringFileInfo\\%04x%04x\\", reads.language, reads.textsCodePage);
    auto text = [&](const wchar_t *name) {
        const void *found = value(texts + std::wstring(name));
        return std::wstring(found ? static_cast<const wchar_t *>(found) : L"none");
    };
    reads.description = text(L"FileDescription");
    reads.productVersion = text(L"ProductVersion");
    reads.fileVersion = L"none";
    if (const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value(L"\\")))
        reads.fileVersion = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                            std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                            std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                            std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

} // namespace

WindowsReads ReadAsWindows(const std::wstring &exe)
{
    WindowsReads reads;
    ReadManifest(exe, reads);
    ReadVersion(exe, reads);
    return reads;
}
