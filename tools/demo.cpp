// Shows Velorn at work where nobody can watch: types a speed and Enter,
// saves a picture of the dialog as a BMP and quits through Storno and the
// confirmation box. Usage: velorn_demo.exe [speed] [picture.bmp]
#include <cstdio>
#include <exception>
#include <string>

#include "driver.h"
#include "resource.h"
#include "texts.h"

namespace
{
bool SaveBmp(const Picture &pic, const wchar_t *path)
{
    const auto bytes = static_cast<DWORD>(pic.pixels.size() * 4);
    BITMAPINFOHEADER info = {sizeof info, pic.width, -pic.height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof file + sizeof info};
    file.bfSize = file.bfOffBits + bytes;
    FILE *f = _wfopen(path, L"wb");
    bool ok = f && fwrite(&file, sizeof file, 1, f) && fwrite(&info, sizeof info, 1, f) &&
              fwrite(pic.pixels.data(), bytes, 1, f);
    return f && !fclose(f) && ok;
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    try {
        std::wstring speed = argc > 1 ? argv[1] : L"100";
        Velorn app;
        ClickAt(Centre(app.Item(IDC_RYCHLOST)));
        Type(speed);
        Keys({VK_RETURN});
        WaitFor([&] { return app.Text(IDC_ENERGIE) != L"0.00"; });
        std::wstring result = app.Text(IDC_ENERGIE);
        Sleep(300); // let the result field repaint before the picture
        if (argc > 2 && !SaveBmp(Capture(app.Dialog(), false), argv[2]))
            fwprintf(stderr, L"cannot write %ls\n", argv[2]);
        wprintf(L"%ls km/h -> %ls kWh\n", speed.c_str(), result.c_str());
        app.Press(L"Storno");
        Answer(app.WaitBox(Wide(QUIT_CAPTION).c_str()), IDYES);
        DWORD status = app.WaitExit();
        wprintf(L"exit status %lu\n", status);
        return status == 2 ? 0 : 1;
    } catch (const std::exception &e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
