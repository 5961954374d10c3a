#include "document/Compositor.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

#include "core/NearestPalette.h"
#include "core/Platform.h"
#include "core/WorkerPool.h"
#include "core/RowPixels.h"
#include "processing/ColourDepth.h"
#include "document/DocumentTexts.h"
#include "document/LayerStack.h"

namespace quillory {

namespace {

// Where the pixels of a layer come from.
enum class Source { Direct, Indexed, Constant };

inline int BlendChannel(uint8_t mode, int a, int b) {
    switch (mode) {
        case BlendMode::Multiply: return (a * b) >> 8;
        case BlendMode::Screen: return 255 - (((255 - a) * (255 - b)) >> 8);
        case BlendMode::Darken: return std::min(a, b);
        case BlendMode::Lighten: return std::max(a, b);
        case BlendMode::Difference: return std::abs(a - b);
        case BlendMode::InverseDifference: return 255 - std::abs(255 - a - b);
        case BlendMode::Exclusion: return a + b - ((a * b) >> 7);
        case BlendMode::Overlay: return b < 128 ? (a * b) >> 7 : 255 - (((255 - a) * (255 - b)) >> 7);
        default: return a;
    }
}

inline bool IsNormal(uint8_t mode) { return mode < BlendMode::Multiply || mode >= BlendMode::Count; }

// Document column c shows layer column c - x, document row d (from the bottom) layer row d + y.
inline int LayerColumn(const LayerRecord& layer, int documentColumn) {
    const int64_t c = int64_t(documentColumn) - layer.x;
    return (c >= 0 && c < layer.width) ? int(c) : -1;
}
inline int LayerRow(const LayerRecord& layer, int documentRow) {
    const int64_t r = int64_t(documentRow) + layer.y;
    return (r >= 0 && r < layer.height) ? int(r) : -1;
}

struct RowContext {
    const int* columns = nullptr;  // indexed by destination column: layer column or -1
    int left = 0, right = 0;
    int bytesPerPixel = 3;
    int bitsPerPixel = 24;
    const RGBQUAD* palette = nullptr;
    int paletteSize = 0;
    RGBQUAD constant{};
    float weight[256] = {};
};

constexpr int kOpFirst = -2;
constexpr int kOpNormal = -1;

using RowBlender = void (*)(const RowContext&, const uint8_t*, const uint8_t*, uint8_t*);

// One destination row for one source kind and one operation, so the hot loop carries no switches.
template <Source S, int Op>
void BlendRow(const RowContext& ctx, const uint8_t* alphaRow, const uint8_t* pixelRow, uint8_t* out) {
    for (int dx = ctx.left; dx < ctx.right; ++dx) {
        const int lc = ctx.columns[dx];
        if (lc < 0) continue;
        const int R = alphaRow[lc];
        if (R == 0) continue;
        int b, g, r;
        if constexpr (S == Source::Direct) {
            const uint8_t* p = pixelRow + size_t(lc) * size_t(ctx.bytesPerPixel);
            b = p[0], g = p[1], r = p[2];
        } else if constexpr (S == Source::Indexed) {
            const int index = RowIndex(pixelRow, lc, ctx.bitsPerPixel);
            const RGBQUAD q = index < ctx.paletteSize ? ctx.palette[index] : RGBQUAD{};
            b = q.blue, g = q.green, r = q.red;
        } else {
            b = ctx.constant.blue, g = ctx.constant.green, r = ctx.constant.red;
        }
        uint8_t* px = out + size_t(dx) * 4;
        if constexpr (Op == kOpFirst) {
            const float W = ctx.weight[R];
            px[0] = uint8_t(W * float(b));
            px[1] = uint8_t(W * float(g));
            px[2] = uint8_t(W * float(r));
        } else if constexpr (Op == kOpNormal) {
            const float W = ctx.weight[R];
            const float keep = 1.0f - W;
            px[0] = uint8_t(W * float(b) + keep * float(px[0]));
            px[1] = uint8_t(W * float(g) + keep * float(px[1]));
            px[2] = uint8_t(W * float(r) + keep * float(px[2]));
        } else {
            px[0] = uint8_t(BlendChannel(uint8_t(Op), px[0], b));
            px[1] = uint8_t(BlendChannel(uint8_t(Op), px[1], g));
            px[2] = uint8_t(BlendChannel(uint8_t(Op), px[2], r));
        }
        const int A = px[3];
        px[3] = uint8_t(A == 0 ? R : std::min(255, (R + 1) * A));
    }
}

// The normal blend of a run of 24-bit layer pixels onto consecutive destination
// pixels, four at a time: the same single-precision products and sum per channel
// as BlendRow, truncated the same way. An empty opacity leaves a pixel as it was
// (its weight is 0), so no pixel is skipped.
void BlendNormalRun(const RowContext& ctx, const uint8_t* alpha, const uint8_t* pixels, uint8_t* out, int count) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    // The last pixel's colour is read as three bytes, never past the row.
    for (; i + 4 < count; i += 4) {
        uint32_t source[4];
        std::memcpy(&source[0], pixels + 3 * size_t(i), 4);
        std::memcpy(&source[1], pixels + 3 * size_t(i) + 3, 4);
        std::memcpy(&source[2], pixels + 3 * size_t(i) + 6, 4);
        std::memcpy(&source[3], pixels + 3 * size_t(i) + 9, 4);
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        uint8_t* px = out + 4 * size_t(i);
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
        const int R0 = alpha[i], R1 = alpha[i + 1], R2 = alpha[i + 2], R3 = alpha[i + 3];
        const int A0 = px[3], A1 = px[7], A2 = px[11], A3 = px[15];
        const __m128i srcLo = _mm_unpacklo_epi8(src, zero), srcHi = _mm_unpackhi_epi8(src, zero);
        const __m128i dstLo = _mm_unpacklo_epi8(dst, zero), dstHi = _mm_unpackhi_epi8(dst, zero);
        const __m128 w0 = _mm_set1_ps(ctx.weight[R0]), w1 = _mm_set1_ps(ctx.weight[R1]);
        const __m128 w2 = _mm_set1_ps(ctx.weight[R2]), w3 = _mm_set1_ps(ctx.weight[R3]);
        const __m128i m0 = _mm_cvttps_epi32(
            _mm_add_ps(_mm_mul_ps(w0, _mm_cvtepi32_ps(_mm_unpacklo_epi16(srcLo, zero))),
                       _mm_mul_ps(_mm_sub_ps(one, w0), _mm_cvtepi32_ps(_mm_unpacklo_epi16(dstLo, zero)))));
        const __m128i m1 = _mm_cvttps_epi32(
            _mm_add_ps(_mm_mul_ps(w1, _mm_cvtepi32_ps(_mm_unpackhi_epi16(srcLo, zero))),
                       _mm_mul_ps(_mm_sub_ps(one, w1), _mm_cvtepi32_ps(_mm_unpackhi_epi16(dstLo, zero)))));
        const __m128i m2 = _mm_cvttps_epi32(
            _mm_add_ps(_mm_mul_ps(w2, _mm_cvtepi32_ps(_mm_unpacklo_epi16(srcHi, zero))),
                       _mm_mul_ps(_mm_sub_ps(one, w2), _mm_cvtepi32_ps(_mm_unpacklo_epi16(dstHi, zero)))));
        const __m128i m3 = _mm_cvttps_epi32(
            _mm_add_ps(_mm_mul_ps(w3, _mm_cvtepi32_ps(_mm_unpackhi_epi16(srcHi, zero))),
                       _mm_mul_ps(_mm_sub_ps(one, w3), _mm_cvtepi32_ps(_mm_unpackhi_epi16(dstHi, zero)))));
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(m0, m1), _mm_packs_epi32(m2, m3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px), packed);
        px[3] = uint8_t(A0 == 0 ? R0 : std::min(255, (R0 + 1) * A0));
        px[7] = uint8_t(A1 == 0 ? R1 : std::min(255, (R1 + 1) * A1));
        px[11] = uint8_t(A2 == 0 ? R2 : std::min(255, (R2 + 1) * A2));
        px[15] = uint8_t(A3 == 0 ? R3 : std::min(255, (R3 + 1) * A3));
    }
    for (; i < count; ++i) {
        const int R = alpha[i];
        const uint8_t* p = pixels + 3 * size_t(i);
        uint8_t* px = out + 4 * size_t(i);
        const float W = ctx.weight[R];
        const float keep = 1.0f - W;
        px[0] = uint8_t(W * float(p[0]) + keep * float(px[0]));
        px[1] = uint8_t(W * float(p[1]) + keep * float(px[1]));
        px[2] = uint8_t(W * float(p[2]) + keep * float(px[2]));
        const int A = px[3];
        px[3] = uint8_t(A == 0 ? R : std::min(255, (R + 1) * A));
    }
}

template <Source S>
RowBlender PickForSource(int op) {
    switch (op) {
        case kOpFirst: return BlendRow<S, kOpFirst>;
        case 2: return BlendRow<S, 2>;
        case 3: return BlendRow<S, 3>;
        case 4: return BlendRow<S, 4>;
        case 5: return BlendRow<S, 5>;
        case 6: return BlendRow<S, 6>;
        case 7: return BlendRow<S, 7>;
        case 8: return BlendRow<S, 8>;
        case 9: return BlendRow<S, 9>;
        default: return BlendRow<S, kOpNormal>;
    }
}

RowBlender PickBlender(Source source, int op) {
    switch (source) {
        case Source::Direct: return PickForSource<Source::Direct>(op);
        case Source::Indexed: return PickForSource<Source::Indexed>(op);
        default: return PickForSource<Source::Constant>(op);
    }
}

// One row of a flat 32-bit buffer as palette indices of the given depth.
void PutIndexedRow(NearestPalette& nearest, const uint8_t* in, int width, int bpp, uint8_t* row) {
    if (bpp == 8) {
        nearest.MapPixels(in, 4, width, row);
        return;
    }
    for (int x = 0; x < width; ++x) PutRowIndex(row, x, bpp, nearest.Find(in[4 * x + 2], in[4 * x + 1], in[4 * x]));
}

bool PlanesUsable(const DocumentHeader& header, const LayerRecord& layer) {
    if (header.width <= 0 || header.height <= 0 || layer.width <= 0 || layer.height <= 0) return false;
    const size_t plane = size_t(layer.width) * size_t(layer.height);
    if (layer.alpha.size() < plane) return false;
    if (layer.kind == LayerKind::Text) return true;
    const int64_t stride = PlaneStride(header.bitsPerPixel, layer.width);
    return layer.stride >= stride && layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height);
}

}  // namespace

uint8_t Compositor::NearestIndex(const std::vector<RGBQUAD>& palette, RGBQUAD colour) {
    return NearestPaletteIndex(palette.data(), uint32_t(palette.size()), colour);
}

bool Compositor::CopyLayer2vwImage(const DocumentHeader& header, const LayerRecord& layer, WorkPlanes& planes) {
    const int docW = header.width, docH = header.height;
    if (docW <= 0 || docH <= 0 || !PlanesUsable(header, layer)) return false;
    const bool text = layer.kind == LayerKind::Text;
    const int bpp = text ? 8 : header.bitsPerPixel;
    planes.stride = int32_t(PlaneStride(bpp, docW));
    try {
        planes.trans.assign(size_t(docW) * size_t(docH), 0);
    } catch (const std::bad_alloc&) {
        CurrentPlatform().ShowMessage(texts::kTransPlaneAlloc, MessageKind::Error);
        return false;
    }
    try {
        planes.image.assign(size_t(planes.stride) * size_t(docH), 0);
    } catch (const std::bad_alloc&) {
        CurrentPlatform().ShowMessage(texts::kImagePlaneAlloc, MessageKind::Error);
        return false;
    }
    const int c0 = std::max(0, layer.x);
    const int c1 = int(std::min<int64_t>(docW, int64_t(layer.x) + layer.width));
    const int bytesPerPixel = bpp / 8;
    const int layerStride = text ? layer.width : layer.stride;
    for (int d = 0; d < docH; ++d) {
        const int r = LayerRow(layer, d);
        if (r < 0 || c1 <= c0) continue;
        const uint8_t* alphaRow = layer.AlphaRow(r);
        const uint8_t* pixelRow = layer.pixels.data() + size_t(r) * size_t(layerStride);
        uint8_t* transRow = planes.trans.data() + size_t(d) * size_t(docW);
        uint8_t* imageRow = planes.image.data() + size_t(d) * size_t(planes.stride);
        std::copy(alphaRow + (c0 - layer.x), alphaRow + (c1 - layer.x), transRow + c0);
        if (bytesPerPixel > 0) {
            std::copy(pixelRow + size_t(c0 - layer.x) * bytesPerPixel, pixelRow + size_t(c1 - layer.x) * bytesPerPixel,
                      imageRow + size_t(c0) * bytesPerPixel);
        } else {
            for (int c = c0; c < c1; ++c) PutRowIndex(imageRow, c, bpp, uint8_t(RowIndex(pixelRow, c - layer.x, bpp)));
        }
    }
    return true;
}

void Compositor::BlendLayer(const DocumentHeader& header, const LayerRecord& layer, TargetBuffer& target,
                            const RenderMapping& mapping, bool firstOfPass, bool silhouette) {
    if (!target.pixels || !(mapping.zoom > 0) || !std::isfinite(mapping.zoom)) return;
    SampleGrid grid;
    if (!MappingGrid(header, target, mapping, grid)) return;
    BlendLayerSampled(header, layer, target, grid, firstOfPass, silhouette);
}

bool Compositor::MappingGrid(const DocumentHeader& header, const TargetBuffer& target, const RenderMapping& mapping,
                             SampleGrid& grid) {
    const int docW = header.width, docH = header.height;
    if (docW <= 0 || docH <= 0 || !(mapping.zoom > 0) || !std::isfinite(mapping.zoom)) return false;
    const int right = std::min(target.width, target.clip.right), bottom = std::min(target.height, target.clip.bottom);
    if (right <= 0 || bottom <= 0) return false;
    grid.columns.assign(size_t(right), 0);
    grid.rows.assign(size_t(bottom), 0);
    for (int dx = std::max(0, target.clip.left); dx < right; ++dx) {
        const double position = std::floor((double(dx) + mapping.originX) / mapping.zoom);
        grid.columns[size_t(dx)] = int(std::clamp(position, 0.0, double(docW - 1)));
    }
    for (int dy = std::max(0, target.clip.top); dy < bottom; ++dy) {
        const double fromTop = std::floor((double(dy) + mapping.originY) / mapping.zoom);
        grid.rows[size_t(dy)] = int(std::clamp(fromTop, 0.0, double(docH - 1)));
    }
    return true;
}

void Compositor::BlendLayerSampled(const DocumentHeader& header, const LayerRecord& layer, TargetBuffer& target,
                                   const SampleGrid& grid, bool firstOfPass, bool silhouette) {
    if (!target.pixels || !PlanesUsable(header, layer)) return;
    const int docH = header.height;
    const int left = std::max(0, target.clip.left), right = std::min(target.width, target.clip.right);
    const int top = std::max(0, target.clip.top), bottom = std::min(target.height, target.clip.bottom);
    if (right <= left || bottom <= top || grid.columns.size() < size_t(right) || grid.rows.size() < size_t(bottom))
        return;

    // Layer columns are looked up once per pass and reused for every row.
    std::vector<int> columns(size_t(right), -1);
    for (int dx = left; dx < right; ++dx) columns[size_t(dx)] = LayerColumn(layer, grid.columns[size_t(dx)]);

    const bool text = layer.kind == LayerKind::Text;
    const bool indexed = !text && header.bitsPerPixel <= 8;
    RowContext row;
    row.columns = columns.data();
    row.left = left;
    row.right = right;
    row.bytesPerPixel = header.bitsPerPixel / 8;
    row.bitsPerPixel = header.bitsPerPixel;
    row.palette = header.palette.data();
    row.paletteSize = int(header.palette.size());
    if (text && !silhouette) {
        const uint32_t c = uint32_t(layer.textColour);
        row.constant = RGBQUAD{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    }
    // W depends only on the opacity byte within a layer: one table per call.
    for (int R = 0; R < 256; ++R) {
        const float a = R == 255 ? 1.0f : float(R) / 255.0f;
        row.weight[R] = a * float(255 - layer.transparency) / 255.0f;
    }
    const Source source = (silhouette || text) ? Source::Constant : indexed ? Source::Indexed : Source::Direct;
    const int op = firstOfPass ? kOpFirst : IsNormal(layer.blendMode) ? kOpNormal : layer.blendMode;
    const RowBlender blend = PickBlender(source, op);
    // Every destination column shows the next layer column: the run blends without look-ups.
    const int firstColumn = columns[size_t(left)];
    const bool run = source == Source::Direct && op == kOpNormal && row.bytesPerPixel == 3 && firstColumn >= 0 &&
                     columns[size_t(right - 1)] == firstColumn + (right - 1 - left) &&
                     std::adjacent_find(columns.begin() + left, columns.begin() + right,
                                        [](int a, int b) { return b != a + 1; }) == columns.begin() + right;

    for (int dy = top; dy < bottom; ++dy) {
        const int d = docH - 1 - grid.rows[size_t(dy)];
        const int r = LayerRow(layer, d);
        if (r < 0) continue;
        uint8_t* out = reinterpret_cast<uint8_t*>(target.pixels + size_t(dy) * size_t(target.stride));
        if (run) {
            BlendNormalRun(row, layer.AlphaRow(r) + firstColumn, layer.PixelRow(r) + 3 * size_t(firstColumn),
                           out + 4 * size_t(left), right - left);
            continue;
        }
        blend(row, layer.AlphaRow(r), text ? nullptr : layer.PixelRow(r), out);
    }
}

void Compositor::ClearClip(TargetBuffer& target) {
    const int left = std::max(0, target.clip.left), right = std::min(target.width, target.clip.right);
    const int top = std::max(0, target.clip.top), bottom = std::min(target.height, target.clip.bottom);
    for (int dy = top; dy < bottom; ++dy)
        std::fill(target.pixels + size_t(dy) * target.stride + left, target.pixels + size_t(dy) * target.stride + right,
                  0u);
}

bool Compositor::AllocateFlatBuffer(const DocumentHeader& header, std::vector<uint32_t>& flattenBuffer) {
    if (header.width <= 0 || header.height <= 0) return false;
    try {
        flattenBuffer.assign(size_t(header.width) * size_t(header.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int Compositor::BlendPass(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                          TargetBuffer& target, const RenderMapping& mapping) {
    if (!target.pixels) return 0;
    ClearClip(target);
    SampleGrid grid;
    if (!MappingGrid(header, target, mapping, grid)) {
        // Nothing can be sampled; the layers are still counted as a pass would.
        grid.columns.clear();
    }
    return BlendPassSampled(header, layers, first, count, target, grid, false);
}

int Compositor::BlendPassSampled(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                                 TargetBuffer& target, const SampleGrid& grid, bool clear) {
    if (!target.pixels) return 0;
    std::vector<const LayerRecord*> visible;
    int walked = 0;
    for (int i = first; LayerStack::IsValidIndex(i) && walked < kMaxLayers; i = layers[i].next) {
        if (count > 0 && walked >= count) break;
        ++walked;
        if (layers[i].visible == 1) visible.push_back(&layers[i]);
    }
    BlendLayers(header, visible, target, grid, clear);
    return int(visible.size());
}

void Compositor::BlendLayers(const DocumentHeader& header, const std::vector<const LayerRecord*>& layers,
                             TargetBuffer& target, const SampleGrid& grid, bool clear) {
    if (!target.pixels) return;
    const int top = std::max(0, target.clip.top), bottom = std::min(target.height, target.clip.bottom);
    const int width = std::min(target.width, target.clip.right) - std::max(0, target.clip.left);
    if (bottom <= top || width <= 0) return;
    // Every layer is blended into a band of rows while the band is still in the
    // cache, and the bands are shared among the threads of the pool.
    const int bandRows = std::max(4, int(kBandPixels / width));
    const int bands = (bottom - top + bandRows - 1) / bandRows;
    WorkerPool::Shared().Run(bands, [&](int band) {
        TargetBuffer part = target;
        part.clip.top = top + band * bandRows;
        part.clip.bottom = std::min(bottom, part.clip.top + bandRows);
        if (clear) ClearClip(part);
        for (size_t i = 0; i < layers.size(); ++i) BlendLayerSampled(header, *layers[i], part, grid, i == 0);
    });
}

bool Compositor::FlattenForSaving(const DocumentHeader& header, const LayerStack& stack,
                                  std::vector<uint32_t>& flattenBuffer) {
    if (!AllocateFlatBuffer(header, flattenBuffer)) return false;
    TargetBuffer target(flattenBuffer.data(), header.width, header.height);
    BlendPass(header, stack.Layers(), stack.headLayer, -1, target, RenderMapping{});
    return true;
}

bool Compositor::BufferToImage(const DocumentHeader& header, const std::vector<uint32_t>& buffer, NyZazo& image) {
    const int w = header.width, h = header.height;
    if (w <= 0 || h <= 0 || buffer.size() != size_t(w) * size_t(h) ||
        !image.Create(w, h, header.bitsPerPixel, header.formatType) || image.BitCount() != header.bitsPerPixel ||
        int64_t(image.header.biSizeImage) != int64_t(header.imageSize)) {
        CurrentPlatform().ShowMessage(texts::kConversionFailed, MessageKind::Error);
        return false;
    }
    const int bpp = header.bitsPerPixel;
    if (bpp <= 8 && !header.palette.empty())
        image.SetPaletteQuads(header.palette.data(), uint32_t(header.palette.size()));
    std::optional<NearestPalette> nearest;
    if (bpp <= 8) nearest.emplace(header.palette.data(), uint32_t(header.palette.size()));
    for (int screenY = 0; screenY < h; ++screenY) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(buffer.data() + size_t(screenY) * w);
        uint8_t* row = image.Row(h - 1 - screenY);
        if (bpp >= 24) {
            const int step = bpp / 8;
            for (int x = 0; x < w; ++x) {
                row[x * step] = in[4 * x];
                row[x * step + 1] = in[4 * x + 1];
                row[x * step + 2] = in[4 * x + 2];
                if (step == 4) row[x * step + 3] = in[4 * x + 3];
            }
        } else {
            PutIndexedRow(*nearest, in, w, bpp, row);
        }
    }
    return true;
}

bool Compositor::BlendIntoSlot(LayerStack& stack, const DocumentHeader& header, int first, int count) {
    if (!LayerStack::IsValidIndex(first) || header.width <= 0 || header.height <= 0) return false;
    const int w = header.width, h = header.height;
    std::vector<uint32_t> buffer;
    try {
        buffer.assign(size_t(w) * size_t(h), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    TargetBuffer target(buffer.data(), w, h);
    BlendPass(header, stack.Layers(), first, count, target, RenderMapping{});

    LayerRecord& lower = stack.Layer(first);
    // The result is colour at the document's depth, so a text layer receiving it becomes a raster layer.
    const uint8_t kind = lower.kind == LayerKind::Text ? LayerKind::Raster : lower.kind;
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, first);
    request.changed = 1;
    request.kind = kind;
    if (!stack.CreateLayerPlanes(request)) return false;
    const int bpp = header.bitsPerPixel;
    std::optional<NearestPalette> nearest;
    if (bpp <= 8) nearest.emplace(header.palette.data(), uint32_t(header.palette.size()));
    for (int screenY = 0; screenY < h; ++screenY) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(buffer.data() + size_t(screenY) * w);
        const int storedY = h - 1 - screenY;
        uint8_t* row = lower.PixelRow(storedY);
        uint8_t* alpha = lower.AlphaRow(storedY);
        if (bpp >= 24) {
            for (int x = 0; x < w; ++x) {
                uint8_t* p = row + size_t(x) * (bpp / 8);
                p[0] = in[4 * x], p[1] = in[4 * x + 1], p[2] = in[4 * x + 2];
            }
        } else {
            PutIndexedRow(*nearest, in, w, bpp, row);
        }
        for (int x = 0; x < w; ++x) alpha[x] = in[4 * x + 3];
    }
    return true;
}

}  // namespace quillory
