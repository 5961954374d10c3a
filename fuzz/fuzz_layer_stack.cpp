// Drives a small document through arbitrary sequences of layer operations:
// adding, deleting, selecting, merging, flattening, moving, reordering, blend
// settings, duplication and rendering at odd zooms and origins. Every layer list
// left behind must stay consistent and every render must stay inside its buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "document/CVandDoc.h"

using namespace quillory;

namespace {

void CheckList(const CVandDoc& doc) {
    int steps = 0, prev = -1;
    for (int i = doc.HeadLayer(); i != -1; i = doc.Layer(i).next) {
        if (!LayerStack::IsValidIndex(i) || !doc.Layer(i).inUse || doc.Layer(i).prev != prev || ++steps > kMaxLayers)
            std::abort();
        prev = i;
    }
    if (doc.HeadLayer() != -1 && !doc.IsLayerInList(doc.CurrentLayer())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CVandDoc doc;
    NewPictureSettings settings;
    settings.width = 1 + data[0] % 23;
    settings.height = 1 + data[1] % 17;
    settings.background = data[1] % 3;
    if (!doc.NewDocument(settings)) return 0;
    // Recording every operation's undo step (copying 40 layer records, rolling 20 steps
    // along, writing step files) took nine tenths of each run: only inputs whose second
    // byte has its top bit set keep the history, the others fuzz the stack alone.
    if ((data[1] & 0x80) == 0) doc.SetStepSink(nullptr);
    std::vector<uint32_t> view(64 * 48);
    for (size_t i = 2; i + 2 < size && i < 2 + 3 * 64; i += 3) {
        const int a = data[i + 1], b = data[i + 2];
        const int current = doc.CurrentLayer();
        switch (data[i] % 13) {
            case 0: doc.AddLayer(); break;
            case 1: doc.DeleteLayer(a % 42 - 1, b & 1); break;
            case 2: doc.SelectLayer(a % 42 - 1); break;
            case 3: doc.MergeDown(); break;
            case 4: doc.MergeUp(); break;
            case 5: doc.Flatten(); break;
            case 6: doc.MoveLayer(a - 128, b - 128, false); break;
            case 7: doc.ReorderLayers(a % 40, b % 40); break;
            case 8:
                doc.Layer(current).blendMode = uint8_t(a);
                doc.Layer(current).transparency = uint8_t(b);
                doc.Layer(current).visible = b & 3;
                break;
            case 9: {
                TargetBuffer target(view.data(), 1 + a % 64, 1 + b % 48, 64);
                doc.Render(target, RenderMapping{double(1 + a % 9) / 4.0, b % 50 - 10, a % 30 - 5});
                break;
            }
            case 10: doc.DuplicateLayer(); break;
            case 11: {
                LayerRecord& layer = doc.Layer(current);
                if (!layer.alpha.empty()) layer.alpha[size_t(a * 256 + b) % layer.alpha.size()] = uint8_t(a ^ b);
                if (!layer.pixels.empty()) layer.pixels[size_t(b * 256 + a) % layer.pixels.size()] = uint8_t(a);
                break;
            }
            default: {
                std::vector<uint32_t> flat;
                doc.FlattenForSaving(flat);
                WorkPlanes planes;
                Compositor::CopyLayer2vwImage(doc.Header(), doc.Layer(current), planes);
                break;
            }
        }
        CheckList(doc);
    }
    return 0;
}
