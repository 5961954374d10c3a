#include "view/ViewRender.h"

#include <algorithm>
#include <cstring>

#include "core/CommandIds.h"
#include "view/ViewZoom.h"

namespace quillory {

namespace {

IntRect Intersect(const IntRect& a, const IntRect& b) {
    IntRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (r.IsEmpty()) return IntRect{0, 0, 0, 0};
    return r;
}

uint32_t PlatformColourToPixel(uint32_t colour) {
    const uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

// Source-over with a source whose colours are already multiplied by its alpha.
inline uint32_t BlendPremultiplied(uint32_t src, uint32_t dst) {
    const uint32_t a = src >> 24;
    if (a == 255) return src | 0xFF000000u;
    if (a == 0) return dst;
    const uint32_t keep = 255 - a;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t c = ((src >> shift) & 0xFF) + (((dst >> shift) & 0xFF) * keep + 127) / 255;
        out |= std::min<uint32_t>(c, 255) << shift;
    }
    return out;
}

}  // namespace

int ChooseOverlayKind(const OverlayInputs& in) {
    if (in.currentLayerKind == 2 && !in.flattenForSaving) return kOverlayNone;
    if (in.flattenForSaving) return kOverlayFlattenSave;
    if (in.pathEntering) return kOverlayPath;
    if (in.outlineShown) return kOverlayOutline;
    const int t = in.currentTool;
    if ((t == cmd::kToolRectSelect && in.rectAnchorSet) || t == cmd::kToolFreeSelect ||
        t == cmd::kToolPolygonSelect || t == cmd::kToolFreeRotate || t == cmd::kTool5615 || cmd::IsTransformTool(t))
        return kOverlayToolShape;
    return kOverlayNone;
}

bool HatchPixel(int style, int x, int y) {
    x &= 7, y &= 7;
    switch (style) {
        case 0: return y == 7;                       // horizontal
        case 1: return x == 7;                       // vertical
        case 2: return x == y;                       // forward diagonal
        case 3: return x + y == 7;                   // backward diagonal
        case 4: return x == 7 || y == 7;             // cross
        case 5: return x == y || x + y == 7;         // diagonal cross
        default: return false;
    }
}

DisplayGeometry ComputeDisplay(const ViewState& state, int pictureWidth, int pictureHeight, int clientWidth,
                               int clientHeight) {
    DisplayGeometry g;
    int areaWidth = clientWidth, areaHeight = clientHeight;
    if (state.fitToWindow && pictureWidth > 0 && pictureHeight > 0) {
        g.scaleX = float(clientWidth) / float(pictureWidth);
        g.scaleY = float(clientHeight) / float(pictureHeight);
    } else {
        g.scaleX = g.scaleY = state.zoom;
        areaWidth = std::max(clientWidth, ZoomedSize(pictureWidth, state.zoom));
        areaHeight = std::max(clientHeight, ZoomedSize(pictureHeight, state.zoom));
    }
    g.shownWidth = ZoomedSize(pictureWidth, g.scaleX);
    g.shownHeight = ZoomedSize(pictureHeight, g.scaleY);
    g.offsetX = std::max(0, (areaWidth - g.shownWidth) / 2);
    g.offsetY = std::max(0, (areaHeight - g.shownHeight) / 2);
    return g;
}

void ViewRenderer::DropCache() {
    m_cache.clear();
    m_cacheRect = IntRect{0, 0, 0, 0};
}

PaintResult ViewRenderer::Paint(TargetBuffer& target, const IntRect& clipIn, ViewState& state, LayerComposer& layers,
                                const ViewPaintSettings& settings, int overlayKind, const OverlayPainter& overlay) {
    PaintResult result;
    const IntRect clip = Intersect(clipIn, IntRect{0, 0, target.width, target.height});
    const DisplayGeometry g =
        ComputeDisplay(state, layers.PictureWidth(), layers.PictureHeight(), target.width, target.height);
    const int scrollX = state.fitToWindow ? 0 : state.scrollX;
    const int scrollY = state.fitToWindow ? 0 : state.scrollY;

    for (int y = clip.top; y < clip.bottom; ++y)
        std::fill_n(target.pixels + size_t(y) * target.stride + clip.left, clip.Width(), kViewBackground);

    // The hatch follows area coordinates, so its pattern stays put while scrolling.
    const IntRect shown{g.offsetX - scrollX, g.offsetY - scrollY, g.offsetX - scrollX + g.shownWidth,
                        g.offsetY - scrollY + g.shownHeight};
    const IntRect visible = Intersect(shown, clip);
    uint32_t pattern[8][8];
    for (int py = 0; py < 8; ++py)
        for (int px = 0; px < 8; ++px) pattern[py][px] = HatchPixel(settings.hatchStyle, px, py) ? kHatchLine : kHatchGround;
    for (int y = visible.top; y < visible.bottom; ++y) {
        uint32_t* row = target.pixels + size_t(y) * target.stride;
        const uint32_t* line = pattern[(y + scrollY) & 7];
        for (int x = visible.left; x < visible.right; ++x) row[x] = line[(x + scrollX) & 7];
    }

    if (!visible.IsEmpty()) {
        result.visible = visible;
        const int width = visible.Width(), height = visible.Height();
        const int originX = visible.left - shown.left, originY = visible.top - shown.top;
        const IntRect areaRect{visible.left + scrollX, visible.top + scrollY, visible.right + scrollX,
                               visible.bottom + scrollY};
        m_buffer.assign(size_t(width) * height, 0);
        TargetBuffer buffer(m_buffer.data(), width, height);

        const bool cacheFits = overlayKind != kOverlayNone && !state.needsRedraw &&
                               m_cacheRect.left == areaRect.left && m_cacheRect.top == areaRect.top &&
                               m_cacheRect.right == areaRect.right && m_cacheRect.bottom == areaRect.bottom &&
                               m_cache.size() == m_buffer.size();
        if (cacheFits) {
            std::memcpy(m_buffer.data(), m_cache.data(), m_buffer.size() * sizeof(uint32_t));
            result.cacheUsed = true;
        } else {
            layers.ComposeVisible(buffer, originX, originY, g.scaleX, g.scaleY);
            result.composed = true;
            if (overlayKind != kOverlayNone) {
                m_cache = m_buffer;
                m_cacheRect = areaRect;
            } else {
                DropCache();
            }
        }
        if (overlayKind != kOverlayNone && overlay) overlay(buffer, originX, originY, overlayKind, m_antsPhase);

        // Grid lines keep the phase they have when the whole picture is rendered:
        // rows and columns congruent to the picture's offset, counted from its corner.
        if (settings.gridSpacing > 0) {
            const int spacing = std::max(settings.gridSpacing, kMinGridSpacing);
            const uint32_t colour = PlatformColourToPixel(settings.gridColour);
            const int phaseY = g.offsetY % spacing, phaseX = g.offsetX % spacing;
            for (int r = 0; r < height; ++r) {
                uint32_t* row = buffer.pixels + size_t(r) * width;
                if ((originY + r) % spacing == phaseY) {
                    std::fill_n(row, width, colour);
                    continue;
                }
                int first = ((phaseX - originX) % spacing + spacing) % spacing;
                for (int c = first; c < width; c += spacing) row[c] = colour;
            }
        }

        for (int r = 0; r < height; ++r) {
            const uint32_t* src = buffer.pixels + size_t(r) * width;
            uint32_t* dst = target.pixels + size_t(visible.top + r) * target.stride + visible.left;
            for (int c = 0; c < width; ++c) dst[c] = BlendPremultiplied(src[c], dst[c]);
        }
    }
    state.needsRedraw = 0;
    m_antsPhase ^= 1;
    return result;
}

}  // namespace quillory
