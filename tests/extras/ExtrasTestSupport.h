#pragma once
// A platform whose text rasteriser draws every character as a solid block half
// the font height wide (with a one-pixel gap), a line per "\n", so tests can tell
// where text went and how large it was; it records each request.
#include <algorithm>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "document/Utf16.h"
#include "support/RecordingPlatform.h"

namespace quillory::test {

class BlockTextPlatform : public RecordingPlatform {
public:
    TextRaster RasteriseText(const std::string& utf8Text, const TextStyle& style) override {
        requests.push_back(style);
        texts.push_back(utf8Text);
        std::vector<std::u16string> lines(1);
        for (char16_t u : Utf8ToUtf16(utf8Text)) {
            if (u == u'\n') lines.emplace_back();
            else lines.back() += u;
        }
        const int cell = std::max(2, style.pixelHeight / 2);
        size_t longest = 0;
        for (const auto& line : lines) longest = std::max(longest, line.size());
        TextRaster raster;
        if (longest == 0) return raster;
        raster.width = int(longest) * cell;
        raster.height = int(lines.size()) * style.pixelHeight;
        raster.coverage.assign(size_t(raster.width) * size_t(raster.height), 0);
        for (size_t l = 0; l < lines.size(); ++l)
            for (size_t c = 0; c < lines[l].size(); ++c) {
                if (lines[l][c] == u' ') continue;
                for (int y = 0; y < style.pixelHeight; ++y)
                    for (int x = 0; x < cell - 1; ++x)
                        raster.coverage[size_t(int(l) * style.pixelHeight + y) * size_t(raster.width) +
                                        size_t(int(c) * cell + x)] = 255;
            }
        return raster;
    }

    std::vector<TextStyle> requests;
    std::vector<std::string> texts;
};

}  // namespace quillory::test
