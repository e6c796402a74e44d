/* Planted beside Velorn under the name of a DLL it might load: once loaded,
   it leaves the file "<its own path>.loaded" for the test to find. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID reserved)
{
    wchar_t path[MAX_PATH + 8];
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(dll, path, MAX_PATH))
        CloseHandle(CreateFileW(lstrcatW(path, L".loaded"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                0, NULL));
    return TRUE;
}
