#pragma once
// The picture frame: a raster layer named "[ImgFrame]" above the picture that holds
// the frame. A frame session finds the layer (or adds it), lets the dialog redraw
// the frame at every change, and ends with one step "사진틀 넣기" or leaves the
// document as it was.
#include <memory>

#include "document/LayerRecord.h"
#include "extras/FrameStyles.h"

namespace quillory {

class CVandDoc;

// The frame layer: the first layer from the bottom named "[ImgFrame]"; -1 when none.
int FindFrameLayer(const CVandDoc& document);

class FrameSession {
public:
    // Finds the frame layer or adds one above the current layer, and makes it current.
    explicit FrameSession(CVandDoc& document);
    ~FrameSession();
    FrameSession(const FrameSession&) = delete;
    FrameSession& operator=(const FrameSession&) = delete;

    // False when no frame layer could be had (no document layer, or the table is full).
    bool Valid() const { return m_slot >= 0; }
    int Slot() const { return m_slot; }
    bool CreatedLayer() const { return m_created; }

    // Replaces the layer's frame with a new one; the layer covers the canvas at (0, 0).
    // The thickness is raised to kMinFrameThickness.
    bool Draw(const FrameChoice& choice);
    // Records "사진틀 넣기" when a frame was drawn; ends the session.
    bool Commit();
    // A layer this session added is removed; a reused one gets its old content back;
    // the layer that was current before is current again. Ends the session.
    void Cancel();

private:
    CVandDoc& m_document;
    int m_slot = -1;
    int m_previousLayer = -1;
    bool m_created = false;
    bool m_drawn = false;
    bool m_open = false;
    std::unique_ptr<LayerRecord> m_kept;  // the reused layer as it was
};

// The frame drawn in one go (a command): FrameSession, Draw, Commit.
bool PutPictureFrame(CVandDoc& document, const FrameChoice& choice);

}  // namespace quillory
