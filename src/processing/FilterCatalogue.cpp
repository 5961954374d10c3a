#include "processing/FilterCatalogue.h"

#include <array>
#include <vector>

#include "core/CommandIds.h"
#include "processing/BoxFilters.h"
#include "processing/EdgeFilters.h"
#include "processing/FilterTexts.h"
#include "processing/KernelFilters.h"
#include "processing/LuminanceEffects.h"
#include "processing/MorphologyFilters.h"
#include "processing/NoiseFilter.h"
#include "processing/PaperEffects.h"
#include "processing/RefractionEffects.h"
#include "processing/RegionEffects.h"
#include "processing/SpotEffects.h"
#include "processing/StrokeEffects.h"

namespace quillory {

namespace {

using FV = const FilterValues&;
using Src = const LayerPlanesView&;
using Dst = const LayerPlanes&;
using Sel = const SelectionMap&;
using Prog = FilterProgress&;

bool RunEdgeEnhance(Src s, Dst d, FV v, Sel sel, Prog p) { return EnhanceEdges(s, d, v[0], v[1], sel, p); }
bool RunSharpen(Src s, Dst d, FV, Sel, Prog p) { return Convolve3x3(s, d, SharpenKernel(), true, p); }
bool RunContour(Src s, Dst d, FV v, Sel, Prog p) { return Convolve3x3(s, d, ContourKernel(v[0]), true, p); }
bool RunEmboss(Src s, Dst d, FV v, Sel, Prog p) { return Convolve3x3(s, d, EmbossKernel(v[0]), true, p); }
bool RunBlur(Src s, Dst d, FV v, Sel, Prog p) { return BoxAverage(s, d, v[0], 1, p); }
bool RunSoften(Src s, Dst d, FV v, Sel, Prog p) { return BoxAverage(s, d, v[0], v[0] * v[0], p); }
bool RunShrink(Src s, Dst d, FV v, Sel, Prog p) { return MinimumWindow(s, d, v[0], p); }
bool RunExpand(Src s, Dst d, FV v, Sel, Prog p) { return MaximumWindow(s, d, v[0], p); }
bool RunDenoise(Src s, Dst d, FV v, Sel sel, Prog p) { return RemoveNoise(s, d, v[0], v[1], sel, p); }

// Strokes that stop at the edges of the "윤곽선" picture with centre p1.
bool RunScatter(Src s, Dst d, FV v, Sel, Prog p) {
    std::vector<uint8_t> markers;
    return EdgeStopMarkers(s, v[0], markers, p) && ScatterStrokes(s, d, v[1], v[2], markers.data(), p);
}
bool RunLineColouring(Src s, Dst d, FV v, Sel, Prog p) {
    std::vector<float> field;
    return DirectionField(s, field) && LineStrokes(s, d, v[0], v[1], field.data(), p);
}
bool RunOilPaint(Src s, Dst d, FV v, Sel, Prog p) {
    std::vector<float> field;
    std::vector<uint8_t> markers;
    return DirectionField(s, field) && EdgeStopMarkers(s, 8, markers, p) &&
           OilStrokes(s, d, v[0], field.data(), markers.data(), p);
}
bool RunWatercolour(Src s, Dst d, FV, Sel, Prog p) { return ModeOfLuminance(s, d, 3, 30, p); }
bool RunPaper(Src s, Dst d, FV, Sel, Prog p) { return PaperSmear(s, d, p); }
bool RunRaindrops(Src s, Dst d, FV v, Sel sel, Prog p) { return Raindrops(s, d, v[0], v[1], sel, p); }
bool RunFrostedGlass(Src s, Dst d, FV v, Sel, Prog p) { return RandomLuminancePick(s, d, v[0], p); }
bool RunAreaExpand(Src s, Dst d, FV v, Sel sel, Prog p) { return FlattenRegions(s, d, v[0], sel, p); }
bool RunBubbles(Src s, Dst d, FV v, Sel, Prog p) { return Bubbles(s, d, v[0], p); }
bool RunDalmatian(Src s, Dst d, FV v, Sel, Prog p) { return DalmatianSpots(s, d, v[0], v[1], p); }
bool RunLens(Src s, Dst d, FV, Sel sel, Prog p) { return GlassDistortion(s, d, GlassMode::Lens, sel, p); }
bool RunBathroom(Src s, Dst d, FV, Sel sel, Prog p) { return GlassDistortion(s, d, GlassMode::Bathroom, sel, p); }

constexpr FilterSlider Off() { return FilterSlider{}; }
constexpr FilterSlider On(const char* label, int minimum, int maximum, int defaultValue, const char* key) {
    return FilterSlider{minimum, maximum, defaultValue, label, key};
}
constexpr FilterParameterSet Set(FilterSlider a = Off(), FilterSlider b = Off(), FilterSlider c = Off()) {
    return FilterParameterSet{int(a.IsOn()) + int(b.IsOn()) + int(c.IsOn()), {a, b, c}};
}

using namespace texts;

const std::array<FilterDefinition, kFilterCount> kFilters = {{
    {0, kFilterEdgeEnhance, cmd::kEdgeEnhance,
     Set(On(kSliderBorderAmount, 0, 99, 1, "amount"), On(kSliderStrength, 0, 10, 1, "strength")), RunEdgeEnhance, true},
    {1, kFilterSharpen, cmd::kSharpenKernel, Set(On(kSliderSharpen, 0, 99, 1, "amount")), RunSharpen, false},
    {2, kFilterContour, cmd::kContour,
     Set(On(kSliderExtraction, 5, 20, 8, "centre"), On(kSliderShading, 0, 99, 80, "shading")), RunContour, false},
    {3, kFilterBlur, cmd::kBlur, Set(On(kSliderBlur, 1, 9, 4, "size")), RunBlur, false},
    {4, kFilterSoften, cmd::kSoften, Set(On(kSliderSoften, 1, 9, 4, "size")), RunSoften, false},
    {5, kFilterShrink, cmd::kErode, Set(On(kSliderShrink, 2, 20, 4, "size")), RunShrink, false},
    {6, kFilterExpand, cmd::kDilate, Set(On(kSliderExpand, 2, 20, 4, "size")), RunExpand, false},
    {7, kFilterStamp, cmd::kStamp,
     Set(On(kSliderOutlineDegree, 5, 20, 8, "edge"), On(kSliderSegmentLength, 3, 30, 1, "length"),
         On(kSliderColourExpression, 1, 99, 1, "colour")),
     RunScatter, false},
    {8, kFilterConfetti, cmd::kConfetti,
     Set(On(kSliderOutlineDegree, 5, 20, 10, "edge"), On(kSliderSegmentLength, 3, 30, 1, "length"),
         On(kSliderColourExpression, 1, 20, 2, "colour")),
     RunScatter, false},
    {9, kFilterLineColouring, cmd::kLineColouring,
     Set(On(kSliderSegmentLength, 0, 7, 5, "length"), On(kSliderRepeat, 1, 3, 1, "passes")), RunLineColouring, false},
    {10, kFilterWatercolour, cmd::kWatercolour,
     Set(On(kSliderBrushSize, 0, 99, 1, "brush"), On(kSliderSmooth, 0, 99, 1, "smooth")), RunWatercolour, false},
    {11, kFilterPaper, cmd::kHanji, Set(On(kSliderBlurDegree, 0, 99, 1, "blur")), RunPaper, false},
    {12, kFilterRaindrops, cmd::kRaindrops,
     Set(On(kSliderSize, 0, 99, 40, "size"), On(kSliderFrequency, 50, 150, 100, "frequency")), RunRaindrops, true},
    {13, kFilterFrostedGlass, cmd::kFrostedGlass, Set(On(kSliderBlurDegree, 0, 15, 1, "radius")), RunFrostedGlass, false},
    {14, kFilterDenoise, cmd::kDenoise,
     Set(On(kSliderNoiseSize, 2, 5, 3, "size"), On(kSliderAbsorption, 1, 4, 4, "absorption")), RunDenoise, true},
    {15, kFilterAreaExpand, cmd::kAreaExpand, Set(On(kSliderExpand, 20, 70, 30, "tolerance")), RunAreaExpand, true},
    {16, kFilterBubbles, cmd::kDropColouring,
     Set(On(kSliderBubbleSize, 0, 30, 7, "size"), On(kSliderOutlineShow, 5, 20, 8, "outline")), RunBubbles, false},
    {17, kFilterOilPaint, cmd::kOilPaint,
     Set(On(kSliderBrushLength, 0, 10, 5, "length"), On(kSliderDetail, 0, 99, 50, "detail")), RunOilPaint, false},
    {18, kFilterEmboss, cmd::kEmboss,
     Set(On(kSliderExtraction, 1, 10, 1, "depth"), On(kSliderShading, 0, 99, 0, "shading")), RunEmboss, false},
    {19, kFilterDalmatian, cmd::kDalmatian,
     Set(On(kSliderPattern, 0, 99, 40, "size"), On(kSliderFrequency, 0, 99, 50, "count")), RunDalmatian, false},
    {20, kFilterLens, cmd::kLensEffect, Set(), RunLens, true},
    {21, kFilterBathroom, cmd::kBathroomGlass,
     Set(On(kSliderAdjust1, -49, 49, 0, "adjust1"), On(kSliderAdjust2, -49, 49, 0, "adjust2")), RunBathroom, true},
}};

const FilterParameterSet kOtherNames =
    Set(On(kSliderAdjust1, -49, 49, 0, "adjust1"), On(kSliderAdjust2, -49, 49, 0, "adjust2"));

}  // namespace

const FilterDefinition* FilterAt(int index) {
    return index >= 0 && index < kFilterCount ? &kFilters[size_t(index)] : nullptr;
}

const FilterDefinition* FindFilter(std::string_view name) { return FilterAt(FilterIndexOfName(name)); }

int FilterIndexOfName(std::string_view name) {
    for (const FilterDefinition& filter : kFilters)
        if (name == filter.name) return filter.index;
    return -1;
}

int FilterIndexOfCommand(int commandId) {
    if (commandId == cmd::kSharpen) return 0;
    for (const FilterDefinition& filter : kFilters)
        if (commandId == filter.commandId) return filter.index;
    return -1;
}

const FilterParameterSet& ParameterSetOf(std::string_view name) {
    const FilterDefinition* filter = FindFilter(name);
    return filter ? filter->parameters : kOtherNames;
}

FilterValues DefaultValues(const FilterParameterSet& set) {
    FilterValues values;
    for (int i = 0; i < 3; ++i) values.p[i] = set.sliders[i].defaultValue;
    return values;
}

bool RunFilter(std::string_view name, const LayerPlanesView& source, const LayerPlanes& destination,
               const FilterValues& values, const SelectionMap& selection, FilterProgress& progress) {
    const FilterDefinition* filter = FindFilter(name);
    if (!filter || !filter->run) return false;
    const bool done = filter->run(source, destination, values, selection, progress);
    progress.Finish();
    return done;
}

}  // namespace quillory
