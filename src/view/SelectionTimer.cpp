#include "view/SelectionTimer.h"

namespace quillory {

void SelectionTimer::OnFocusLost() {
    m_running = false;
    if (m_outlineShown) {
        m_outlineShown = false;
        m_resume = true;
    }
}

bool SelectionTimer::OnFocusGained() {
    if (!m_resume) return false;
    m_resume = false;
    m_outlineShown = true;
    m_ticks = 0;
    m_running = true;
    return true;
}

SelectionTimer::TickAction SelectionTimer::OnTick(bool documentBusy) {
    if (!m_running || documentBusy) return TickAction::None;
    ++m_ticks;
    if (m_ticks >= kSelectionTicksPerBurst) {
        m_running = false;
        m_ticks = 0;
        m_resume = true;
        return TickAction::Rested;
    }
    return m_outlineShown ? TickAction::RedrawOutline : TickAction::None;
}

}  // namespace quillory
