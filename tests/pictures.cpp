// A window against its reference picture, pixel for pixel; a difference shown
// in pictures and words. With VELORN_UPDATE_REFERENCES, what is seen becomes it.
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

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
    CheckHr(Wic()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                             WICDecodeMetadataCacheOnDemand, &png),
            "IWICImagingFactory::CreateDecoderFromFilename", path);
    CheckHr(png->GetFrame(0, &frame), "IWICBitmapDecoder::GetFrame", path);
    CheckHr(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(), &bgr),
            "WICConvertBitmapSource", path);
    CheckHr(bgr->GetSize(&width, &height), "IWICBitmapSource::GetSize", path);
    Picture pic{static_cast<int>(width), static_cast<int>(height),
                std::vector<DWORD>(width * height)};
    CheckHr(bgr->CopyPixels(nullptr, 4 * width, 4 * width * height,
                            reinterpret_cast<BYTE *>(pic.pixels.data())),
            "IWICBitmapSource::CopyPixels", path);
    for (DWORD &p : pic.pixels)
        p &= 0xFFFFFF;
    return pic;
}

std::string Written(const Picture &pic, const std::string &path)
{
    try {
        SavePng(pic, Wide(path.c_str()));
        return path;
    } catch (const std::exception &e) {
        return "NOT WRITTEN: " + path + ": " + e.what();
    }
}

} // namespace

::testing::AssertionResult LooksAsReference(HWND window, const char *name)
{
    // What a comparison writes goes to VELORN_OUTPUT (tests/wine-test.sh sets
    // it), each comparison's its own: a name compared again gets -2, -3 ...
    static std::map<std::string, int> s_compared;
    const int time = ++s_compared[name];
    const char *folder = std::getenv("VELORN_OUTPUT");
    if (!folder)
        throw std::runtime_error("VELORN_OUTPUT is not set: run me through tests/wine-test.sh");
    const std::string ref = "Z:" VELORN_REFERENCES "/" + std::string(name) + ".png",
                      out = "Z:" + std::string(folder) + "/" + name +
                            (time > 1 ? "-" + std::to_string(time) : "");
    const bool update = std::getenv("VELORN_UPDATE_REFERENCES");
    Picture expected, seen;
    try {
        expected = LoadPng(Wide(ref.c_str()));
    } catch (const std::exception &e) {
        if (!update)
            return ::testing::AssertionFailure()
                   << "cannot read the reference picture: " << e.what();
    }
    // A window just shown or changed may still be painting.
    if (WaitFor([&] { return (seen = Capture(window)) == expected; }, PICTURE_WAIT_MS))
        return ::testing::AssertionSuccess();
    auto result = update ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    // The system's, not this process's, which Velorn's manifest sets too.
    DWORD codePage = 0;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<wchar_t *>(&codePage), 2);
    result << name << ", under system code page " << codePage << ": seen " << seen.width << " x "
           << seen.height << ", expected " << expected.width << " x " << expected.height;
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
    if (count)
        result << "; " << count << " pixels differ, within x " << box.left << ".." << box.right - 1
               << ", y " << box.top << ".." << box.bottom - 1;
    return result << "\n  expected:    " << ref
                  << "\n  seen:        " << Written(seen, update ? ref : out + ".png")
                  << "\n  differences: " << Written(diff, out + ".diff.png");
}
