#include "document/CommandRegistry.h"

#include <charconv>
#include <cmath>
#include <mutex>

#include "core/ImageFields.h"
#include "core/Samples.h"
#include "document/AdjustmentCommands.h"
#include "document/CVandDoc.h"
#include "document/ColourDepthCommands.h"
#include "document/DocumentTexts.h"
#include "document/TransformCommands.h"
#include "document/ChannelCommands.h"
#include "document/ClipboardCommands.h"
#include "document/SelectionEditing.h"
#include "document/ColourRangeSelection.h"
#include "document/GradientFill.h"
#include "document/FilterCommands.h"
#include "document/LayerStack.h"
#include "document/UndoHistory.h"

namespace quillory {

const std::string* CommandParameters::Value(const std::string& key) const {
    auto it = m_values.find(key);
    if (it == m_values.end()) return nullptr;
    m_read.insert(key);
    return &it->second;
}

std::string CommandParameters::Text(const std::string& key, const std::string& fallback) const {
    const std::string* value = Value(key);
    return value ? *value : fallback;
}

long long CommandParameters::Number(const std::string& key, long long fallback) const {
    const std::string* text = Value(key);
    if (!text) return fallback;
    long long value = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || value < -kMaxNumberParameter || value > kMaxNumberParameter) {
        Refuse(key);
        return fallback;
    }
    return value;
}

double CommandParameters::Real(const std::string& key, double fallback) const {
    const std::string* text = Value(key);
    if (!text) return fallback;
    double value = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    // Plain decimals only: from_chars takes no "inf", "nan" or hexadecimal here.
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    const bool spelled = text->find_first_not_of("0123456789+-.eE") == std::string::npos;
    if (ec != std::errc() || ptr != end || !spelled || !std::isfinite(value) ||
        std::fabs(value) > double(kMaxNumberParameter)) {
        Refuse(key);
        return fallback;
    }
    return value;
}

bool CommandParameters::Refuse(const std::string& key) const {
    if (m_refused.empty()) m_refused = key;
    return false;
}

std::vector<std::string> CommandParameters::UnreadKeys() const {
    std::vector<std::string> unread;
    for (const auto& [key, value] : m_values)
        if (!m_read.count(key)) unread.push_back(key);
    return unread;
}

CommandRegistry& CommandRegistry::Instance() {
    static CommandRegistry registry;
    static std::once_flag once;
    std::call_once(once, [] { RegisterDocumentCommands(registry); });
    return registry;
}

void CommandRegistry::Register(int id, std::string name, CommandHandler handler) {
    m_entries[id] = CommandEntry{id, std::move(name), std::move(handler)};
}

const CommandEntry* CommandRegistry::Find(int id) const {
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

bool CommandRegistry::Execute(int id, CVandDoc& document, const CommandParameters& parameters) const {
    const CommandEntry* entry = Find(id);
    return entry && entry->handler && entry->handler(document, parameters);
}

std::vector<int> CommandRegistry::Ids() const {
    std::vector<int> ids;
    for (const auto& [id, entry] : m_entries) ids.push_back(id);
    return ids;
}

namespace {

bool ImageFieldHandler(int command, CVandDoc& document) {
    const ImageFieldCommand* info = FindImageFieldCommand(command);
    NyZazo* picture = document.Composite();
    if (!info || !picture || !ApplyImageFieldCommand(command, *picture)) return false;
    document.RecordStep(info->undoLabel, StepCode::Pixels);
    return true;
}

bool SampleHandler(int command, CVandDoc& document, const CommandParameters& parameters) {
    // Each sample command numbers the documents it opens from 0 on.
    static std::map<int, int> counters;
    NyZazo picture;
    if (!LoadSample(command, picture)) return false;
    int& counter = counters[command];
    const int number = int(parameters.Number("counter", counter));
    counter = number + 1;
    const std::string title = SampleTitle(command, number);
    if (!document.BuildFromImage(picture, title, 255)) return false;
    document.SetFileName(title);
    return true;
}

// Nothing done, for the reason given (the editor greys such a command out).
bool Refuse(CVandDoc& document, const char* reason) {
    document.SetLastError(reason);
    return false;
}

// The layer a command names with layer=SLOT, or the current layer.
int LayerParameter(const CVandDoc& document, const CommandParameters& parameters) {
    const long long slot = parameters.Number("layer", parameters.Has("layer") ? -1 : document.CurrentLayer());
    return slot >= 0 && slot < kMaxLayers ? int(slot) : -1;
}

// A whole number within [low, high] under `key`; false when absent or outside.
bool NumberIn(const CommandParameters& parameters, const std::string& key, long long low, long long high,
              long long& value) {
    value = parameters.Number(key, low - 1);
    return value >= low && value <= high;
}

void RegisterLayerLookCommands(CommandRegistry& registry) {
    // mode: a blend list entry or its code 0..9.
    registry.Register(cmd::kLayerBlendMode, texts::kCmdTextBlendMode, [](CVandDoc& d, const CommandParameters& p) {
        uint8_t mode = 0;
        if (!ParseBlendMode(p.Text("mode"), mode)) return p.Refuse("mode");
        return d.SetLayerBlendMode(LayerParameter(d, p), mode);
    });
    // value: the transparency byte, 0 opaque .. 255 invisible.
    registry.Register(cmd::kLayerTransparency, texts::kCmdTextTransparency,
                      [](CVandDoc& d, const CommandParameters& p) {
                          long long value = 0;
                          return NumberIn(p, "value", 0, 255, value) &&
                                 d.SetLayerTransparency(LayerParameter(d, p), uint8_t(value));
                      });
    registry.Register(cmd::kLayerVisibility, texts::kCmdTextVisibility, [](CVandDoc& d, const CommandParameters& p) {
        long long visible = 0;
        return NumberIn(p, "visible", 0, 1, visible) && d.SetLayerVisible(LayerParameter(d, p), visible == 1);
    });
    // The layers palette's drag of one row onto another: the two layers exchange places.
    registry.Register(cmd::kLayerReorder, texts::kCmdTextReorder, [](CVandDoc& d, const CommandParameters& p) {
        long long a = 0, b = 0;
        if (!NumberIn(p, "layer", 0, kMaxLayers - 1, a) || !NumberIn(p, "with", 0, kMaxLayers - 1, b)) return false;
        if (!d.IsLayerInList(int(a)) || !d.IsLayerInList(int(b))) return Refuse(d, texts::kNoSuchLayer);
        return d.ReorderLayers(int(a), int(b));
    });
}

}  // namespace

void RegisterDocumentCommands(CommandRegistry& registry) {
    registry.Register(cmd::kLayerAdd, texts::kCmdTextAddLayer, [](CVandDoc& d, const CommandParameters&) { return d.AddLayer(); });
    registry.Register(cmd::kLayerDelete, texts::kCmdTextDeleteLayer,
                      [](CVandDoc& d, const CommandParameters&) { return d.DeleteCurrentLayer(); });
    // 1557 merges the current layer with the one above it, 1555 the one below with the current.
    registry.Register(cmd::kLayerMergeDown, texts::kCmdTextMergeDown, [](CVandDoc& d, const CommandParameters&) {
        if (d.IsLayerInList(d.CurrentLayer()) && d.Layer(d.CurrentLayer()).next == -1)
            return Refuse(d, texts::kNoLayerAbove);
        return d.MergeDown();
    });
    registry.Register(cmd::kLayerMergeUp, texts::kCmdTextMergeUp, [](CVandDoc& d, const CommandParameters&) {
        if (d.IsLayerInList(d.CurrentLayer()) && d.Layer(d.CurrentLayer()).prev == -1)
            return Refuse(d, texts::kNoLayerBelow);
        return d.MergeUp();
    });
    registry.Register(cmd::kLayerFlatten, texts::kCmdTextFlatten, [](CVandDoc& d, const CommandParameters&) { return d.Flatten(); });
    registry.Register(cmd::kLayerDuplicate, texts::kCmdTextDuplicateLayer,
                      [](CVandDoc& d, const CommandParameters&) { return d.DuplicateLayer(); });
    registry.Register(cmd::kLayerToRaster, texts::kCmdTextTextToRaster, [](CVandDoc& d, const CommandParameters&) {
        if (d.IsLayerInList(d.CurrentLayer()) && d.Layer(d.CurrentLayer()).kind != LayerKind::Text)
            return Refuse(d, texts::kNotTextLayer);
        return d.TextToRaster();
    });
    registry.Register(cmd::kLayerRename, texts::kCmdTextRenameLayer, [](CVandDoc& d, const CommandParameters& p) {
        return p.Has("name") && d.RenameLayer(LayerParameter(d, p), p.Text("name"));
    });
    RegisterLayerLookCommands(registry);
    for (int command : {cmd::kRemoveTransparency, cmd::kRemoveAlphaChannel, cmd::kInvertAlphaChannel,
                        cmd::kToggleAlphaPalette, cmd::kStripAlpha}) {
        registry.Register(command, FindImageFieldCommand(command)->menuText,
                          [command](CVandDoc& d, const CommandParameters&) { return ImageFieldHandler(command, d); });
    }
    for (int command : {cmd::kLoadJpegSample, cmd::kLoadGifSample, cmd::kLoadTifSample, cmd::kLoadBitmapSample}) {
        registry.Register(command, FindSampleCommand(command)->menuText,
                          [command](CVandDoc& d, const CommandParameters& p) { return SampleHandler(command, d, p); });
    }
    RegisterColourDepthCommands(registry);
    RegisterTransformCommands(registry);
    RegisterChannelCommands(registry);
    RegisterColourRangeCommands(registry);
    RegisterGradientCommands(registry);
    RegisterSelectionCommands(registry);
    RegisterClipboardCommands(registry);
    RegisterFilterCommands(registry);
    RegisterHistoryCommands(registry);
    RegisterAdjustmentCommands(registry);
}

}  // namespace quillory
