#include "document/AdjustmentPreview.h"

#include <map>

#include "core/Platform.h"
#include "document/DocumentTexts.h"
#include "document/SnapshotSlots.h"

namespace quillory {

namespace {

std::map<int, PreviewableCommand>& Previewables() {
    static std::map<int, PreviewableCommand> commands;
    return commands;
}

SnapshotSlot SlotOf(bool b) { return b ? SnapshotSlot::B : SnapshotSlot::A; }

}  // namespace

bool RefuseTextLayer(const CVandDoc& document, const char* message) {
    const int current = document.CurrentLayer();
    if (!LayerStack::IsValidIndex(current) || document.Layer(current).kind != LayerKind::Text) return false;
    CurrentPlatform().ShowMessage(message ? message : texts::kTextLayerIsCurrent, MessageKind::Warning);
    return true;
}

void RegisterPreviewable(CommandRegistry& registry, PreviewableCommand command) {
    const int id = command.id;
    const std::string menuText = command.menuText;
    Previewables()[id] = std::move(command);
    registry.Register(id, menuText, [id](CVandDoc& document, const CommandParameters& parameters) {
        const PreviewableCommand* c = FindPreviewable(id);
        if (!c || !c->change || !LayerStack::IsValidIndex(document.CurrentLayer())) return false;
        if (c->refuseTextLayer && RefuseTextLayer(document, c->textLayerMessage)) return false;
        WaitCursor wait;
        if (!c->change(document, parameters)) return false;
        document.RecordStep(c->stepName, c->stepCode);
        return true;
    });
}

const PreviewableCommand* FindPreviewable(int id) {
    auto it = Previewables().find(id);
    return it == Previewables().end() ? nullptr : &it->second;
}

AdjustmentPreview::AdjustmentPreview(CVandDoc& document, int commandId)
    : m_document(document), m_command(FindPreviewable(commandId)) {}

AdjustmentPreview::AdjustmentPreview(CVandDoc& document, PreviewableCommand command)
    : m_document(document), m_owned(std::move(command)), m_command(&m_owned) {}

AdjustmentPreview::~AdjustmentPreview() {
    if (m_open) Cancel();
}

template <typename Each>
void AdjustmentPreview::ForEachLayer(Each each) {
    if (!m_command->ChangesEveryLayer()) {
        each(m_layer);
        return;
    }
    for (int i = 0; i < kMaxLayers; ++i)
        if (m_document.Layer(i).inUse) each(i);
}

void AdjustmentPreview::Restore(Slot which) {
    const SnapshotSlot slot = SlotOf(which == Slot::B);
    SnapshotSlots& snapshots = m_document.Snapshots();
    bool any = false;
    ForEachLayer([&](int i) { any = snapshots.Restore(slot, m_document.Layer(i), i) || any; });
    if (!any) return;
    const Surroundings& kept = m_kept[which == Slot::B ? 1 : 0];
    m_document.State().selection = kept.selection;
    m_document.Header().scratchSize = kept.scratchSize;
    m_document.Header().backgroundChanged = kept.backgroundChanged;
    // The picture values saved with the layers: a previewed palette or size goes back too.
    const SnapshotSlots::PictureValues& picture = snapshots.Picture(slot);
    DocumentHeader& header = m_document.Header();
    header.width = picture.width;
    header.height = picture.height;
    header.bitsPerPixel = picture.bitsPerPixel;
    header.colourCount = picture.colourCount;
    header.palette = picture.palette;
    header.imageSize = int32_t(int64_t(header.height) * header.Stride());
    header.pixelCount = int32_t(int64_t(header.width) * header.height);
}

void AdjustmentPreview::Keep(Slot which) {
    const SnapshotSlot slot = SlotOf(which == Slot::B);
    ForEachLayer([&](int i) { m_document.Snapshots().Save(slot, m_document.Header(), m_document.Layer(i), i); });
    Surroundings& kept = m_kept[which == Slot::B ? 1 : 0];
    kept.selection = m_document.State().selection;
    kept.scratchSize = m_document.Header().scratchSize;
    kept.backgroundChanged = m_document.Header().backgroundChanged;
}

bool AdjustmentPreview::Begin() {
    if (!m_command || !m_command->change || m_open) return false;
    m_layer = m_document.CurrentLayer();
    if (!LayerStack::IsValidIndex(m_layer) || !m_document.Layer(m_layer).inUse) return false;
    if (m_command->refuseTextLayer && RefuseTextLayer(m_document, m_command->textLayerMessage)) return false;
    // A layer without a committed copy is committed as it is now, so that Cancel has something to return to.
    ForEachLayer([&](int i) {
        if (!m_document.Snapshots().Has(SnapshotSlot::A, i))
            m_document.Snapshots().Save(SnapshotSlot::A, m_document.Header(), m_document.Layer(i), i);
    });
    m_kept[0] = Surroundings{m_document.State().selection, m_document.Header().scratchSize,
                             m_document.Header().backgroundChanged};
    Restore(Slot::A);
    Keep(Slot::B);
    m_open = true;
    m_document.NotifyChanged();
    return true;
}

bool AdjustmentPreview::Run(const CommandParameters& parameters) {
    if (!m_open) return false;
    bool ran = false;
    {
        WaitCursor wait;
        Restore(Slot::A);
        ran = m_command->change(m_document, parameters);
        if (!ran) Restore(Slot::A);
        Keep(Slot::B);
    }
    m_document.NotifyChanged();
    return ran;
}

bool AdjustmentPreview::Commit() {
    if (!m_open) return false;
    m_open = false;
    Restore(Slot::B);
    m_document.RecordStep(m_command->stepName, m_command->stepCode, m_layer);
    return true;
}

void AdjustmentPreview::Cancel() {
    if (!m_open) return;
    m_open = false;
    Restore(Slot::A);
    m_document.NotifyChanged();
}

}  // namespace quillory
