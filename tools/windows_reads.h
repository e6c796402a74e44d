// What Windows reads from an exe beside its code, through Windows' own
// readers: the manifest, as the loader does at start, and the version
// resource, as Explorer's Details page does. The headless demo prints it;
// the tests hold it to what Velorn must be.
#pragma once

#include <windows.h>

#include <string>

struct WindowsReads {
    std::wstring runLevel;                // asInvoker ..., and ", uiAccess" if it asks for that
    std::wstring dpiAware;                // "none" where the manifest says nothing
    std::wstring activeCodePage;          // the locale it names, "none" if none
    UINT codePage = 0;                    // that locale's: what Windows 11 gives the program
    std::wstring supportedSystems;        // "7 8 8.1 10/11", other systems by their GUID
    WORD language = 0, textsCodePage = 0; // the first translation, which Explorer follows
    std::wstring description, fileVersion, productVersion; // where it leads; "none" if nowhere
};

// Each setting is read from the one namespace that Windows reads it from.
WindowsReads ReadAsWindows(const std::wstring &exe);
