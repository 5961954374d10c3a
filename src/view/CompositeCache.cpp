#include "view/CompositeCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/WorkerPool.h"
#include "view/StackComposer.h"
#include "view/ViewZoom.h"

namespace quillory {

namespace {

// The first and one past the last position whose mapped value lies in [low, high);
// the map never decreases.
std::pair<int, int> MappedRange(const std::vector<int>& map, int low, int high) {
    const auto first = std::lower_bound(map.begin(), map.end(), low);
    const auto last = std::lower_bound(first, map.end(), high);
    return {int(first - map.begin()), int(last - map.begin())};
}

}  // namespace

bool CompositeCache::Surface::Matches(bool r, float sx, float sy, int docW, int docH, int w, int h) const {
    return reduced == r && scaleX == sx && scaleY == sy && documentWidth == docW && documentHeight == docH &&
           width >= w && height >= h && !pixels.empty();
}

void CompositeCache::Invalidate() {
    m_shown.reset();
    std::fill(m_full.valid.begin(), m_full.valid.end(), 0);
    std::fill(m_reduced.valid.begin(), m_reduced.valid.end(), 0);
}

void CompositeCache::InvalidateRegion(const IntRect& pictureRect) {
    m_shown.reset();
    InvalidateSurface(m_full, pictureRect);
    InvalidateSurface(m_reduced, pictureRect);
}

void CompositeCache::Release() {
    m_shown.reset();
    m_full = Surface{};
    m_reduced = Surface{};
}

void CompositeCache::InvalidateSurface(Surface& s, const IntRect& r) {
    if (s.valid.empty() || r.IsEmpty()) return;
    // Surface pixels whose picture pixel lies inside the rectangle.
    const auto [x0, x1] = MappedRange(s.grid.columns, r.left, r.right);
    const auto [y0, y1] = MappedRange(s.grid.rows, r.top, r.bottom);
    if (x1 <= x0 || y1 <= y0) return;
    for (int ty = y0 / kTileSize; ty <= (y1 - 1) / kTileSize; ++ty)
        for (int tx = x0 / kTileSize; tx <= (x1 - 1) / kTileSize; ++tx) s.valid[size_t(ty) * s.tilesX + tx] = 0;
}

bool CompositeCache::Prepare(Surface& s, bool reduced, float sx, float sy, int width, int height) {
    const int docW = m_header.width, docH = m_header.height;
    if (s.Matches(reduced, sx, sy, docW, docH, width, height)) return true;
    try {
        Surface next;
        next.reduced = reduced;
        next.scaleX = sx;
        next.scaleY = sy;
        next.documentWidth = docW;
        next.documentHeight = docH;
        next.width = width;
        next.height = height;
        next.tilesX = (width + kTileSize - 1) / kTileSize;
        next.tilesY = (height + kTileSize - 1) / kTileSize;
        next.valid.assign(size_t(next.tilesX) * next.tilesY, 0);
        next.grid.columns.resize(size_t(width));
        next.grid.rows.resize(size_t(height));
        if (!reduced) {
            for (int x = 0; x < width; ++x) next.grid.columns[size_t(x)] = x;
            for (int y = 0; y < height; ++y) next.grid.rows[size_t(y)] = y;
        } else if (sx == sy) {
            // The zoom's own mapping: displayed pixel X shows picture pixel floor(X / zoom).
            TargetBuffer shape(nullptr, width, height);
            if (!Compositor::MappingGrid(m_header, shape, RenderMapping{double(sx), 0, 0}, next.grid)) return false;
        } else {
            // Fit to window samples each axis on its own, in single precision.
            for (int x = 0; x < width; ++x)
                next.grid.columns[size_t(x)] = std::clamp(int(std::floor(x / sx)), 0, docW - 1);
            for (int y = 0; y < height; ++y)
                next.grid.rows[size_t(y)] = std::clamp(int(std::floor(y / sy)), 0, docH - 1);
        }
        s = Surface{};  // the old tiles go before the new ones are made
        next.pixels.resize(size_t(width) * size_t(height));
        s = std::move(next);
    } catch (const std::bad_alloc&) {
        s = Surface{};
        return false;
    }
    return true;
}

void CompositeCache::Ensure(Surface& s, const IntRect& area) {
    // Runs of stale tiles along each tile row become one rectangle each.
    std::vector<IntRect> work;
    const int tx0 = area.left / kTileSize, tx1 = (area.right - 1) / kTileSize;
    for (int ty = area.top / kTileSize; ty <= (area.bottom - 1) / kTileSize; ++ty) {
        for (int tx = tx0; tx <= tx1;) {
            if (s.valid[size_t(ty) * s.tilesX + tx]) {
                ++tx;
                continue;
            }
            const int start = tx;
            while (tx <= tx1 && !s.valid[size_t(ty) * s.tilesX + tx]) s.valid[size_t(ty) * s.tilesX + tx++] = 1;
            work.push_back(IntRect{start * kTileSize, ty * kTileSize, std::min(s.width, tx * kTileSize),
                                   std::min(s.height, (ty + 1) * kTileSize)});
        }
    }
    if (work.empty()) return;
    for (const IntRect& r : work) m_blendedPixels += int64_t(r.Width()) * r.Height();
    const ShownLayers& shown = Shown();
    // Each rectangle is written by one thread only.
    WorkerPool::Shared().Run(int(work.size()), [&](int i) {
        TargetBuffer target(s.pixels.data(), s.width, s.height);
        target.clip = work[size_t(i)];
        Compositor::BlendLayers(m_header, shown.Layers(), target, s.grid);
    });
}

const ShownLayers& CompositeCache::Shown() {
    if (!m_shown)
        m_shown = std::make_unique<ShownLayers>(m_header, m_stack.Layers(), m_stack.headLayer, -1, m_selectionShown);
    return *m_shown;
}

void CompositeCache::ComposeDirect(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) {
    StackComposer plain(m_header, m_stack);
    plain.ComposeVisible(target, originX, originY, scaleX, scaleY);
}

void CompositeCache::ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) {
    const int docW = m_header.width, docH = m_header.height;
    if (docW <= 0 || docH <= 0) return;
    const int left = std::max(0, target.clip.left), right = std::min(target.width, target.clip.right);
    const int top = std::max(0, target.clip.top), bottom = std::min(target.height, target.clip.bottom);
    if (right <= left || bottom <= top) return;
    if (!(scaleX > 0) || !(scaleY > 0) || !std::isfinite(scaleX) || !std::isfinite(scaleY)) return;
    // Shadows show only while no selection is: its coming or going changes every shadowed pixel.
    const bool selectionShown = m_stack.State().selection.selectionActive != 0;
    if (selectionShown != m_selectionShown) {
        m_selectionShown = selectionShown;
        Invalidate();
    }

    if (scaleX == scaleY && scaleX >= 1.0f) {
        // Full size: the target samples the tiles as the compositor samples the layers.
        SampleGrid grid;
        if (!Compositor::MappingGrid(m_header, target, RenderMapping{double(scaleX), originX, originY}, grid) ||
            !Prepare(m_full, false, 1.0f, 1.0f, docW, docH)) {
            ComposeDirect(target, originX, originY, scaleX, scaleY);
            return;
        }
        const IntRect area{grid.columns[size_t(left)], grid.rows[size_t(top)], grid.columns[size_t(right - 1)] + 1,
                           grid.rows[size_t(bottom - 1)] + 1};
        Ensure(m_full, area);
        // At zoom 1 the columns run one by one unless the target reaches past the picture.
        const bool straight = grid.columns[size_t(right - 1)] - grid.columns[size_t(left)] == right - 1 - left;
        RunInBands(bottom - top, 64, [&](int begin, int end) {
            for (int dy = top + begin; dy < top + end; ++dy) {
                const uint32_t* src = m_full.pixels.data() + size_t(grid.rows[size_t(dy)]) * size_t(m_full.width);
                uint32_t* dst = target.pixels + size_t(dy) * size_t(target.stride);
                if (straight) {
                    std::memcpy(dst + left, src + grid.columns[size_t(left)], size_t(right - left) * 4);
                } else {
                    for (int dx = left; dx < right; ++dx) dst[dx] = src[grid.columns[size_t(dx)]];
                }
            }
        });
        return;
    }

    // Reduced: displayed pixel (x, y) of the target is surface pixel (x + originX, y + originY).
    if (originX < 0 || originY < 0) {
        ComposeDirect(target, originX, originY, scaleX, scaleY);
        return;
    }
    const int width = std::max(ZoomedSize(docW, scaleX), originX + right);
    const int height = std::max(ZoomedSize(docH, scaleY), originY + bottom);
    if (!Prepare(m_reduced, true, scaleX, scaleY, width, height)) {
        ComposeDirect(target, originX, originY, scaleX, scaleY);
        return;
    }
    Ensure(m_reduced, IntRect{originX + left, originY + top, originX + right, originY + bottom});
    for (int dy = top; dy < bottom; ++dy)
        std::memcpy(target.pixels + size_t(dy) * size_t(target.stride) + left,
                    m_reduced.pixels.data() + size_t(originY + dy) * size_t(m_reduced.width) + originX + left,
                    size_t(right - left) * 4);
}

}  // namespace quillory
