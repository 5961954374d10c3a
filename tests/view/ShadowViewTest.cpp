// The view shows what saving writes: layers whose shadow effect is on appear with
// their shadow in the tile cache and the plain composer at every zoom, and without
// it while a selection is active.
#include <gtest/gtest.h>

#include <vector>

#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTestSupport.h"
#include "support/RecordingPlatform.h"
#include "view/CompositeCache.h"
#include "view/StackComposer.h"

namespace quillory {
namespace {

// A picture of three layers: a background, a disc with a shadow, and a moved
// block whose shadow alone is shown.
std::unique_ptr<CVandDoc> ShadowedDocument() {
    auto doc = test::MakeDocument(157, 91);
    if (!doc) return nullptr;
    test::FillRandom(doc->Layer(0), 3);
    std::fill(doc->Layer(0).alpha.begin(), doc->Layer(0).alpha.end(), 255);
    doc->RecordStep("채우기", StepCode::Pixels);
    CommandRegistry& registry = CommandRegistry::Instance();
    EXPECT_TRUE(doc->AddLayer());
    LayerRecord& disc = doc->Layer(doc->CurrentLayer());
    test::FillRandom(disc, 5);
    for (int y = 0; y < disc.height; ++y)
        for (int x = 0; x < disc.width; ++x) {
            const int dx = x - 60, dy = y - 40;
            disc.AlphaRow(y)[x] = dx * dx + dy * dy < 600 ? uint8_t(255 - (x & 63)) : 0;
        }
    doc->RecordStep("채우기", StepCode::Pixels);
    EXPECT_TRUE(registry.Execute(cmd::kLayerEffect, *doc, {{"size", "5"}, {"colour", "203040"}}));
    EXPECT_TRUE(doc->AddLayer());
    LayerRecord& block = doc->Layer(doc->CurrentLayer());
    test::FillSolid(block, MakeQuad(200, 10, 90), 0);
    for (int y = 20; y < 50; ++y) std::fill_n(block.AlphaRow(y) + 90, 40, 180);
    doc->RecordStep("채우기", StepCode::Pixels);
    EXPECT_TRUE(registry.Execute(cmd::kLayerEffect, *doc, {{"size", "9"}, {"colour", "FF8000"}, {"shadowOnly", "1"}}));
    EXPECT_TRUE(doc->MoveLayer(7, -4, true));
    return doc;
}

// The flat picture sampled as the view maps it: target pixel (x, y) shows the
// flat pixel of its grid column and row.
std::vector<uint32_t> FlatAsShown(const CVandDoc& doc, int w, int h, float zoom, int ox, int oy) {
    std::vector<uint32_t> flat;
    EXPECT_TRUE(doc.FlattenForSaving(flat));
    std::vector<uint32_t> shown(size_t(w) * size_t(h));
    TargetBuffer target(shown.data(), w, h);
    SampleGrid grid;
    EXPECT_TRUE(Compositor::MappingGrid(doc.Header(), target, RenderMapping{double(zoom), ox, oy}, grid));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            shown[size_t(y) * w + x] = flat[size_t(grid.rows[size_t(y)]) * doc.Header().width + grid.columns[size_t(x)]];
    return shown;
}

std::vector<uint32_t> Compose(LayerComposer& layers, int w, int h, int ox, int oy, float sx, float sy) {
    std::vector<uint32_t> pixels(size_t(w) * size_t(h), 0);
    TargetBuffer target(pixels.data(), w, h);
    layers.ComposeVisible(target, ox, oy, sx, sy);
    return pixels;
}

}  // namespace

TEST(ShadowView, TheViewShowsTheFlatPictureSavingWritesShadowsIncluded) {
    test::RecordingPlatform platform;
    auto doc = ShadowedDocument();
    ASSERT_TRUE(doc);
    const DocumentHeader& header = doc->Header();
    CompositeCache cache(header, doc->Stack());
    StackComposer plain(header, doc->Stack());
    std::vector<uint32_t> unshadowed(size_t(header.width) * size_t(header.height));
    {
        TargetBuffer target(unshadowed.data(), header.width, header.height);
        Compositor::BlendPass(header, doc->Stack().Layers(), doc->HeadLayer(), -1, target, RenderMapping{});
    }
    ASSERT_NE(FlatAsShown(*doc, header.width, header.height, 1.0f, 0, 0), unshadowed) << "the shadows show";

    for (bool selection : {false, true, false}) {
        SCOPED_TRACE(selection ? "with a selection" : "without a selection");
        // The cache is not told: it sees the selection come and go itself.
        doc->State().selection.selectionActive = selection ? 1 : 0;
        const std::vector<uint32_t> whole = FlatAsShown(*doc, header.width, header.height, 1.0f, 0, 0);
        EXPECT_EQ(whole == unshadowed, selection);
        EXPECT_EQ(Compose(cache, header.width, header.height, 0, 0, 1.0f, 1.0f), whole);
        EXPECT_EQ(Compose(plain, header.width, header.height, 0, 0, 1.0f, 1.0f), whole);
        for (float zoom : {2.0f, 3.0f, 0.5f, 0.25f}) {
            SCOPED_TRACE(zoom);
            for (auto [ox, oy] : {std::pair{0, 0}, {37, 21}}) {
                const std::vector<uint32_t> expected = FlatAsShown(*doc, 83, 61, zoom, ox, oy);
                EXPECT_EQ(Compose(cache, 83, 61, ox, oy, zoom, zoom), expected);
                EXPECT_EQ(Compose(plain, 83, 61, ox, oy, zoom, zoom), expected);
            }
        }
        // Fit to window scales each axis on its own: the cache and the plain composer agree.
        EXPECT_EQ(Compose(cache, 300, 70, 0, 0, 300.0f / header.width, 70.0f / header.height),
                  Compose(plain, 300, 70, 0, 0, 300.0f / header.width, 70.0f / header.height));
    }

    // Removing the effect, reported as a change, takes the shadow away from the tiles.
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerEffect, *doc, {{"remove", "1"}}));
    cache.Invalidate();
    EXPECT_EQ(Compose(cache, header.width, header.height, 0, 0, 1.0f, 1.0f),
              FlatAsShown(*doc, header.width, header.height, 1.0f, 0, 0));
    EXPECT_TRUE(platform.messages.empty());
}

}  // namespace quillory
