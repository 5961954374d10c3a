#pragma once
// The view's layer composite, kept between paints. Blending every visible layer
// for every paint costs far more than the paint itself, so the composite is kept
// in tiles and a paint only samples it; tiles are blended when they are first
// shown after a change.
//
// At a zoom of 1 or more the tiles hold the composite at full size (one pixel a
// picture pixel). Below 1, and in fit-to-window mode, they hold the reduced
// composite at the displayed scale (one pixel a displayed pixel), which shows
// only the picture pixels the display samples. Either way a displayed pixel gets
// exactly what blending the layers for that pixel would give.
//
// The cache cannot see the layers change: the owner reports every change, of a
// region or of the whole document, before the next paint. Layers whose shadow
// effect is on are shown with their shadow while no selection is active; the
// cache notices the selection coming and going itself.
#include <cstdint>
#include <memory>
#include <vector>

#include "document/Compositor.h"
#include "document/DocumentHeader.h"
#include "document/LayerStack.h"
#include "document/ShadowEffect.h"
#include "view/ViewRender.h"

namespace quillory {

class CompositeCache : public LayerComposer {
public:
    CompositeCache(const DocumentHeader& header, const LayerStack& stack) : m_header(header), m_stack(stack) {}

    int PictureWidth() const override { return m_header.width; }
    int PictureHeight() const override { return m_header.height; }
    void ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) override;

    // Every tile must be blended again.
    void Invalidate();
    // The tiles that show any picture pixel of the rectangle (rows counted from the top).
    void InvalidateRegion(const IntRect& pictureRect);

    // Picture or displayed pixels blended since the cache was made (for tests and measurements).
    int64_t BlendedPixels() const { return m_blendedPixels; }
    // Frees the tiles; the next paint starts afresh.
    void Release();

    static constexpr int kTileSize = 64;

private:
    // One kept composite: full size or reduced to one scale.
    struct Surface {
        bool reduced = false;
        float scaleX = 1.0f, scaleY = 1.0f;
        int documentWidth = 0, documentHeight = 0;
        int width = 0, height = 0;
        int tilesX = 0, tilesY = 0;
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> valid;  // per tile
        SampleGrid grid;             // the picture pixel of each surface column and row
        bool Matches(bool reduced, float sx, float sy, int docW, int docH, int w, int h) const;
    };

    bool Prepare(Surface& surface, bool reduced, float sx, float sy, int width, int height);
    void Ensure(Surface& surface, const IntRect& area);
    void InvalidateSurface(Surface& surface, const IntRect& pictureRect);
    void ComposeDirect(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY);
    const ShownLayers& Shown();

    const DocumentHeader& m_header;
    const LayerStack& m_stack;
    Surface m_full;
    Surface m_reduced;
    // The layers as shown (shadowed copies included), made again after every reported
    // change; whether a selection was active when the tiles were blended.
    std::unique_ptr<ShownLayers> m_shown;
    bool m_selectionShown = false;
    int64_t m_blendedPixels = 0;
};

}  // namespace quillory
