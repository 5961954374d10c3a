#include <gtest/gtest.h>

#include <vector>

#include "core/WorkerPool.h"
#include "document/Compositor.h"
#include "document/ShadowEffect.h"
#include "document/DocumentTestSupport.h"

namespace quillory {
namespace {

// The flat picture blended the plain way: one layer after another over the whole
// buffer, on one thread, shadows applied to copies as the view shows them.
std::vector<uint32_t> PlainFlatten(const CVandDoc& doc) {
    const DocumentHeader& header = doc.Header();
    std::vector<uint32_t> flat(size_t(header.width) * header.height, 0);
    TargetBuffer target(flat.data(), header.width, header.height);
    bool first = true;
    for (int i = doc.HeadLayer(); LayerStack::IsValidIndex(i); i = doc.Layer(i).next) {
        const LayerRecord& layer = doc.Layer(i);
        if (layer.visible != 1) continue;
        if (layer.effectOn == 1 && layer.kind != LayerKind::Text) {
            LayerRecord shadowed = layer;
            ApplyShadow(shadowed, header);
            Compositor::BlendLayer(header, shadowed, target, RenderMapping{}, first);
        } else {
            Compositor::BlendLayer(header, layer, target, RenderMapping{}, first);
        }
        first = false;
    }
    return flat;
}

}  // namespace

TEST(FlattenForSaving, BandsOnEveryThreadGiveThePlainLayerByLayerPicture) {
    // Tall enough for several bands of rows; every blend mode, a moved layer, a shadow.
    auto doc = test::MakeDocument(157, 1100);
    ASSERT_TRUE(doc);
    for (int i = 1; i < 10; ++i) ASSERT_GE(doc->InsertLayer(doc->TopLayer()), 0);
    for (int i = 0; i < 10; ++i) {
        LayerRecord& layer = doc->Layer(i);
        test::FillRandom(layer, uint32_t(100 + i));
        layer.blendMode = uint8_t(i % BlendMode::Count);
        layer.transparency = uint8_t(i * 23);
    }
    doc->Layer(4).visible = 0;
    doc->Layer(6).x = -11;
    doc->Layer(6).y = 37;
    doc->Layer(7).effectOn = 1;
    doc->Layer(7).effectSize = 3;
    ComputeShadow(doc->Layer(7));
    const std::vector<uint32_t> plain = PlainFlatten(*doc);

    const int threads = WorkerPool::Shared().Threads();
    for (int wanted : {1, 3}) {
        WorkerPool::Shared().SetThreads(wanted);
        std::vector<uint32_t> flat;
        ASSERT_TRUE(doc->FlattenForSaving(flat));
        ASSERT_EQ(flat.size(), plain.size());
        for (size_t p = 0; p < flat.size(); ++p)
            ASSERT_EQ(flat[p], plain[p]) << "threads " << wanted << " pixel " << p % 157 << "," << p / 157;
    }
    WorkerPool::Shared().SetThreads(threads);
}

}  // namespace quillory
