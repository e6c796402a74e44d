#include <vector>

#include "driver.h"

WindowsReads ReadAsWindows(const std::wstring &exe)
{
    WindowsReads reads;
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1); // the one the loader reads at start
    const HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        Fail("CreateActCtxW", exe, GetLastError());
    // A setting, from the namespace of the year that brought it.
    const auto setting = [&](const wchar_t *year, const wchar_t *name) {
        const std::wstring ns =
            L"http://schemas.microsoft.com/SMI/" + std::wstring(year) + L"/WindowsSettings";
        wchar_t value[64] = L"none";
        SIZE_T size = 0;
        if (!QueryActCtxSettingsW(0, context, ns.c_str(), name, value, 64, &size) &&
            GetLastError() != ERROR_SXS_KEY_NOT_FOUND)
            Fail("QueryActCtxSettingsW", name, GetLastError());
        return std::wstring(value);
    };
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    struct { // as Windows 10 and later write it; MinGW's header lacks MaxVersionTested
        DWORD count;
        struct {
            GUID id;
            DWORD type;
            ULONGLONG maxVersionTested;
        } systems[16];
    } supported{};
    CHECK(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                       sizeof level, nullptr),
          exe);
    CHECK(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, &supported,
                       sizeof supported, nullptr),
          exe);
    const wchar_t *levels[] = {L"unspecified", L"asInvoker", L"highestAvailable",
                               L"requireAdministrator"};
    reads.runLevel =
        levels[level.RunLevel & 3] + std::wstring(level.UiAccess ? L", uiAccess" : L"");
    reads.dpiAwareness = setting(L"2016", L"dpiAwareness");
    if (reads.dpiAwareness == L"none")
        reads.dpiAwareness = setting(L"2005", L"dpiAware") == L"true" ? L"system" : L"unaware";
    reads.activeCodePage = setting(L"2019", L"activeCodePage");
    ReleaseActCtx(context);
    UINT codePage = 0;
    GetLocaleInfoEx(reads.activeCodePage.c_str(),
                    LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                    reinterpret_cast<wchar_t *>(&codePage), 2);
    reads.activeCodePage += L" " + std::to_wstring(codePage);
    for (DWORD i = 0; i < supported.count && i < 16; ++i) {
        wchar_t id[40] = {};
        StringFromGUID2(supported.systems[i].id, id, 40);
        reads.systems += id;
    }

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
    if (!translation || !file) // "" all three
        return reads;
    wchar_t text[64];
    swprintf(text, 64, L"%04x %u", translation[0], translation[1]);
    reads.translation = text;
    swprintf(text, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const auto string = [&](const wchar_t *name) {
        const void *got = value(text + std::wstring(name));
        return std::wstring(got ? static_cast<const wchar_t *>(got) : L"none");
    };
    reads.description = string(L"FileDescription");
    const std::wstring product = string(L"ProductVersion");
    swprintf(text, 64, L"%u.%u.%u.%u ", HIWORD(file->dwFileVersionMS),
             LOWORD(file->dwFileVersionMS), HIWORD(file->dwFileVersionLS),
             LOWORD(file->dwFileVersionLS));
    reads.versions = text + product;
    return reads;
}
