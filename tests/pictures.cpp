// A window against its reference picture, pixel for pixel; a difference shown
// in pictures and words. With VELORN_UPDATE_REFERENCES, what is seen becomes it.
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "driver.h"

namespace
{

// A file in the folder for what the tests write. Unix paths, from CMake and
// tests/wine-test.sh, are reached through Wine's drive Z:.
std::string Output(const char *file)
{
    if (const char *folder = std::getenv("VELORN_OUTPUT"))
        return std::string("Z:") + folder + "/" + file;
    throw std::runtime_error("VELORN_OUTPUT is not set: run me through tests/wine-test.sh");
}

bool LoadPng(const std::string &path, Picture &pic)
{
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> png;
    Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
    Microsoft::WRL::ComPtr<IWICBitmapSource> bgr;
    UINT width = 0, height = 0;
    if (FAILED(Wic()->CreateDecoderFromFilename(Wide(path.c_str()).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &png)) ||
        FAILED(png->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(), &bgr)) ||
        FAILED(bgr->GetSize(&width, &height)))
        return false;
    pic = {static_cast<int>(width), static_cast<int>(height), std::vector<DWORD>(width * height)};
    bgr->CopyPixels(nullptr, 4 * width, 4 * width * height,
                    reinterpret_cast<BYTE *>(pic.pixels.data()));
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return true;
}

} // namespace

::testing::AssertionResult LooksAsReference(HWND window, const char *name)
{
    const std::string ref = "Z:" VELORN_REFERENCES "/" + std::string(name) + ".png",
                      out = Output(name);
    const bool update = std::getenv("VELORN_UPDATE_REFERENCES");
    Picture expected, seen;
    if (!LoadPng(ref, expected) && !update)
        return ::testing::AssertionFailure() << "cannot read the reference picture " << ref;
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
    auto written = [](const Picture &pic, const std::string &path) {
        return (SavePng(pic, Wide(path.c_str())) ? "" : "NOT WRITTEN: ") + path;
    };
    const std::string saw = written(seen, update ? ref : out + ".png"),
                      differences = written(diff, out + ".diff.png");
    return (update ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << name << ": " << count << " pixels differ, within x " << box.left << ".."
           << box.right - 1 << ", y " << box.top << ".." << box.bottom - 1 << "; seen "
           << seen.width << " x " << seen.height << ", expected " << expected.width << " x "
           << expected.height << "\n  expected:    " << ref << "\n  seen:        " << saw
           << "\n  differences: " << differences;
}
