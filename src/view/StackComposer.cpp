#include "view/StackComposer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/Compositor.h"
#include "document/ShadowEffect.h"

namespace quillory {

void StackComposer::ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) {
    if (m_header.width <= 0 || m_header.height <= 0) return;
    const ShownLayers shown(m_header, m_stack.Layers(), m_stack.headLayer, -1,
                            m_stack.State().selection.selectionActive != 0);
    if (scaleX == scaleY) {
        BlendShown(m_header, shown, target, RenderMapping{double(scaleX), originX, originY});
        return;
    }
    // Each target row takes one full-size pass over the picture row its vertical scale
    // asks for, limited to the columns the row shows, then samples those columns.
    const int w = m_header.width, h = m_header.height;
    const int left = std::max(0, target.clip.left), right = std::min(target.width, target.clip.right);
    if (right <= left) return;
    std::vector<int> columns(size_t(right - left));
    for (int c = left; c < right; ++c)
        columns[size_t(c - left)] = std::clamp(int(std::floor((c + originX) / scaleX)), 0, w - 1);
    const int first = *std::min_element(columns.begin(), columns.end());
    const int last = *std::max_element(columns.begin(), columns.end());
    std::vector<uint32_t> line(size_t(last - first + 1));
    const int top = std::max(0, target.clip.top), bottom = std::min(target.height, target.clip.bottom);
    for (int r = top; r < bottom; ++r) {
        const int y = std::clamp(int(std::floor((r + originY) / scaleY)), 0, h - 1);
        TargetBuffer source(line.data(), int(line.size()), 1);
        BlendShown(m_header, shown, source, RenderMapping{1.0, first, y});
        uint32_t* dst = target.pixels + size_t(r) * target.stride;
        for (int c = left; c < right; ++c) dst[c] = line[size_t(columns[size_t(c - left)] - first)];
    }
}

}  // namespace quillory
