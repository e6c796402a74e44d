// A window against its reference picture, pixel for pixel. A difference is
// shown in pictures and counted and bounded in words; with
// VELORN_UPDATE_REFERENCES set, what the test saw becomes the reference.
#include <shlobj.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "driver.h"

namespace
{

Picture LoadPng(const std::wstring &path)
{
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> png;
    Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
    Microsoft::WRL::ComPtr<IWICBitmapSource> bgr;
    UINT width = 0, height = 0;
    if (SUCCEEDED(Wic()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, &png)) &&
        SUCCEEDED(png->GetFrame(0, &frame)) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(), &bgr)))
        bgr->GetSize(&width, &height);
    Picture pic{static_cast<int>(width), static_cast<int>(height),
                std::vector<DWORD>(width * height)};
    if (bgr)
        bgr->CopyPixels(nullptr, 4 * width, 4 * width * height,
                        reinterpret_cast<BYTE *>(pic.pixels.data()));
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

} // namespace

::testing::AssertionResult LooksAsReference(HWND window, const char *name)
{
    // Unix paths from CMake and ctest, which Wine reaches through drive Z:.
    auto win = [](const std::string &path) { return L"Z:" + Wide(path.c_str()); };
    const std::string ref = std::string(VELORN_REFERENCES "/") + name + ".png",
                      out = std::string(std::getenv("VELORN_PICTURES")) + "/" + name;
    const Picture expected = LoadPng(win(ref));
    Picture seen;
    // A window just shown or changed may still be painting.
    if (WaitFor([&] { return (seen = Capture(window)) == expected; }, 3000))
        return ::testing::AssertionSuccess();
    // Where both are of one size, the differences in magenta on the washed-out reference.
    Picture diff = expected;
    int count = 0;
    RECT box{diff.width, diff.height, 0, 0};
    for (int y = 0; seen.height == diff.height && seen.width == diff.width && y < diff.height; ++y)
        for (int x = 0; x < diff.width; ++x) {
            DWORD &p = diff.At(x, y);
            if (p == seen.At(x, y)) {
                p = 0xC0C0C0 + (p >> 2 & 0x3F3F3F);
                continue;
            }
            p = 0xFF00FF;
            ++count;
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                   std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        }
    SHCreateDirectoryExW(nullptr, win(out.substr(0, out.rfind('/'))).c_str(), nullptr);
    SavePng(diff, win(out + ".diff.png"));
    const bool update = std::getenv("VELORN_UPDATE_REFERENCES");
    SavePng(seen, win(update ? ref : out + ".png"));
    return (update ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << name << ": " << count << " pixels differ, within x " << box.left << ".."
           << box.right - 1 << ", y " << box.top << ".." << box.bottom - 1 << "; seen "
           << seen.width << " x " << seen.height << ", expected " << expected.width << " x "
           << expected.height << "\n  expected:    " << ref << "\n  seen:        " << out
           << ".png\n  differences: " << out << ".diff.png";
}
