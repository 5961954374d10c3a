#include "measure/MultiFocus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "measure/MeasureTexts.h"
#include "processing/ColourDepth.h"
#include "processing/FilterPlanes.h"
#include "processing/KernelFilters.h"

namespace quillory {

namespace {

// The first layer of a document: slot 0 when it is in the stack, else the bottom layer.
const LayerRecord* FirstLayer(const CVandDoc& document) {
    const int slot = document.IsLayerInList(0) ? 0 : document.HeadLayer();
    return LayerStack::IsValidIndex(slot) ? &document.Layer(slot) : nullptr;
}

bool UsableAt(const LayerRecord* layer, int bitsPerPixel) {
    return layer && layer->width > 0 && layer->height > 0 && layer->stride >= PlaneStride(bitsPerPixel, layer->width) &&
           layer->pixels.size() >= size_t(layer->stride) * size_t(layer->height) &&
           layer->alpha.size() >= size_t(layer->width) * size_t(layer->height);
}

bool Usable24(const LayerRecord* layer) { return UsableAt(layer, 24); }

// The depths whose pixels the composition copies: direct colour and palette bytes.
bool ComposableDepth(int bitsPerPixel) { return bitsPerPixel == 24 || bitsPerPixel == 8; }

// A document composes with the others when its picture and first layer have the reference's size and depth.
bool SameSize(const CVandDoc& document, const DocumentHeader& reference) {
    const DocumentHeader& h = document.Header();
    const LayerRecord* layer = FirstLayer(document);
    return h.width == reference.width && h.height == reference.height && h.bitsPerPixel == reference.bitsPerPixel &&
           ComposableDepth(h.bitsPerPixel) && UsableAt(layer, h.bitsPerPixel) && layer->width == h.width &&
           layer->height == h.height;
}

}  // namespace

BlockValues BlockSharpness(const LayerRecord& layer) {
    BlockValues values{};
    if (!Usable24(&layer)) return values;
    const int bw = layer.width / kFocusGrid, bh = layer.height / kFocusGrid;
    for (int by = 0; by < kFocusGrid; ++by) {
        for (int storedY = by * bh; storedY < (by + 1) * bh; ++storedY) {
            const uint8_t* row = layer.PixelRow(storedY);
            const uint8_t* alpha = layer.AlphaRow(storedY);
            for (int bx = 0; bx < kFocusGrid; ++bx) {
                float& sum = values[size_t(by * kFocusGrid + bx)];
                for (int x = bx * bw; x < (bx + 1) * bw; ++x) {
                    const uint8_t* p = row + 3 * x;
                    if (alpha[x] != 0 && p[0] > 49 && p[1] > 49 && p[2] > 49) sum += float(p[0]) / 255.0f;
                }
            }
        }
    }
    return values;
}

BlockValues BlockSharpness(const CVandDoc& document) {
    const LayerRecord* layer = FirstLayer(document);
    const DocumentHeader& header = document.Header();
    if (!UsableAt(layer, header.bitsPerPixel)) return BlockValues{};
    // The edge filter runs on a copy of the layer's colours (palette pixels as their entries).
    std::vector<uint8_t> widened;
    const uint8_t* colours = layer->pixels.data();
    int32_t stride = layer->stride;
    if (header.bitsPerPixel != 24) {
        stride = int32_t(PlaneStride(24, layer->width));
        widened.assign(size_t(stride) * size_t(layer->height), 0);
        if (!RgbPlane(ViewOfLayer(*layer, header), widened.data(), uint32_t(stride))) return BlockValues{};
        colours = widened.data();
    }
    LayerRecord edges;
    edges.width = layer->width;
    edges.height = layer->height;
    edges.stride = stride;
    edges.pixels.assign(colours, colours + size_t(stride) * size_t(layer->height));
    edges.alpha = layer->alpha;
    const LayerPlanesView source =
        BottomUpPlanes<const uint8_t>(colours, stride, layer->alpha.data(), layer->width, layer->height);
    const LayerPlanes target =
        BottomUpPlanes<uint8_t>(edges.pixels.data(), edges.stride, edges.alpha.data(), edges.width, edges.height);
    FilterProgress progress;
    if (!Convolve3x3(source, target, ContourKernel(8), true, progress)) return BlockValues{};
    return BlockSharpness(edges);
}

bool ComposeMultiFocus(const std::vector<CVandDoc*>& documents, CVandDoc& result, NewPictureSettings& settings,
                       MultiFocusResult* report) {
    if (documents.empty() || !documents.back()) return false;
    const DocumentHeader reference = documents.back()->Header();
    MultiFocusResult local;
    MultiFocusResult& r = report ? *report : local;
    r = MultiFocusResult{};
    BlockValues best;
    best.fill(-1.0f);
    std::vector<const CVandDoc*> sources(documents.size(), nullptr);
    WaitCursor wait;
    for (size_t d = 0; d < documents.size(); ++d) {
        const CVandDoc* document = documents[d];
        if (!document) continue;
        if (!SameSize(*document, reference)) {
            char message[512];
            const DocumentHeader& h = document->Header();
            // A picture with a file is named by the file it was last opened or saved as.
            const std::string name = document->PathName().empty() ? document->PictureName() : document->FileName();
            std::snprintf(message, sizeof message, mtexts::kMultiFocusSkipped, name.c_str(), h.width, h.height,
                          h.bitsPerPixel);
            CurrentPlatform().ShowMessage(message, MessageKind::Warning);
            r.skipped.push_back(int(d));
            continue;
        }
        sources[d] = document;
        const BlockValues sharpness = BlockSharpness(*document);
        // A later document wins a block only when it is strictly sharper there.
        for (size_t b = 0; b < best.size(); ++b) {
            if (sharpness[b] > best[b]) {
                best[b] = sharpness[b];
                r.source[b] = int(d);
            }
        }
        CurrentPlatform().SetProgress(int((d + 1) * 100 / documents.size()));
    }
    CurrentPlatform().SetProgress(0);
    if (best[0] < 0) return false;  // every document was left out

    settings.width = reference.width;
    settings.height = reference.height;
    settings.bitsPerPixel = reference.bitsPerPixel;
    settings.background = NewPictureSettings::White;
    if (!result.NewDocument(settings)) return false;
    // A new picture is made at 24 bits; the blocks of palette documents bring their colours.
    LayerRecord& target = result.Layer(0);
    if (!Usable24(&target) || result.Header().bitsPerPixel != 24 || target.width != reference.width ||
        target.height != reference.height)
        return false;
    std::fill(target.alpha.begin(), target.alpha.end(), uint8_t(255));
    const int bw = target.width / kFocusGrid, bh = target.height / kFocusGrid;
    for (int by = 0; by < kFocusGrid; ++by)
        for (int bx = 0; bx < kFocusGrid; ++bx) {
            const CVandDoc& document = *sources[size_t(r.source[size_t(by * kFocusGrid + bx)])];
            const LayerRecord& from = *FirstLayer(document);
            const PaletteRef palette = PaletteOf(document.Header());
            for (int storedY = by * bh; storedY < (by + 1) * bh; ++storedY) {
                uint8_t* to = target.PixelRow(storedY) + 3 * size_t(bx * bw);
                const uint8_t* in = from.PixelRow(storedY);
                if (reference.bitsPerPixel == 24) {
                    std::memcpy(to, in + 3 * size_t(bx * bw), size_t(3 * bw));
                    continue;
                }
                for (int x = bx * bw; x < (bx + 1) * bw; ++x, to += 3) {
                    const uint8_t index = in[x];
                    const RGBQUAD c = palette.colours && index < palette.count ? palette.colours[index]
                                                                               : RGBQUAD{index, index, index, 0};
                    to[0] = c.blue, to[1] = c.green, to[2] = c.red;
                }
            }
        }
    // The composed picture is the new document's first state.
    result.RecordStep(texts::kStepOpening, StepCode::Pixels, 0);
    result.SetModified(true);
    return true;
}

}  // namespace quillory
