#pragma once
// Measurement tests: a platform that draws every text as a solid block (so labels
// cover known pixels) and records what was drawn, documents of a given size with
// the measuring side installed, and short ways to drive the tools.
#include <memory>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "measure/MeasureCommands.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTool.h"
#include "support/RecordingPlatform.h"

namespace quillory::test {

class TextBlockPlatform : public RecordingPlatform {
public:
    // Each character is 6 pixels wide; the block is as high as the font.
    TextRaster RasteriseText(const std::string& text, const TextStyle& style) override {
        texts.push_back(text);
        TextRaster raster;
        size_t characters = 0;
        for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
        raster.width = int(characters) * 6;
        raster.height = style.pixelHeight;
        raster.coverage.assign(size_t(raster.width) * size_t(raster.height), 255);
        return raster;
    }
    std::vector<std::string> texts;
};

inline std::unique_ptr<CVandDoc> MakePicture(int width, int height) {
    InstallMeasurement();
    auto document = std::make_unique<CVandDoc>();
    NewPictureSettings settings;
    settings.width = width;
    settings.height = height;
    if (!document->NewDocument(settings)) return nullptr;
    return document;
}

// A calibration of `pixels` pixels along x for `length` units.
inline void Calibrate(CVandDoc& document, int dx, int dy, float length, const char* unit = "um") {
    MeasureSettings& s = MeasuresOf(document).Settings();
    s.refDx = dx;
    s.refDy = dy;
    s.refLength = length;
    s.unitName = unit;
}

inline bool Drag(CVandDoc& document, int tool, MeasurePoint from, MeasurePoint to) {
    MeasurePress(document, tool, from);
    MeasureDrag(document, tool, to);
    return MeasureRelease(document, tool, to);
}

inline bool Click(CVandDoc& document, int tool, MeasurePoint at) {
    const bool pressed = MeasurePress(document, tool, at);
    return MeasureRelease(document, tool, at) || pressed;
}

// The layer pixel of a picture point on the measurement layer: its opacity.
inline uint8_t AlphaAt(const CVandDoc& document, int layer, int x, int y) {
    const LayerRecord& record = document.Layer(layer);
    const int storedY = document.Header().height - 1 - y + record.y;
    return record.alpha[size_t(storedY) * size_t(record.width) + size_t(x - record.x)];
}

}  // namespace quillory::test
