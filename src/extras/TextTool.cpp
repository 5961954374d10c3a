#include "extras/TextTool.h"

#include <algorithm>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/SnapshotSlots.h"
#include "document/Utf16.h"

namespace quillory {

namespace {

bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

void TextTool::Begin(CVandDoc& document, int pictureX, int pictureY) {
    m_entry = TextEntry{};
    m_entry.active = true;
    const int slot = TextLayerAt(document, pictureX, pictureY);
    if (slot < 0) {
        m_entry.pictureX = pictureX;
        m_entry.pictureY = pictureY;
        if (m_look) m_entry.look = m_look();
        return;
    }
    // Editing: the layer's drawn text gives way to the entry until it is committed or dropped.
    LayerRecord& layer = document.Layer(slot);
    m_entry.slot = slot;
    TextPositionInPicture(document, slot, m_entry.pictureX, m_entry.pictureY);
    m_entry.text = layer.text;
    m_entry.caret = m_entry.text.size();
    m_entry.look = LoadTextLook(layer);
    if (!document.Snapshots().Has(SnapshotSlot::A, slot))
        document.Snapshots().Save(SnapshotSlot::A, document.Header(), layer, slot);
    std::fill(layer.alpha.begin(), layer.alpha.end(), uint8_t(0));
    document.NotifyChanged();
}

bool TextTool::Press(ToolContext& context, const ToolEvent& event) {
    if (m_entry.active) {
        Commit(context.document);
        return true;
    }
    if (event.wasClamped) return false;
    Begin(context.document, event.pictureX, event.pictureY);
    return true;
}

bool TextTool::Key(ToolContext& context, int key) {
    if (!m_entry.active) return false;
    switch (key) {
        case TextKey::Return: return Insert(u"\n");
        case TextKey::Backspace: return Backspace();
        case TextKey::Delete: return DeleteForward();
        case TextKey::Escape: return Cancel(context.document);
        case TextKey::Commit: return Commit(context.document);
        default: return MoveCaret(key);
    }
}

bool TextTool::Insert(std::u16string_view text) {
    if (!m_entry.active || text.empty()) return false;
    // A text layer holds at most kMaxTextLength units; what does not fit is not taken.
    const size_t room = size_t(kMaxTextLength) - std::min(m_entry.text.size(), size_t(kMaxTextLength));
    std::u16string_view take = text.substr(0, room);
    if (!take.empty() && take.size() < text.size() && IsLowSurrogate(text[take.size()])) take.remove_suffix(1);
    if (take.empty()) return false;
    m_entry.text.insert(m_entry.caret, take);
    m_entry.caret += take.size();
    return true;
}

bool TextTool::SetPreedit(std::u16string text, int caret) {
    if (!m_entry.active) return false;
    m_entry.preeditCaret = std::clamp(caret, 0, int(text.size()));
    m_entry.preedit = std::move(text);
    return true;
}

bool TextTool::Backspace() {
    if (!m_entry.active || m_entry.caret == 0) return false;
    size_t n = 1;
    if (m_entry.caret >= 2 && IsLowSurrogate(m_entry.text[m_entry.caret - 1])) n = 2;
    m_entry.text.erase(m_entry.caret - n, n);
    m_entry.caret -= n;
    return true;
}

bool TextTool::DeleteForward() {
    if (!m_entry.active || m_entry.caret >= m_entry.text.size()) return false;
    size_t n = 1;
    if (m_entry.caret + 1 < m_entry.text.size() && IsLowSurrogate(m_entry.text[m_entry.caret + 1])) n = 2;
    m_entry.text.erase(m_entry.caret, n);
    return true;
}

bool TextTool::MoveCaret(int key) {
    if (!m_entry.active) return false;
    const size_t old = m_entry.caret;
    const std::u16string& t = m_entry.text;
    switch (key) {
        case TextKey::Left:
            if (m_entry.caret > 0) m_entry.caret -= (m_entry.caret >= 2 && IsLowSurrogate(t[m_entry.caret - 1])) ? 2 : 1;
            break;
        case TextKey::Right:
            if (m_entry.caret < t.size())
                m_entry.caret += (m_entry.caret + 1 < t.size() && IsLowSurrogate(t[m_entry.caret + 1])) ? 2 : 1;
            break;
        case TextKey::Home: {
            const size_t lineStart = t.rfind(u'\n', m_entry.caret == 0 ? 0 : m_entry.caret - 1);
            m_entry.caret = (lineStart == std::u16string::npos || m_entry.caret == 0) ? 0 : lineStart + 1;
            break;
        }
        case TextKey::End: {
            const size_t lineEnd = t.find(u'\n', m_entry.caret);
            m_entry.caret = lineEnd == std::u16string::npos ? t.size() : lineEnd;
            break;
        }
        default: return false;
    }
    return m_entry.caret != old;
}

void TextTool::SetText(std::u16string text) {
    if (!m_entry.active) return;
    if (text.size() > size_t(kMaxTextLength)) text.resize(size_t(kMaxTextLength));
    m_entry.text = std::move(text);
    m_entry.caret = m_entry.text.size();
    m_entry.preedit.clear();
}

bool TextTool::Commit(CVandDoc& document) {
    if (!m_entry.active) return false;
    TextEntry entry = std::move(m_entry);
    m_entry = TextEntry{};
    // A composition still open is taken as typed.
    entry.text.insert(entry.caret, entry.preedit);
    const std::string text = Utf16ToUtf8(entry.text);
    if (entry.slot >= 0) {
        const bool unchanged = document.IsLayerInList(entry.slot) && document.Layer(entry.slot).text == entry.text &&
                               [&] {
                                   const TextLook old = LoadTextLook(document.Layer(entry.slot));
                                   const TextLook& now = entry.look;
                                   return old.face == now.face && old.pixelHeight == now.pixelHeight &&
                                          old.style == now.style && old.underline == now.underline &&
                                          old.strikeOut == now.strikeOut && old.colour.blue == now.colour.blue &&
                                          old.colour.green == now.colour.green && old.colour.red == now.colour.red;
                               }();
        if (!text.empty() && !unchanged && EditTextLayer(document, entry.slot, text, entry.look)) return true;
        // Nothing to change (or it could not be drawn): the layer shows its text again.
        if (document.IsLayerInList(entry.slot)) {
            document.Snapshots().RestorePlanes(SnapshotSlot::A, document.Layer(entry.slot), entry.slot);
            document.NotifyChanged();
        }
        return false;
    }
    if (text.empty()) return false;
    TextPlacement placement;
    placement.text = text;
    placement.x = entry.pictureX;
    placement.y = entry.pictureY;
    placement.look = entry.look;
    return PutTextLayer(document, placement) >= 0;
}

bool TextTool::Cancel(CVandDoc& document) {
    if (!m_entry.active) return false;
    const int slot = m_entry.slot;
    m_entry = TextEntry{};
    if (slot >= 0 && document.IsLayerInList(slot)) {
        document.Snapshots().RestorePlanes(SnapshotSlot::A, document.Layer(slot), slot);
        document.NotifyChanged();
    }
    return true;
}

void RegisterTextTool(ToolRegistry& registry, TextTool::LookSource look) {
    registry.Register(cmd::kToolText, [look] { return std::make_unique<TextTool>(look); });
}

}  // namespace quillory
