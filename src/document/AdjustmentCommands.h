#pragma once
// The colour adjustments of the document's layers and their commands:
//   kBrightnessContrast "명도·대비"      brightness=-255..255 contrast=-255..255   step "명도·대비 조절"
//   kRgbAdjust "RGB색상조정"             red= green= blue= (each -99..99)          step "색상조정"
//   kLevels "픽셀분포조정"               channel=0..3 low=0..255 high=0..255        step "색상조정"
//   kAutoColour "자동색상조정"                                                      step "자동 색상 조정"
//   kInvert "반전변환", kDesaturateLayer "레이어 채도 감소"                         steps of the same names
//   kGreyScale "그레이스케일 표현"       every layer                               step "그레이스케일 변환"
//   kBinary "이진영상 으로"              method=0..2 threshold=0..255, every layer  step "임계치변환"
//   kAutoReference "자동측정기준"        the measured picture's exposure            step "자동측정기준"
// Missing parameters take the dialogs' starting values.
#include <cstdint>
#include <vector>

#include "processing/ColourPlanes.h"
#include "processing/Levels.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;
struct LayerRecord;

// A layer's colour planes over the document's depth and palette. The selection map is
// the document's active selection as it lies over the layer (none: everything
// selected); `selectionCopy` holds it when it had to be moved onto the layer.
struct DocumentLayerPlanes {
    ColourPlanes planes;
    std::vector<uint8_t> selectionCopy;
};
// False for a slot without usable colour planes (free, a text layer, wrong sizes).
bool LayerPlanesOf(CVandDoc& document, int layer, DocumentLayerPlanes& out);

// The operations; `layer` is a slot. False when the layer has no usable colour planes
// or a value is out of range (nothing changed then).
bool BrightnessAndContrast(CVandDoc& document, int layer, int brightness, int contrast);
bool ShiftChannels(CVandDoc& document, int layer, int dRed, int dGreen, int dBlue);
HistogramSet ComputeHistograms(CVandDoc& document, int layer);
int AverageGrey(CVandDoc& document, int layer);
StretchResult StretchLevels(CVandDoc& document, int layer, int channel, int low, int high);
// Also complements the colour bytes of the composite picture's background colour (direct colour).
bool InvertColours(CVandDoc& document, int layer);
// A text layer's text colour turns grey; other layers' pixels do.
bool DesaturateLayer(CVandDoc& document, int layer);
// Every layer in the order of the layer list.
bool DesaturateEveryLayer(CVandDoc& document);
bool BinaryConversion(CVandDoc& document, int method, int t);

// The picture layer of a measurement: the lowest background or raster layer of the list; -1 without one.
int MeasurePictureLayer(const CVandDoc& document);
// Brightens the measured picture towards a mean grey of 250 (brightness 250 − mean, contrast 128).
// Refused with a message when there is no picture layer or its mean grey is 129 or less.
inline constexpr int kDarkestExposedGrey = 129;
inline constexpr int kExposedGrey = 250;
inline constexpr int kExposureContrast = 128;
bool AutomaticExposure(CVandDoc& document);

void RegisterAdjustmentCommands(CommandRegistry& registry);

}  // namespace quillory
