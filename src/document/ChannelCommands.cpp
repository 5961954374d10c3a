#include "document/ChannelCommands.h"

#include <cstdio>
#include <filesystem>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/LayerPlanes.h"
#include "document/TransformTexts.h"

namespace quillory {

namespace {

const char* const* TitleFormats(ChannelModel model) {
    static const char* const yuv[3] = {texts::kYChannelTitle, texts::kUChannelTitle, texts::kVChannelTitle};
    static const char* const hsl[3] = {texts::kHueChannelTitle, texts::kSaturationChannelTitle,
                                       texts::kLightnessChannelTitle};
    return model == ChannelModel::Hsl ? hsl : yuv;
}

bool CurrentPlanes(const CVandDoc& source, Planes& planes, const LayerRecord*& layer) {
    const int cur = source.CurrentLayer();
    if (!source.IsLayerInList(cur)) return false;
    layer = &source.Layer(cur);
    return CopyLayerPlanes(*layer, source.Header(), planes);
}

bool WriteAll(CVandDoc& document, const std::string& folder, const std::string& name) {
    const std::filesystem::path path = std::filesystem::path(folder) / (name + ".bmp");
    return document.SaveDocument(path.string());
}

bool SplitCommand(CVandDoc& d, const CommandParameters& p, ChannelModel model) {
    static ChannelTitleCounter counter;
    if (!p.Has("folder")) {
        d.SetLastError("folder=DIR names where the channel pictures go");
        return false;
    }
    ChannelTitleCounter titles(int(p.Number("number", counter.Next())));
    const std::string folder = p.Text("folder");
    if (!p.AllTaken()) return false;
    CVandDoc documents[3];
    CVandDoc* made[3] = {&documents[0], &documents[1], &documents[2]};
    if (!SplitIntoDocuments(d, model, titles, made)) return false;
    counter = titles;
    for (CVandDoc* document : made)
        if (!WriteAll(*document, folder, document->FileName())) return false;
    return true;
}

bool ViewerCommand(CVandDoc& d, const CommandParameters& p) {
    const std::string mode = p.Text("mode", "rgb");
    if (mode != "rgb" && mode != "yuv" && mode != "hsl") return p.Refuse("mode");
    const ChannelModel model = mode == "yuv" ? ChannelModel::Yuv : mode == "hsl" ? ChannelModel::Hsl : ChannelModel::Rgb;
    if (!p.Has("folder")) return false;
    const std::string folder = p.Text("folder");
    if (!p.AllTaken()) return false;
    NyZazo images[3];
    NyZazo* out[3] = {&images[0], &images[1], &images[2]};
    if (!ChannelTints(d, model, out)) return false;
    for (int k = 0; k < 3; ++k) {
        const std::filesystem::path path =
            std::filesystem::path(folder) / ("channel-" + std::to_string(k + 1) + ".bmp");
        if (!images[k].Save(path.string(), kFormatBmp)) return false;
    }
    return true;
}

}  // namespace

std::string ChannelTitleCounter::Title(const char* format, const std::string& sourceTitle) {
    const int n = std::snprintf(nullptr, 0, format, m_next, sourceTitle.c_str());
    std::string text(size_t(n > 0 ? n : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, m_next, sourceTitle.c_str());
    ++m_next;
    return text;
}

std::string DocumentTitle(const CVandDoc& document) {
    return document.FileName().empty() ? document.PictureName() : document.FileName();
}

bool SplitIntoDocuments(const CVandDoc& source, ChannelModel model, ChannelTitleCounter& titles, CVandDoc* out[3]) {
    Planes planes;
    const LayerRecord* layer = nullptr;
    if (!CurrentPlanes(source, planes, layer)) return false;
    const DocumentHeader& header = source.Header();
    LayerPlacement place{layer->x, layer->y, header.width, header.height, RGBQUAD{255, 255, 255, 0}};
    if (const NyZazo* composite = source.State().composite.get()) place.outside = composite->backColour;
    NyZazo images[3];
    NyZazo* targets[3] = {&images[0], &images[1], &images[2]};
    if (!SplitChannels(planes, PaletteOf(header), place, model, targets)) return false;
    ChannelTitleCounter next = titles;
    const std::string sourceTitle = DocumentTitle(source);
    const char* const* formats = TitleFormats(model);
    for (int k = 0; k < 3; ++k) {
        const std::string title = next.Title(formats[k], sourceTitle);
        if (!out[k]->BuildFromImage(images[k], title, 255)) return false;
        out[k]->SetFileName(title);
    }
    titles = next;
    return true;
}

bool ChannelTints(const CVandDoc& source, ChannelModel model, NyZazo* out[3]) {
    Planes planes;
    const LayerRecord* layer = nullptr;
    if (!CurrentPlanes(source, planes, layer)) return false;
    NyZazo grey[3];
    NyZazo* targets[3] = {&grey[0], &grey[1], &grey[2]};
    // The layer's own rectangle: placed at the origin of a document of its size.
    const LayerPlacement place{0, 0, planes.width, planes.height, RGBQUAD{255, 255, 255, 0}};
    if (!SplitChannels(planes, PaletteOf(source.Header()), place, model, targets)) return false;
    for (int k = 0; k < 3; ++k) {
        NyZazo tinted;
        if (!tinted.Create(planes.width, planes.height, 24, 1)) return false;
        for (int y = 0; y < planes.height; ++y) {
            const uint8_t* g = grey[k].Row(y);
            uint8_t* row = tinted.Row(y);
            for (int x = 0; x < planes.width; ++x) {
                // Byte order blue, green, red: channel 0 in shades of red, 1 of green, 2 of blue.
                row[3 * x] = k == 2 ? g[x] : 0;
                row[3 * x + 1] = k == 1 ? g[x] : 0;
                row[3 * x + 2] = k == 0 ? g[x] : 0;
            }
        }
        out[k]->TakeOver(tinted);
    }
    return true;
}

const char* const* ChannelLabels(ChannelModel model) {
    switch (model) {
        case ChannelModel::Yuv: return texts::kYuvLabels;
        case ChannelModel::Hsl: return texts::kHslLabels;
        default: return texts::kRgbLabels;
    }
}

const char* ChannelHeading(ChannelModel model) {
    switch (model) {
        case ChannelModel::Yuv: return texts::kYuvHeading;
        case ChannelModel::Hsl: return texts::kHslHeading;
        default: return texts::kRgbHeading;
    }
}

void RegisterChannelCommands(CommandRegistry& registry) {
    registry.Register(cmd::kYuvSplit, texts::kCmdYuvSplit,
                      [](CVandDoc& d, const CommandParameters& p) { return SplitCommand(d, p, ChannelModel::Yuv); });
    registry.Register(cmd::kHslSplit, texts::kCmdHslSplit,
                      [](CVandDoc& d, const CommandParameters& p) { return SplitCommand(d, p, ChannelModel::Hsl); });
    registry.Register(cmd::kRgbChannels, texts::kCmdRgbChannels,
                      [](CVandDoc& d, const CommandParameters& p) { return ViewerCommand(d, p); });
}

}  // namespace quillory
