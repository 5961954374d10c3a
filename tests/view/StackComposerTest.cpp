#include <gtest/gtest.h>

#include <cmath>

#include "document/Compositor.h"
#include "document/DocumentState.h"
#include "document/LayerStack.h"
#include "view/StackComposer.h"
#include "view/ViewRender.h"
#include "view/ViewZoom.h"

namespace quillory {
namespace {

// An odd-sized document: an opaque gradient at the bottom and a multiply layer
// above it covering a band, so every shown pixel is opaque.
struct SmallDocument {
    static constexpr int kW = 37, kH = 23;
    DocumentState state;
    LayerStack stack{state};

    SmallDocument() {
        EXPECT_TRUE(stack.CreateLayerPlanes({.slot = 0, .name = u"t", .formatType = 1, .alphaFill = 255,
                                             .layerWidth = kW, .layerHeight = kH, .resetSelection = true,
                                             .changed = 1, .kind = LayerKind::Background, .centre = true}));
        stack.Layer(0).inUse = 1;
        stack.Layer(0).visible = 1;
        stack.headLayer = stack.currentLayer = 0;
        Paint(stack.Layer(0), 0);
        const int top = stack.InsertLayer(0);
        EXPECT_GE(top, 0);
        stack.Layer(top).blendMode = BlendMode::Multiply;
        Paint(stack.Layer(top), 1);
    }

    static void Paint(LayerRecord& layer, int seed) {
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x) {
                uint8_t* p = layer.PixelRow(y) + 3 * x;
                p[0] = uint8_t(7 * x + 50 * seed), p[1] = uint8_t(11 * y), p[2] = uint8_t(255 - 5 * x - 3 * y);
                layer.AlphaRow(y)[x] = seed == 0 ? 255 : ((x + y) % 5 ? 200 : 0);
            }
    }

    // The flat picture, rows top-down.
    std::vector<uint32_t> Flat() const {
        std::vector<uint32_t> flat;
        EXPECT_TRUE(Compositor::FlattenForSaving(state.header, stack, flat));
        return flat;
    }
};

// Paints a client of the given size and checks every pixel of the picture's
// rectangle against the flat picture sampled at the displayed scale.
void ExpectViewShowsFlatPicture(ViewState view, int clientW, int clientH) {
    SmallDocument doc;
    const std::vector<uint32_t> flat = doc.Flat();
    StackComposer layers(doc.state.header, doc.stack);
    std::vector<uint32_t> pixels(size_t(clientW) * clientH);
    TargetBuffer target(pixels.data(), clientW, clientH);
    ViewRenderer renderer;
    renderer.Paint(target, {0, 0, clientW, clientH}, view, layers, {}, kOverlayNone);
    const DisplayGeometry g = ComputeDisplay(view, SmallDocument::kW, SmallDocument::kH, clientW, clientH);
    const int left = g.offsetX - (view.fitToWindow ? 0 : view.scrollX);
    const int top = g.offsetY - (view.fitToWindow ? 0 : view.scrollY);
    int checked = 0;
    for (int y = std::max(0, top); y < std::min(clientH, top + g.shownHeight); ++y)
        for (int x = std::max(0, left); x < std::min(clientW, left + g.shownWidth); ++x) {
            const int px = std::min(SmallDocument::kW - 1, int(std::floor((x - left) / g.scaleX)));
            const int py = std::min(SmallDocument::kH - 1, int(std::floor((y - top) / g.scaleY)));
            const uint32_t want = flat[size_t(py) * SmallDocument::kW + px] | 0xFF000000u;
            ASSERT_EQ(pixels[size_t(y) * clientW + x], want) << "client " << x << "," << y << " picture " << px << "," << py;
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

TEST(StackComposer, ViewShowsTheCompositorsFlatPictureAtEveryZoom) {
    ViewState view;
    for (float zoom : {0.5f, 1.0f, 2.0f, 16.0f}) {
        view.zoom = zoom;
        SCOPED_TRACE(zoom);
        ExpectViewShowsFlatPicture(view, 90, 61);
    }
    // Scrolled at zoom 4: the picture (148 × 92) is larger than the client.
    view.zoom = 4.0f;
    view.scrollX = 33;
    view.scrollY = 17;
    ExpectViewShowsFlatPicture(view, 90, 61);
}

TEST(StackComposer, FitToWindowSamplesEachAxisOnItsOwn) {
    ViewState view;
    view.fitToWindow = 1;
    ExpectViewShowsFlatPicture(view, 74, 69);    // x 2, y 3
    ExpectViewShowsFlatPicture(view, 30, 100);   // shrunk across, stretched down
}

}  // namespace
}  // namespace quillory
