#include "processing/BinaryConversion.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/RowPixels.h"
#include "processing/AdjustTexts.h"

namespace quillory {

namespace {

const BinaryMethodInfo kMethods[kBinaryMethods] = {
    {texts::kMethodErrorDiffusion, texts::kLabelDensity, 0, 255, 128},
    {texts::kMethodOrderedDither, texts::kLabelDensity, 0, 255, 75},
    {texts::kMethodAbsolute, texts::kLabelBinaryThreshold, 0, 255, 128},
};

const uint8_t kOrderMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Reads the grey of stored pixels and writes black or white in the plane's own form.
class BinaryAccess {
public:
    explicit BinaryAccess(const ColourPlanes& planes) : m_planes(planes) {
        if (!planes.IsPalette()) return;
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            const RGBQUAD& e = planes.palette[i];
            m_indexGrey[i] = uint8_t(GreyOf(e.blue, e.green, e.red));
        }
        m_black = NearestPaletteIndex(planes.palette, planes.colourCount, RGBQUAD{0, 0, 0, 0});
        m_white = NearestPaletteIndex(planes.palette, planes.colourCount, RGBQUAD{255, 255, 255, 0});
    }

    int Grey(const uint8_t* row, int x) const {
        if (m_planes.IsPalette()) return m_indexGrey[RowIndex(row, x, m_planes.bitsPerPixel)];
        const uint8_t* p = row + size_t(x) * size_t(m_planes.BytesPerPixel());
        return GreyOf(p[0], p[1], p[2]);
    }

    void Put(uint8_t* row, int x, bool white) const {
        if (m_planes.IsPalette()) {
            PutRowIndex(row, x, m_planes.bitsPerPixel, white ? m_white : m_black);
            return;
        }
        uint8_t* p = row + size_t(x) * size_t(m_planes.BytesPerPixel());
        p[0] = p[1] = p[2] = white ? 255 : 0;
    }

private:
    const ColourPlanes& m_planes;
    uint8_t m_indexGrey[256] = {};
    uint8_t m_black = 0, m_white = 0;
};

bool Writable(const uint8_t* alpha, const uint8_t* selection, int x) {
    return alpha[x] != 0 && (!selection || selection[x] != 0);
}

// Every opaque, selected pixel becomes white where decide(x, y, grey) says so, else black.
template <typename Decide>
void Binarise(ColourPlanes& planes, Decide decide) {
    const BinaryAccess access(planes);
    RowProgress progress(planes.progress, planes.height);
    for (int y = 0; y < planes.height; ++y) {
        progress.Row(y);
        uint8_t* row = planes.Row(y);
        const uint8_t* alpha = planes.AlphaRow(y);
        const uint8_t* selection = planes.SelectionRow(y);
        for (int x = 0; x < planes.width; ++x)
            if (Writable(alpha, selection, x)) access.Put(row, x, decide(x, y, access.Grey(row, x)));
    }
}

bool Valid(const ColourPlanes& planes, int t) { return planes.IsUsable() && t >= 0 && t <= 255; }

}  // namespace

const BinaryMethodInfo* FindBinaryMethod(int method) {
    return method >= 0 && method < kBinaryMethods ? &kMethods[method] : nullptr;
}

bool BinaryAbsolute(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    Binarise(planes, [t](int, int, int g) { return g <= t; });
    return true;
}

bool BinaryOrderedDither(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    // white[m][g]: the decision for matrix entry m and grey g.
    bool white[16][256];
    const int divisor = 2 * t + 100;
    for (int g = 0; g < 256; ++g) {
        const int level = g * 16 / divisor;
        for (int m = 0; m < 16; ++m) white[m][g] = level / 16 == 0 && m >= level % 16;
    }
    Binarise(planes, [&white](int x, int y, int g) { return white[kOrderMatrix[y & 3][x & 3]][g]; });
    return true;
}

bool BinaryErrorDiffusion(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    const BinaryAccess access(planes);
    const int w = planes.width;
    // The greys of this row and the next, with the error diffused so far; one spare place at each end.
    std::vector<int> current, next;
    try {
        current.assign(size_t(w) + 2, 0);
        next.assign(size_t(w) + 2, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto load = [&](std::vector<int>& line, int y) {
        const uint8_t* row = planes.Row(y);
        for (int x = 0; x < w; ++x) line[size_t(x) + 1] = access.Grey(row, x);
    };
    auto add = [](int& grey, int share) { grey = std::clamp(grey + share, 0, 255); };

    load(current, 0);
    RowProgress progress(planes.progress, planes.height);
    for (int y = 0; y < planes.height; ++y) {
        progress.Row(y);
        const bool hasNext = y + 1 < planes.height;
        if (hasNext) load(next, y + 1);
        uint8_t* row = planes.Row(y);
        const uint8_t* alpha = planes.AlphaRow(y);
        const uint8_t* selection = planes.SelectionRow(y);
        const uint8_t* nextSelection = hasNext ? planes.SelectionRow(y + 1) : nullptr;
        int* here = current.data() + 1;
        int* below = next.data() + 1;
        for (int x = 0; x < w; ++x) {
            if (alpha[x] == 0) continue;
            const int g = here[x];
            const bool white = g > t;
            const int error = white ? g - 255 : g;
            if (!selection || selection[x] != 0) access.Put(row, x, white);
            // A neighbour takes its share only where a write may land.
            if (x + 1 < w && (!selection || selection[x + 1] != 0)) add(here[x + 1], 7 * error / 16);
            if (!hasNext) continue;
            if (x > 0 && (!nextSelection || nextSelection[x - 1] != 0)) add(below[x - 1], 3 * error / 16);
            if (!nextSelection || nextSelection[x] != 0) add(below[x], 5 * error / 16);
            if (x + 1 < w && (!nextSelection || nextSelection[x + 1] != 0)) add(below[x + 1], error / 16);
        }
        std::swap(current, next);
    }
    return true;
}

bool BinaryConvert(ColourPlanes& planes, int method, int t) {
    switch (method) {
        case kErrorDiffusion: return BinaryErrorDiffusion(planes, t);
        case kOrderedDither: return BinaryOrderedDither(planes, t);
        case kAbsoluteThreshold: return BinaryAbsolute(planes, t);
        default: return false;
    }
}

}  // namespace quillory
