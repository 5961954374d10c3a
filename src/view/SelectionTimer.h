#pragma once
// The rules of the view's 400 ms timer that animates the selection outline:
// six ticks of animation, then rest until the view gets the focus again.
namespace quillory {

inline constexpr int kSelectionTimerId = 1;
inline constexpr int kSelectionTimerPeriodMs = 400;
inline constexpr int kSelectionTicksPerBurst = 6;

class SelectionTimer {
public:
    enum class TickAction { None, RedrawOutline, Rested };

    // A selection tool completed a selection.
    void Start() {
        m_ticks = 0;
        m_running = true;
        m_outlineShown = true;
    }
    // The selection was cleared.
    void Clear() {
        m_running = false;
        m_outlineShown = false;
        m_resume = false;
        m_ticks = 0;
    }
    void Stop() { m_running = false; }

    void OnFocusLost();
    // True when the outline comes back (the caller sets needsRedraw and repaints).
    bool OnFocusGained();
    TickAction OnTick(bool documentBusy);

    bool running() const { return m_running; }
    bool outlineShown() const { return m_outlineShown; }
    bool resumePending() const { return m_resume; }
    int ticks() const { return m_ticks; }

private:
    int m_ticks = 0;
    bool m_running = false;
    bool m_outlineShown = false;
    bool m_resume = false;
};

}  // namespace quillory
