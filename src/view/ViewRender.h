#pragma once
// The view's paint pipeline into a 32-bit buffer of the window's client area:
// grey background, hatch behind the picture, the layer composite at the
// displayed scale, the selection overlay and the grid. The composite of the
// last full render is kept and reused while only the selection outline changes.
#include <cstdint>
#include <functional>
#include <vector>

#include "core/NyZazo.h"
#include "view/ViewState.h"

namespace quillory {

// Settings of the environment that the paint reads.
struct ViewPaintSettings {
    int32_t gridSpacing = -16;       // |value| is the spacing (at least 4); positive: shown
    uint32_t gridColour = 0x00808080;  // platform colour: red in the low byte
    int hatchStyle = 3;              // backward diagonal
};

inline constexpr uint32_t kViewBackground = 0xFF787878;  // RGB(120, 120, 120)
inline constexpr uint32_t kHatchLine = 0xFFBFBFBF;       // RGB(191, 191, 191)
inline constexpr uint32_t kHatchGround = 0xFFFFFFFF;     // the hatch brush's background
inline constexpr int kMinGridSpacing = 4;

// Blends the visible layers, bottom first, into a zeroed 32-bit target whose pixel
// (0, 0) shows the displayed picture's pixel (originX, originY) at the given scale.
// Colours come out multiplied by the accumulated opacity, which is in byte 3.
class LayerComposer {
public:
    virtual ~LayerComposer() = default;
    virtual int PictureWidth() const = 0;
    virtual int PictureHeight() const = 0;
    virtual void ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) = 0;
};

// Overlay kinds the paint chooses between.
enum OverlayKind : int {
    kOverlayNone = 0,
    kOverlayOutline = 1,
    kOverlayToolShape = 2,
    kOverlayFlattenSave = 3,
    kOverlayPath = 5,
};

struct OverlayInputs {
    bool outlineShown = false;
    int currentTool = -1;
    bool rectAnchorSet = false;
    bool pathEntering = false;
    bool flattenForSaving = false;
    uint8_t currentLayerKind = 0;
};
int ChooseOverlayKind(const OverlayInputs& in);

// Draws the overlay into the rendered part; the target's pixel (0, 0) is the
// displayed picture's pixel (originX, originY).
using OverlayPainter =
    std::function<void(TargetBuffer& target, int originX, int originY, int overlayKind, uint8_t antsPhase)>;

struct PaintResult {
    bool composed = false;   // the layer composite was computed
    bool cacheUsed = false;  // the cached composite was reused
    IntRect visible;         // the rendered part in client coordinates (empty when none)
};

// Where the picture lies inside the scrolled area for a given state and client size.
struct DisplayGeometry {
    float scaleX = 1.0f, scaleY = 1.0f;
    int shownWidth = 0, shownHeight = 0;
    int offsetX = 0, offsetY = 0;  // in area coordinates (scroll position added)
};
DisplayGeometry ComputeDisplay(const ViewState& state, int pictureWidth, int pictureHeight, int clientWidth,
                               int clientHeight);

// True when the hatch of the given style has a line at (x mod 8, y mod 8).
bool HatchPixel(int style, int x, int y);

class ViewRenderer {
public:
    // Paints the client area (target is client-sized) for the given state; clip
    // limits the work to the damaged part. Clears needsRedraw and toggles the phase.
    PaintResult Paint(TargetBuffer& target, const IntRect& clip, ViewState& state, LayerComposer& layers,
                      const ViewPaintSettings& settings, int overlayKind, const OverlayPainter& overlay = {});

    uint8_t antsPhase() const { return m_antsPhase; }
    void DropCache();

private:
    std::vector<uint32_t> m_cache;
    IntRect m_cacheRect;  // area coordinates of the cached part
    std::vector<uint32_t> m_buffer;
    uint8_t m_antsPhase = 0;
};

}  // namespace quillory
