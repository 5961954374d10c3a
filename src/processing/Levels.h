#pragma once
// Histograms of a layer and the levels stretch: the pixel distribution behind the
// levels dialog and the automatic colour correction.
#include <cstdint>

#include "processing/ColourPlanes.h"

namespace quillory {

// The four tables of a histogram set and of the levels tables, in this order.
enum HistogramTable : int { kLuminanceTable = 0, kRedTable = 1, kGreenTable = 2, kBlueTable = 3 };
inline constexpr int kHistogramTables = 4;

struct HistogramSet {
    uint32_t counts[kHistogramTables][256] = {};
};

// Luminance of a pixel as the histograms count it.
inline int LuminanceOf(int blue, int green, int red) { return (blue * 11 + green * 59 + red * 30) / 100; }

// Every pixel inside the layer, whatever its opacity. An unusable plane gives empty tables.
HistogramSet ComputeHistograms(const ColourPlanes& planes);

// The mean over all pixels of (R + G + B) / 3: the sum divided by width × height.
int AverageGrey(const ColourPlanes& planes);

// What the levels dialog shows of one table: the largest count, and the lowest and
// highest level with a count (both -1 for an empty table).
struct HistogramSummary {
    uint32_t largest = 0;
    int lowest = -1;
    int highest = -1;
};
HistogramSummary Summarise(const HistogramSet& set, int table);

// Each table's limits: the first level from the bottom and from the top at which the
// running count exceeds 1 % of the pixels; where they coincide, the first and last
// level with a count.
struct LevelLimits {
    int low[kHistogramTables] = {};
    int high[kHistogramTables] = {};
};
LevelLimits FindLevelLimits(const HistogramSet& set, int64_t pixelCount);

// Entry j: 0 below low, 255 above high, else (j − low) × 255 / (high − low); at
// low == high the entry at that level is 0.
void BuildLevelTable(int low, int high, uint8_t table[256]);

// Channel 0 stretches red, green and blue together, 1 red, 2 green, 3 blue.
enum LevelsChannel : int { kLevelsAll = 0, kLevelsRed = 1, kLevelsGreen = 2, kLevelsBlue = 3 };

enum class StretchResult {
    Stretched,
    LimitsCoincide,  // the chosen channel holds one level only: nothing changed
    Refused,         // a channel or limits out of range, or planes that cannot be used
};

// low = -1 asks for every table's automatic limits; otherwise 0 ≤ low ≤ high ≤ 255
// apply to all tables. Direct colour: opaque pixels only, the selection is not
// consulted. Palette: every entry through Y, U and V (by the red, green and blue tables).
StretchResult StretchLevels(ColourPlanes& planes, int channel, int low, int high);

}  // namespace quillory
