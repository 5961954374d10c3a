#include "processing/Levels.h"

#include "core/RowPixels.h"
#include "processing/ColourAdjust.h"
#include "processing/Yuv.h"

namespace quillory {

namespace {

// Pixels of each palette index (palette depths).
void CountIndices(const ColourPlanes& planes, uint64_t counts[256]) {
    for (int y = 0; y < planes.height; ++y) {
        const uint8_t* row = planes.Row(y);
        if (planes.bitsPerPixel == 8) {
            for (int x = 0; x < planes.width; ++x) ++counts[row[x]];
        } else {
            for (int x = 0; x < planes.width; ++x) ++counts[RowIndex(row, x, planes.bitsPerPixel)];
        }
    }
}

void Count(HistogramSet& set, const RGBQUAD& c, uint32_t n) {
    set.counts[kLuminanceTable][LuminanceOf(c.blue, c.green, c.red)] += n;
    set.counts[kRedTable][c.red] += n;
    set.counts[kGreenTable][c.green] += n;
    set.counts[kBlueTable][c.blue] += n;
}

// The first level, walking from `from` in steps of `step`, at which the running count exceeds clip; -1 when none does.
int FirstAbove(const uint32_t counts[256], uint64_t clip, int from, int step) {
    uint64_t sum = 0;
    for (int level = from; level >= 0 && level < 256; level += step) {
        sum += counts[level];
        if (sum > clip) return level;
    }
    return -1;
}

}  // namespace

HistogramSet ComputeHistograms(const ColourPlanes& planes) {
    HistogramSet set;
    if (!planes.IsUsable()) return set;
    if (planes.IsPalette()) {
        uint64_t counts[256] = {};
        CountIndices(planes, counts);
        for (uint32_t i = 0; i < 256; ++i)
            if (counts[i]) Count(set, i < planes.colourCount ? planes.palette[i] : RGBQUAD{}, uint32_t(counts[i]));
        return set;
    }
    // Two sets of counters for alternate pixels, so that neighbouring pixels of the
    // same level do not wait on each other's counts.
    static_assert(kHistogramTables == 4);
    uint32_t counts[2][4][256] = {};
    const size_t bytes = size_t(planes.BytesPerPixel());
    auto count = [](uint32_t (&c)[4][256], const uint8_t* p) {
        ++c[kBlueTable][p[0]];
        ++c[kGreenTable][p[1]];
        ++c[kRedTable][p[2]];
        ++c[kLuminanceTable][LuminanceOf(p[0], p[1], p[2])];
    };
    for (int y = 0; y < planes.height; ++y) {
        const uint8_t* p = planes.Row(y);
        int x = 0;
        for (; x + 2 <= planes.width; x += 2, p += 2 * bytes) {
            count(counts[0], p);
            count(counts[1], p + bytes);
        }
        if (x < planes.width) count(counts[0], p);
    }
    for (int t = 0; t < 4; ++t)
        for (int level = 0; level < 256; ++level) set.counts[t][level] = counts[0][t][level] + counts[1][t][level];
    return set;
}

int AverageGrey(const ColourPlanes& planes) {
    if (!planes.IsUsable()) return 0;
    uint64_t sum = 0;
    if (planes.IsPalette()) {
        uint64_t counts[256] = {};
        CountIndices(planes, counts);
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            const RGBQUAD& e = planes.palette[i];
            sum += counts[i] * uint64_t(GreyOf(e.blue, e.green, e.red));
        }
    } else {
        const int bytes = planes.BytesPerPixel();
        for (int y = 0; y < planes.height; ++y) {
            const uint8_t* p = planes.Row(y);
            for (int x = 0; x < planes.width; ++x, p += bytes) sum += uint32_t(GreyOf(p[0], p[1], p[2]));
        }
    }
    return int(sum / (uint64_t(planes.width) * uint64_t(planes.height)));
}

HistogramSummary Summarise(const HistogramSet& set, int table) {
    HistogramSummary s;
    if (table < 0 || table >= kHistogramTables) return s;
    for (int level = 0; level < 256; ++level) {
        const uint32_t n = set.counts[table][level];
        if (n == 0) continue;
        if (n > s.largest) s.largest = n;
        if (s.lowest < 0) s.lowest = level;
        s.highest = level;
    }
    return s;
}

LevelLimits FindLevelLimits(const HistogramSet& set, int64_t pixelCount) {
    LevelLimits limits;
    const uint64_t clip = pixelCount > 0 ? uint64_t(pixelCount) / 100 : 0;
    for (int t = 0; t < kHistogramTables; ++t) {
        int low = FirstAbove(set.counts[t], clip, 0, 1);
        int high = FirstAbove(set.counts[t], clip, 255, -1);
        if (low == high) {
            low = FirstAbove(set.counts[t], 0, 0, 1);
            high = FirstAbove(set.counts[t], 0, 255, -1);
        }
        // An empty table has no levels; its limits coincide.
        limits.low[t] = low < 0 ? 0 : low;
        limits.high[t] = high < 0 ? 0 : high;
    }
    return limits;
}

void BuildLevelTable(int low, int high, uint8_t table[256]) {
    for (int j = 0; j < 256; ++j) {
        if (j < low) {
            table[j] = 0;
        } else if (j > high) {
            table[j] = 255;
        } else if (high == low) {
            table[j] = 0;
        } else {
            const int v = (j - low) * 255 / (high - low);
            table[j] = uint8_t(v > 255 ? 255 : v);
        }
    }
}

StretchResult StretchLevels(ColourPlanes& planes, int channel, int low, int high) {
    if (!planes.IsUsable() || channel < kLevelsAll || channel > kLevelsBlue) return StretchResult::Refused;
    const bool automatic = low == -1;
    if (!automatic && (low < 0 || high > 255 || low > high)) return StretchResult::Refused;

    const LevelLimits limits =
        FindLevelLimits(ComputeHistograms(planes), int64_t(planes.width) * int64_t(planes.height));
    // Channel c is judged by table c: all channels together by the luminance.
    if (limits.low[channel] == limits.high[channel]) return StretchResult::LimitsCoincide;

    uint8_t tables[kHistogramTables][256];
    for (int t = 0; t < kHistogramTables; ++t) {
        if (automatic && limits.low[t] == limits.high[t]) {
            // A channel of a single level has nothing to stretch and stays as it is.
            for (int j = 0; j < 256; ++j) tables[t][j] = uint8_t(j);
            continue;
        }
        BuildLevelTable(automatic ? limits.low[t] : low, automatic ? limits.high[t] : high, tables[t]);
    }

    if (planes.IsPalette()) {
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            RGBQUAD& e = planes.palette[i];
            const Yuv yuv = RgbToYuv(e.red, e.green, e.blue);
            const Rgb rgb = YuvToRgb(tables[kRedTable][yuv.y], tables[kGreenTable][yuv.u], tables[kBlueTable][yuv.v]);
            e.red = rgb.red, e.green = rgb.green, e.blue = rgb.blue;
        }
        return StretchResult::Stretched;
    }

    // Channels left alone keep their values.
    ChannelTables chosen;
    const bool all = channel == kLevelsAll;
    for (int j = 0; j < 256; ++j) {
        chosen.red[j] = all || channel == kLevelsRed ? tables[kRedTable][j] : uint8_t(j);
        chosen.green[j] = all || channel == kLevelsGreen ? tables[kGreenTable][j] : uint8_t(j);
        chosen.blue[j] = all || channel == kLevelsBlue ? tables[kBlueTable][j] : uint8_t(j);
    }
    ApplyChannelTables(planes, chosen, false);
    return StretchResult::Stretched;
}

}  // namespace quillory
