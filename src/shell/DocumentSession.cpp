#include "shell/DocumentSession.h"

#include "document/CommandRegistry.h"
#include "shell/BusyWork.h"

namespace quillory {

bool DocumentSession::Execute(int id, const std::string& parameterName, const std::string& parameterValue) {
    CommandParameters parameters;
    if (!parameterName.empty()) parameters.Set(parameterName, parameterValue);
    return Execute(id, parameters);
}

bool DocumentSession::Execute(int id, const CommandParameters& parameters) {
    BusyWork busy;
    const bool done = CommandRegistry::Instance().Execute(id, m_doc, parameters);
    MarkChanged();
    return done;
}

bool DocumentSession::HasCommand(int id) { return CommandRegistry::Instance().Find(id) != nullptr; }

bool DocumentSession::MoveCurrentLayer(int dx, int dy) {
    if (!m_doc.MoveLayer(dx, dy, true)) return false;
    const int cur = m_doc.CurrentLayer();
    if (LayerStack::IsValidIndex(cur)) m_doc.Layer(cur).changed = 1;
    MarkChanged();
    return true;
}

std::unique_ptr<NyZazo> DocumentSession::FlatPicture() const {
    std::vector<uint32_t> buffer;
    const int w = Width(), h = Height();
    if (!m_doc.FlattenForSaving(buffer) || buffer.size() != size_t(w) * size_t(h)) return nullptr;
    auto picture = std::make_unique<NyZazo>(w, h, 24, 1);
    if (!picture->bits) return nullptr;
    if (const NyZazo* composite = m_doc.State().composite.get()) {
        picture->dpiX = composite->dpiX;
        picture->dpiY = composite->dpiY;
    }
    for (int screenY = 0; screenY < h; ++screenY) {
        const uint32_t* src = buffer.data() + size_t(screenY) * w;
        uint8_t* dst = picture->Row(h - 1 - screenY);
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = uint8_t(src[x]);
            dst[3 * x + 1] = uint8_t(src[x] >> 8);
            dst[3 * x + 2] = uint8_t(src[x] >> 16);
        }
    }
    return picture;
}

}  // namespace quillory
