#include "core/Samples.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace quillory {

namespace {

constexpr SampleCommand kSamples[] = {
    {cmd::kLoadJpegSample, "JPEG 자원을 로드한다.", "IDR_JPG1", 0, "JPEG Resource Image %d"},
    {cmd::kLoadGifSample, "Gif 자원을 로드한다.", "1011", 2, "GIF Resource Image %d"},
    {cmd::kLoadTifSample, "Load Tif Resource", "1015", 3, "TIF Resource Image %d"},
    {cmd::kLoadBitmapSample, "Load Bitmap Resource", "", -1, "BITMAP Resource Image %d"},
};

constexpr int kBitmapSampleWidth = 320;
constexpr int kBitmapSampleHeight = 240;

}  // namespace

const SampleCommand* FindSampleCommand(int command) {
    for (const auto& s : kSamples)
        if (s.command == command) return &s;
    return nullptr;
}

void DrawSampleScene(NyZazo& picture, int width, int height) {
    if (!picture.Create(width, height, 24, 1)) return;
    // A sky gradient, a sun, hills and a striped field: enough structure to see
    // that decoding, zoom and filters behave.
    const double sunX = width * 0.72, sunY = height * 0.28, sunR = height * 0.14;
    for (int screenY = 0; screenY < height; ++screenY) {
        uint8_t* row = picture.Row(height - 1 - screenY);
        for (int x = 0; x < width; ++x) {
            double hillTop = height * 0.62 + height * 0.07 * std::sin(x * 6.2831 / width * 1.5);
            uint8_t r, g, b;
            double dx = x - sunX, dy = screenY - sunY;
            if (dx * dx + dy * dy <= sunR * sunR) {
                r = 250, g = 210, b = 60;
            } else if (screenY < hillTop) {
                double t = double(screenY) / (hillTop > 1 ? hillTop : 1);
                r = uint8_t(70 + 120 * t), g = uint8_t(130 + 90 * t), b = uint8_t(225 - 20 * t);
            } else if (screenY < height * 0.8) {
                r = 60, g = uint8_t(140 + (x * 40 / (width ? width : 1))), b = 70;
            } else {
                bool stripe = ((x + screenY) / 12) % 2 == 0;
                r = stripe ? 170 : 140, g = stripe ? 120 : 95, b = stripe ? 70 : 50;
            }
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
}

bool LoadSample(int command, NyZazo& picture) {
    const SampleCommand* sample = FindSampleCommand(command);
    if (!sample) return false;
    if (sample->resource[0] == '\0') {
        NyZazo scene(1);
        DrawSampleScene(scene, kBitmapSampleWidth, kBitmapSampleHeight);
        PlatformBitmap bitmap;
        bitmap.width = kBitmapSampleWidth;
        bitmap.height = kBitmapSampleHeight;
        bitmap.bitsPerPixel = 24;
        bitmap.pixels.resize(size_t(bitmap.width) * bitmap.height * 4);
        for (int y = 0; y < bitmap.height; ++y)
            for (int x = 0; x < bitmap.width; ++x) {
                RGBQUAD c = scene.GetPixelColour(x, bitmap.height - 1 - y);
                uint8_t* p = bitmap.pixels.data() + (size_t(y) * bitmap.width + x) * 4;
                p[0] = c.blue, p[1] = c.green, p[2] = c.red, p[3] = 0;
            }
        picture.CreateFromBitmap(&bitmap);
        return picture.dib != nullptr;
    }
    return picture.LoadResource(sample->resource, sample->formatCode);
}

std::string SampleTitle(int command, int counter) {
    const SampleCommand* sample = FindSampleCommand(command);
    if (!sample) return {};
    char title[128];
    std::snprintf(title, sizeof title, sample->titleFormat, counter);
    return title;
}

}  // namespace quillory
