// Shows Velorn at work where nobody can watch: says what Windows reads from
// the exe, types a speed and Enter, saves a picture of the dialog as a PNG
// and quits through Storno and the confirmation box.
// Usage: velorn_demo.exe [speed] [picture.png]
#include <cstdio>
#include <exception>
#include <string>

#include "driver.h"
#include "resource.h"
#include "texts.h"
#include "windows_reads.h"

int wmain(int argc, wchar_t **argv)
{
    try {
        std::wstring speed = argc > 1 ? argv[1] : L"100";
        const WindowsReads exe = ReadAsWindows(ExeBesideMe(L"Velorn.exe"));
        printf("Velorn.exe as Windows reads it: %s, dpiAware %s, code page %u (%s), for Windows "
               "%s, version %s \"%s\"\n",
               Narrow(exe.runLevel).c_str(), Narrow(exe.dpiAware).c_str(), exe.codePage,
               Narrow(exe.activeCodePage).c_str(), Narrow(exe.supportedSystems).c_str(),
               Narrow(exe.fileVersion).c_str(), Narrow(exe.description).c_str());
        Velorn app;
        ClickAt(Centre(app.Item(IDC_RYCHLOST)));
        Type(speed);
        Keys({VK_RETURN});
        WaitFor([&] { return app.Text(IDC_ENERGIE) != L"0.00"; });
        std::wstring result = app.Text(IDC_ENERGIE);
        Sleep(300); // let the result field repaint before the picture
        if (argc > 2)
            SavePng(Capture(app.Dialog()), argv[2]);
        printf("%s km/h -> %s kWh\n", Narrow(speed).c_str(), Narrow(result).c_str());
        app.Press(LABEL_STORNO);
        Answer(app.WaitBox(Wide(QUIT_CAPTION).c_str()), IDYES);
        DWORD status = app.WaitExit();
        printf("exit status %lu\n", status);
        return status == 2 ? 0 : 1;
    } catch (const std::exception &e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
