// Shows Velorn at work where nobody can watch: types a speed and Enter,
// saves a picture of the dialog and quits through Storno and Yes.
// Usage: velorn_demo.exe [speed] [picture.png]
#include <cstdio>
#include <exception>

#include "driver.h"
#include "resource.h"

int wmain(int argc, wchar_t **argv)
try {
    const std::wstring speed = argc > 1 ? argv[1] : L"100";
    const Velorn app;
    const HWND result = app.Item(IDC_ENERGIE);
    const Picture before = Capture(result);
    Click(app.Item(IDC_RYCHLOST));
    Type(speed);
    Keys({VK_RETURN});
    // On the screen once the field has changed, and stays so from one look to the next.
    Picture seen;
    Await([&] { return !((seen = Capture(result)) == before) && seen == Capture(result); },
          "Velorn showed no result");
    if (argc > 2)
        SavePng(Capture(app.Dialog()), Narrow(argv[2]));
    printf("%s km/h -> %s kWh\n", Narrow(speed).c_str(), Narrow(app.Text(IDC_ENERGIE)).c_str());
    const DWORD status = app.Quit();
    printf("exit status %lu\n", status);
    return status == 2 ? 0 : 1;
} catch (const std::exception &e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
}
