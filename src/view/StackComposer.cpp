#include "view/StackComposer.h"

#include <algorithm>
#include <cmath>

#include "document/Compositor.h"

namespace quillory {

void StackComposer::ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) {
    if (m_header.width <= 0 || m_header.height <= 0) return;
    if (scaleX == scaleY) {
        Compositor::BlendPass(m_header, m_stack.Layers(), m_stack.headLayer, -1, target,
                              RenderMapping{double(scaleX), originX, originY});
        return;
    }
    const int w = m_header.width, h = m_header.height;
    m_full.assign(size_t(w) * h, 0);
    TargetBuffer full(m_full.data(), w, h);
    Compositor::BlendPass(m_header, m_stack.Layers(), m_stack.headLayer, -1, full, RenderMapping{});
    std::vector<int> columns(size_t(std::max(target.width, 0)));
    for (int c = 0; c < target.width; ++c)
        columns[size_t(c)] = std::clamp(int(std::floor((c + originX) / scaleX)), 0, w - 1);
    for (int r = 0; r < target.height; ++r) {
        const int y = std::clamp(int(std::floor((r + originY) / scaleY)), 0, h - 1);
        const uint32_t* src = m_full.data() + size_t(y) * w;
        uint32_t* dst = target.pixels + size_t(r) * target.stride;
        for (int c = 0; c < target.width; ++c) dst[c] = src[columns[size_t(c)]];
    }
}

}  // namespace quillory
